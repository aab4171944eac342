#pragma once
// The main window's behaviour without a toolkit: the rows of the last search and what each
// shows, the search with its button states, the row that "设置设备" opens, what an edit
// does to its row, and the exit. A front-end gives a TcpIpView over its widgets, forwards
// its handlers (FormCreate, btn1Click, btn2Click, btn3Click) and renders what it is told.
// Texts are UTF-8.

#include "Discovery.h"
#include "MessagePresenter.h"
#include "SwTcpFunc.h"
#include "net.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// What one row of lv1 shows.
struct RowView
{
    std::string ip;  // first column, the row's caption
    std::string mac; // second column
    // Another module answered from the same address: the row is marked (kSharedIpColour, and
    // texts::kSharedIpHint as its tip) and the module is reached by its MAC.
    bool sharedIp = false;
};

// What the model needs of a front-end's main window: functions the front-end gives, each
// over its own widgets.
struct TcpIpView
{
    // lv1 shows these rows and no other, in this order.
    std::function<void(const std::vector<RowView>& rows)> showRows;
    // A row already shown shows view.
    std::function<void(std::size_t index, const RowView& view)> showRow;
    // btn1 and btn2 enabled or disabled together.
    std::function<void(bool enabled)> enableSearchButtons;
    // The row that holds lv1's focus, selected or not; none when no row does.
    std::function<std::optional<std::size_t>()> focusedRow;
    // The control with the keyboard focus, and giving it back (when it is still there and
    // enabled): a search disables the focused button, and the keyboard must not stay lost.
    std::function<WindowHandle()> focusedControl;
    std::function<void(WindowHandle control)> restoreFocus;
    // The wait cursor on or off (a search blocks the window).
    std::function<void(bool busy)> setBusy;
    // Closes the main window, which ends the program.
    std::function<void()> closeWindow;
    // The main window, as the owner of its message boxes.
    std::function<WindowHandle()> ownerWindow;
};

class TcpIpModel
{
public:
    // Opens the settings dialog for an entry (EditDevice); true when it was written.
    using DeviceEditor = std::function<bool(TModelParm&)>;
    // One search, each module to the sink; endpoint errors are raised.
    using Searcher = std::function<void(const RowSink&)>;

    // Searches with RunSearch over idpclnt1 unless given a searcher.
    TcpIpModel(TcpIpView view, MessagePresenter& presenter, DeviceEditor editor, Searcher searcher = {});

    void setDeviceEditor(DeviceEditor editor);

    // Empties the list and refills it with one search; the rows found before an error are
    // shown, then the error is raised.
    void SearchTcp();

    // The handlers; each shows an error that escapes it and returns normally.
    void FormCreate(); // the first search, before the window is shown
    void btn1Click();  // "搜索设备": btn1 and btn2 disabled during the search
    void btn2Click();  // "设置设备", or a double-click in lv1: opens the focused row
    void btn3Click();  // "退出"

    std::size_t rowCount() const { return m_rows.size(); } // rows shown
    // The entry row index holds (the dialog edits it in place).
    TModelParm& entry(std::size_t index) { return m_entries[index]; }
    const TModelParm& entry(std::size_t index) const { return m_entries[index]; }
    const RowView& rowView(std::size_t index) const { return m_rows[index]; }

    // The discovery endpoints, one per card: broadcast enabled, waiting 1000 ms by default;
    // opened by the first search and kept for the window's life.
    CardEndpoints idpclnt1;

private:
    void guarded(const std::function<void()>& body);

    TcpIpView m_view;
    MessagePresenter& m_presenter;
    DeviceEditor m_editDevice;
    Searcher m_search;
    // The rows' entries, in list order. Not resized while a dialog edits one.
    std::vector<TModelParm> m_entries;
    std::vector<RowView> m_rows; // as shown
};
