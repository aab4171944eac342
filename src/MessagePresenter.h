#pragma once
// How the windows show messages, without a toolkit: each front-end implements the
// presenter with its own message boxes; tests record instead, so no box waits for a person.

#include <functional>
#include <string>
#include <string_view>

// A front-end's window, opaque to the core: a QWidget* in Qt, an HWND on Windows; nullptr
// for none.
using WindowHandle = void*;

class MessagePresenter
{
public:
    virtual ~MessagePresenter() = default;
    // Modal box with an error icon, texts::kApplicationTitle as caption and text (UTF-8)
    // as it stands; callers pass errorDisplayText().
    virtual void showError(WindowHandle owner, const std::string& text) = 0;
    // Modal box captioned "提示", one OK button, no icon; text in UTF-8.
    virtual void showHint(WindowHandle owner, const std::string& text) = 0;
};

// The error text as shown: a full stop is appended when the last character's code is
// above that of the full stop (every non-ASCII character is).
std::string errorDisplayText(std::string_view utf8Text);

// The general error handler, used at every handler boundary (no exception may cross a
// toolkit's event loop): runs action; an error that escapes it is shown with showError
// (its text is module bytes, converted for display) and the program goes on. False when
// an error was shown.
bool runGuarded(MessagePresenter& presenter, WindowHandle owner, const std::function<void()>& action);
