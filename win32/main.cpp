// The program: one window, one search before it is first shown, then the message loop.
// It takes no command line.
#include "MessageBoxPresenter.h"
#include "mainSrc.h"

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int showCommand)
{
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    MessageBoxPresenter presenter;
    TTcpIpFrm form(presenter);
    HWND window = form.create(instance);
    if (window == nullptr)
        return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab and the arrow keys move between the window's controls.
        if (form.handle != nullptr && IsDialogMessageW(form.handle, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
