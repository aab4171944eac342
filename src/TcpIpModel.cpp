#include "TcpIpModel.h"

#include "DeviceText.h"

#include <utility>

TcpIpModel::TcpIpModel(TcpIpView view, MessagePresenter& presenter, DeviceEditor editor, Searcher searcher)
    : m_view(std::move(view)), m_presenter(presenter), m_editDevice(std::move(editor)),
      m_search(std::move(searcher))
{
    if (!m_search)
        m_search = [this](const RowSink& sink) { RunSearch(idpclnt1, sink); };
}

void TcpIpModel::setDeviceEditor(DeviceEditor editor)
{
    m_editDevice = std::move(editor);
}

namespace {

RowView viewOf(const TModelParm& entry)
{
    return {textFromDevice(entry.Ip).text, textFromDevice(entry.Mac).text, entry.SharedIp};
}

} // namespace

void TcpIpModel::SearchTcp()
{
    m_entries.clear();
    m_rows.clear();
    m_view.showRows({});
    m_view.setBusy(true);
    // The rows go to the list in one piece when the search ends, also when it ends with an
    // error: a thousand modules cost the list one layout, not a thousand.
    struct Finish
    {
        TcpIpModel& model;
        ~Finish()
        {
            MarkSharedIps(model.m_entries);
            model.m_rows.reserve(model.m_entries.size());
            for (const TModelParm& entry : model.m_entries)
                model.m_rows.push_back(viewOf(entry));
            model.m_view.showRows(model.m_rows);
            model.m_view.setBusy(false);
        }
    } finish{*this};
    m_search([this](const TModelParm& found) { m_entries.push_back(found); });
}

void TcpIpModel::guarded(const std::function<void()>& body)
{
    runGuarded(m_presenter, m_view.ownerWindow(), body);
}

void TcpIpModel::FormCreate()
{
    guarded([this] { SearchTcp(); });
}

void TcpIpModel::btn1Click()
{
    guarded([this] {
        const WindowHandle focused = m_view.focusedControl();
        m_view.enableSearchButtons(false);
        struct Reenable
        {
            const TcpIpView& view;
            WindowHandle focused;
            ~Reenable()
            {
                view.enableSearchButtons(true);
                view.restoreFocus(focused);
            }
        } reenable{m_view, focused};
        SearchTcp();
    });
}

void TcpIpModel::btn2Click()
{
    guarded([this] {
        const std::optional<std::size_t> row = m_view.focusedRow();
        if (!row || *row >= m_entries.size())
            return;
        m_editDevice(m_entries[*row]);
        // A written address shows at once; the second column stays as the search found it.
        m_rows[*row].ip = textFromDevice(m_entries[*row].Ip).text;
        // A module given its own address no longer shares it, nor maybe the one it left.
        MarkSharedIps(m_entries);
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            if (i == *row || m_rows[i].sharedIp != m_entries[i].SharedIp) {
                m_rows[i].sharedIp = m_entries[i].SharedIp;
                m_view.showRow(i, m_rows[i]);
            }
        }
    });
}

void TcpIpModel::btn3Click()
{
    guarded([this] { m_view.closeWindow(); });
}
