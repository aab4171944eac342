#include "MessagePresenter.h"

#include "DeviceText.h"
#include "DialogTexts.h"

#include <exception>

std::string errorDisplayText(std::string_view utf8Text)
{
    std::string shown(utf8Text);
    // In UTF-8 a character above the full stop ends in a byte above it, and only such one.
    if (!shown.empty() && static_cast<unsigned char>(shown.back()) > '.')
        shown += '.';
    return shown;
}

bool runGuarded(MessagePresenter& presenter, WindowHandle owner, const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const std::exception& error) {
        // Error texts may quote module bytes.
        presenter.showError(owner, errorDisplayText(textFromDevice(error.what()).text));
    } catch (...) {
        presenter.showError(owner, errorDisplayText(texts::kUnknownError));
    }
    return false;
}
