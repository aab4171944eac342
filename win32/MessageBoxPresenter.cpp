#include "MessageBoxPresenter.h"

#include "DialogTexts.h"
#include "FormLook.h"

namespace {

// A box without an owner still belongs to the window the user works in, so that window
// waits for it.
HWND ownerWindow(WindowHandle owner)
{
    return owner != nullptr ? static_cast<HWND>(owner) : GetActiveWindow();
}

} // namespace

void MessageBoxPresenter::showError(WindowHandle owner, const std::string& text)
{
    MessageBoxW(ownerWindow(owner), wide(text).c_str(), wide(texts::kApplicationTitle).c_str(),
                MB_OK | MB_ICONERROR);
}

void MessageBoxPresenter::showHint(WindowHandle owner, const std::string& text)
{
    MessageBoxW(ownerWindow(owner), wide(text).c_str(), wide(texts::kHintCaption).c_str(), MB_OK);
}
