#pragma once
// The main window's behaviour without a toolkit: the rows of the last search and what each
// shows, the search with its button states, the row that "设置设备" opens, what an edit
// does to its row, and the exit. A front-end implements TcpIpView over its widgets, forwards
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
};

// What the model needs of a front-end's main window.
class TcpIpView
{
public:
    virtual ~TcpIpView() = default;
    // lv1 shows these rows and no other, in this order.
    virtual void showRows(const std::vector<RowView>& rows) = 0;
    // Row index (already shown) shows view.
    virtual void showRow(std::size_t index, const RowView& view) = 0;
    // btn1 and btn2 enabled or disabled together.
    virtual void enableSearchButtons(bool enabled) = 0;
    // The row that holds lv1's focus, selected or not; none when no row does.
    virtual std::optional<std::size_t> focusedRow() const = 0;
    // The control with the keyboard focus, and giving it back (when it is enabled): a
    // search disables the focused button, and the keyboard must not be left elsewhere.
    virtual WindowHandle focusedControl() const = 0;
    virtual void restoreFocus(WindowHandle control) = 0;
    // The wait cursor on or off (a search blocks the window).
    virtual void setBusy(bool busy) = 0;
    // Closes the main window, which ends the program.
    virtual void closeWindow() = 0;
    // The main window, as the owner of its message boxes.
    virtual WindowHandle ownerWindow() const = 0;
};

class TcpIpModel
{
public:
    // Opens the settings dialog for an entry (EditDevice); true when it was written.
    using DeviceEditor = std::function<bool(TModelParm&)>;
    // One search, each module to the sink; endpoint errors are raised.
    using Searcher = std::function<void(const RowSink&)>;

    // Searches with RunSearch over idpclnt1 unless given a searcher.
    TcpIpModel(TcpIpView& view, MessagePresenter& presenter, DeviceEditor editor, Searcher searcher = {});

    void setDeviceEditor(DeviceEditor editor);

    // Empties the list and refills it with one search; the rows found before an error are
    // shown, then the error is raised.
    void SearchTcp();

    // The handlers; each shows an error that escapes it and returns normally.
    void FormCreate(); // the first search, before the window is shown
    void btn1Click();  // "搜索设备": btn1 and btn2 disabled during the search
    void btn2Click();  // "设置设备", or a double-click in lv1: opens the focused row
    void btn3Click();  // "退出"

    std::size_t rowCount() const { return m_entries.size(); }
    // The entry row index holds (the dialog edits it in place).
    TModelParm& entry(std::size_t index) { return m_entries[index]; }
    const TModelParm& entry(std::size_t index) const { return m_entries[index]; }
    const RowView& rowView(std::size_t index) const { return m_rows[index]; }

    // The discovery endpoints, one per card: broadcast enabled, waiting 1000 ms by default;
    // opened by the first search and kept for the window's life.
    CardEndpoints idpclnt1;

private:
    void guarded(const std::function<void()>& body);

    TcpIpView& m_view;
    MessagePresenter& m_presenter;
    DeviceEditor m_editDevice;
    Searcher m_search;
    // The rows' entries, in list order. Not resized while a dialog edits one.
    std::vector<TModelParm> m_entries;
    std::vector<RowView> m_rows; // as shown
};
