#pragma once
// The main window: the list of found modules and the three commands.

#include "SwTcpFunc.h"
#include "net.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

class MessagePresenter;

class TTcpIpFrm
{
public:
    // Opens the settings dialog for an entry; true when it was written.
    using DeviceEditor = std::function<bool(TModelParm&)>;

    explicit TTcpIpFrm(MessagePresenter& presenter);
    ~TTcpIpFrm();
    TTcpIpFrm(const TTcpIpFrm&) = delete;
    TTcpIpFrm& operator=(const TTcpIpFrm&) = delete;

    // Creates the window and runs the first search (FormCreate) before it is ever shown;
    // errors of that search are shown and the rows found before stay. Null on failure.
    HWND create(HINSTANCE instance);

    // Empties lv1 and refills it with one search; endpoint errors pass to the caller.
    void SearchTcp();

    void FormCreate();
    void btn1Click();
    void btn2Click();
    void btn3Click();

    // The window and its members, as its form lays them out. lv1 lies over grp1 and the
    // buttons over pnl1, all children of the window, so their notifications reach it.
    HWND handle = nullptr;
    HWND grp1 = nullptr;
    HWND pnl1 = nullptr;
    HWND lv1 = nullptr;
    HWND btn1 = nullptr;
    HWND btn2 = nullptr;
    HWND btn3 = nullptr;
    UdpEndpoint idpclnt1;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void createMembers();
    void placeMembers();
    void applyDpi();
    void appendRow(const TModelParm& entry);
    void focusFirstRowIfNone();
    void onCommand(WORD id);
    void runHandler(const std::function<void()>& body);

    MessagePresenter& m_presenter;
    DeviceEditor m_editDevice;
    // The rows' entries; row i's lParam points at its entry.
    std::vector<std::unique_ptr<TModelParm>> m_entries;
    HFONT m_font = nullptr;
    // Where the keyboard was when the window was last deactivated.
    HWND m_lastFocus = nullptr;
};
