#pragma once
// The main window in Win32: renders the main-window model (TcpIpModel) and forwards the
// user's clicks and keys to it.

#include "FormLook.h"
#include "TcpIpModel.h"

#include <windows.h>

#include <commctrl.h>

#include <optional>

class MessagePresenter;

class TTcpIpFrm
{
public:
    using DeviceEditor = TcpIpModel::DeviceEditor;

    explicit TTcpIpFrm(MessagePresenter& presenter);
    ~TTcpIpFrm();
    TTcpIpFrm(const TTcpIpFrm&) = delete;
    TTcpIpFrm& operator=(const TTcpIpFrm&) = delete;

    // Creates the window and runs the first search (FormCreate) before it is ever shown;
    // errors of that search are shown and the rows found before stay. Null on failure.
    HWND create(HINSTANCE instance);

    void SearchTcp() { m_model.SearchTcp(); }
    void FormCreate() { m_model.FormCreate(); }
    void btn1Click() { m_model.btn1Click(); }
    void btn2Click() { m_model.btn2Click(); }
    void btn3Click() { m_model.btn3Click(); }

    // The window and its members, as its form lays them out. lv1 lies over grp1 and the
    // buttons over pnl1, all children of the window, so their notifications reach it.
    HWND handle = nullptr;
    HWND grp1 = nullptr;
    HWND pnl1 = nullptr;
    HWND lv1 = nullptr;
    HWND btn1 = nullptr;
    HWND btn2 = nullptr;
    HWND btn3 = nullptr;

private:
    TcpIpModel m_model;

public:
    CardEndpoints& idpclnt1;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void createMembers();
    void placeMembers();
    void applyDpi();
    void focusFirstRowIfNone();
    // A row whose address another module shares: its own text colour and tip.
    LRESULT drawRow(NMLVCUSTOMDRAW& draw) const;
    void tipOfRow(NMLVGETINFOTIPW& tip) const;
    void onCommand(WORD id);

    // What the model shows and asks, over this window's controls.
    TcpIpView view();

    HFONT m_font = nullptr;
    UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
    std::optional<BusyCursor> m_busy;
    // Where the keyboard was when the window was last deactivated.
    HWND m_lastFocus = nullptr;
};
