#pragma once
// What both windows share on Windows: texts at the edge (the core's UTF-8 to the W
// functions' UTF-16), pixels at the window's DPI, the form font, the wait cursor.

#include <windows.h>

#include <string>
#include <string_view>

std::wstring wide(std::string_view utf8);
std::string utf8(std::wstring_view utf16);
// A control's text as UTF-8.
std::string windowTextUtf8(HWND window);

// The window's DPI: GetDpiForWindow where the system has it (Windows 10), else the screen's.
UINT windowDpi(HWND window);
// Form pixels (96 dpi) at dpi.
int scaled(int pixels, UINT dpi);

// A child control of parent with the given styles (WS_CHILD added) and id, at no size yet.
HWND createChild(HWND parent, const wchar_t* windowClass, std::string_view caption, DWORD style,
                 DWORD exStyle = 0, WORD id = 0xFFFF);

// WM_DPICHANGED: takes the new DPI from wParam into dpi (GetDpiForWindow is missing before
// Windows 10 1607, so the window keeps its own) and moves the window to the rectangle the
// system suggests in lParam. The caller then lays itself out anew at dpi.
void acceptDpiChange(HWND window, WPARAM wParam, LPARAM lParam, UINT& dpi);

// The form font: 8 point (11 pixels at 96 dpi), at dpi. The caller deletes it.
HFONT createFormFont(UINT dpi);
void setFont(HWND control, HFONT font);

// A dialog that lays itself out at a new DPI: the system's own rescaling of dialogs (Windows
// 10 1703 and later) is turned off for it.
void keepOwnDialogLayout(HWND dialog);

// Gives a top-level window the client size (form pixels at its DPI) and centres it on the
// work area of its monitor.
void placeCentred(HWND window, int clientWidth, int clientHeight);
// Resizes a top-level window to a client size at its current place.
void resizeClient(HWND window, int clientWidth, int clientHeight);

// Shows the wait cursor while a blocking search or module exchange runs (no message is
// handled meanwhile, so nothing resets it); restored on every way out.
class BusyCursor
{
public:
    BusyCursor() : m_previous(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~BusyCursor() { SetCursor(m_previous); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    HCURSOR m_previous;
};
