#pragma once
// The core's messages in Windows message boxes.

#include "MessagePresenter.h"

#include <windows.h>

// The owner handle a window passes to the presenter.
inline WindowHandle ownerHandle(HWND window)
{
    return window;
}

class MessageBoxPresenter : public MessagePresenter
{
public:
    void showError(WindowHandle owner, const std::string& text) override;
    void showHint(WindowHandle owner, const std::string& text) override;
};
