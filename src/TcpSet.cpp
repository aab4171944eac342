#include "TcpSet.h"

#include "BusyCursor.h"
#include "DeviceText.h"
#include "MessagePresenter.h"
#include "NumText.h"
#include "TcpSetInput.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <array>

namespace {

TTcpSetFrm* s_instance = nullptr; // the one existing dialog

// A code is a list position; one no item has leaves the list with nothing selected.
void showCode(QComboBox* list, std::int32_t code)
{
    list->setCurrentIndex(code >= 0 && code < list->count() ? code : -1);
}

std::uint8_t lowByte(int position)
{
    return static_cast<std::uint8_t>(position & 0xFF);
}

// Nothing selected means the user picked nothing: the module's own code goes back.
std::uint8_t collectCode(const QComboBox* list, std::uint8_t loaded)
{
    const int position = list->currentIndex();
    return position < 0 ? loaded : lowByte(position);
}

} // namespace

TTcpSetFrm* TTcpSetFrm::instance()
{
    return s_instance;
}

TTcpSetFrm::~TTcpSetFrm()
{
    FormDestroy();
}

void TTcpSetFrm::FormCreate()
{
    pgc1->setCurrentWidget(ts1);
}

void TTcpSetFrm::FormClose()
{
    // Deferred, so that EditDevice can still take the result.
    deleteLater();
}

void TTcpSetFrm::FormDestroy()
{
    if (s_instance == this)
        s_instance = nullptr;
}

bool TTcpSetFrm::EditDevice(TModelParm& entry, MessagePresenter& presenter)
{
    if (s_instance != nullptr && s_instance->isVisible())
        return false; // one dialog at a time
    // A closed dialog may still wait for its deferred destruction; it is not reused.
    delete s_instance;

    auto* dialog = new TTcpSetFrm(presenter);
    s_instance = dialog;
    dialog->EditedEntry = &entry;
    bool loaded = false;
    try {
        BusyCursor busy;
        loaded = dialog->LoadConfig(entry);
    } catch (...) {
        dialog->reject();
        throw;
    }
    if (!loaded) {
        presenter.showHint(nullptr, QStringLiteral("读取TCP模块参数失败!"));
        dialog->reject();
        return false;
    }
    // Taken as the dialog finishes: its deferred destruction may run before exec() returns.
    int result = QDialog::Rejected;
    connect(dialog, &QDialog::finished, dialog, [&result](int finishedWith) { result = finishedWith; });
    dialog->exec();
    return result == QDialog::Accepted;
}

bool TTcpSetFrm::LoadConfig(const TModelParm& entry)
{
    TModelConfig config;
    const bool viaCommands = entry.ViaCommandProtocol != 0;
    const bool read = viaCommands ? ReadConfigByCommands(entry, config)
                                  : ReadConfigByLibrary(entry.Ip, entry.LibraryTag, config);
    if (!read)
        return false;

    edt1->setText(textFromDevice(config.UserName));
    edt2->setText(textFromDevice(config.DeviceName));
    edt3->setText(textFromDevice(config.MacAddress));
    showCode(cbIPMode, config.IpMode);
    edt4->setText(textFromDevice(config.IpAddress));
    edt5->setText(QString::fromStdString(decimalText(config.LocalPort)));
    showCode(cbb1, config.Protocol);
    showCode(cbb2, config.WorkMode);
    edt6->setText(textFromDevice(config.TargetIp));
    edt7->setText(QString::fromStdString(decimalText(config.TargetPort)));
    edt8->setText(textFromDevice(config.Gateway));
    edt9->setText(textFromDevice(config.NetMask));
    showCode(cbb3, config.BaudIndex);
    showCode(cbb4, config.Parity);
    showCode(cbb5, config.DataBitsIndex);
    showCode(StopCbb, config.StopBitsIndex);

    // A road that does not carry a field leaves nothing to show or edit there.
    edt1->setEnabled(viaCommands);
    cbb1->setEnabled(viaCommands);
    StopCbb->setEnabled(!viaCommands);
    if (!viaCommands)
        cbb1->setCurrentIndex(-1);
    else
        StopCbb->setCurrentIndex(-1);

    m_loaded = config;
    m_loadedText.clear();
    for (const QLineEdit* edit : {edt1, edt2, edt3, edt4, edt5, edt6, edt7, edt8, edt9})
        m_loadedText.insert(edit, edit->text());

    SetTargetFieldsEditable(lowByte(cbb2->currentIndex()));
    return true;
}

bool TTcpSetFrm::changedByUser(const QLineEdit* edit) const
{
    return edit->text() != m_loadedText.value(edit);
}

std::string TTcpSetFrm::collectText(const QLineEdit* edit, const std::string& loaded) const
{
    return changedByUser(edit) ? textToDevice(edit->text()) : loaded;
}

std::int32_t TTcpSetFrm::collectNumber(const QLineEdit* edit, std::int32_t loaded) const
{
    return changedByUser(edit) ? lenientToInt(textToDevice(edit->text())) : loaded;
}

TModelConfig TTcpSetFrm::collectConfig() const
{
    TModelConfig config;
    // The writer sends a field nobody changed back exactly as the module reported it.
    config.AsRead = m_loaded.AsRead;
    config.UserName = collectText(edt1, m_loaded.UserName);
    config.DeviceName = collectText(edt2, m_loaded.DeviceName);
    config.MacAddress = collectText(edt3, m_loaded.MacAddress);
    config.IpMode = cbIPMode->currentIndex() < 0 ? m_loaded.IpMode : cbIPMode->currentIndex();
    config.IpAddress = collectText(edt4, m_loaded.IpAddress);
    config.LocalPort = collectNumber(edt5, m_loaded.LocalPort);
    config.Protocol = collectCode(cbb1, m_loaded.Protocol);
    config.WorkMode = collectCode(cbb2, m_loaded.WorkMode);
    config.TargetIp = collectText(edt6, m_loaded.TargetIp);
    config.TargetPort = collectNumber(edt7, m_loaded.TargetPort);
    config.Gateway = collectText(edt8, m_loaded.Gateway);
    config.NetMask = collectText(edt9, m_loaded.NetMask);
    config.BaudIndex = collectCode(cbb3, m_loaded.BaudIndex);
    config.Parity = collectCode(cbb4, m_loaded.Parity);
    config.DataBitsIndex = collectCode(cbb5, m_loaded.DataBitsIndex);
    config.StopBitsIndex = collectCode(StopCbb, m_loaded.StopBitsIndex);
    return config;
}

bool TTcpSetFrm::SaveConfig(const TModelParm& entry)
{
    const TModelConfig config = collectConfig();
    if (entry.ViaCommandProtocol != 0)
        return WriteConfigByCommands(entry, config);
    return WriteConfigByLibrary(entry.Ip, kLibraryWritePassword, entry.LibraryTag, config);
}

bool TTcpSetFrm::changedFieldsWellFormed()
{
    struct CheckedField
    {
        QLineEdit* edit;
        const QLabel* label;
        bool (*wellFormed)(const QString&);
    };
    const std::array<CheckedField, 6> fields{{
        {edt4, lbl4, isDottedIpv4},
        {edt5, lbl5, isPortText},
        {edt6, lbl8, isDottedIpv4},
        {edt7, lbl9, isPortText},
        {edt8, lbl10, isDottedIpv4},
        {edt9, lbl11, isDottedIpv4},
    }};
    for (const CheckedField& field : fields) {
        if (!changedByUser(field.edit) || field.wellFormed(field.edit->text()))
            continue;
        m_presenter.showHint(this, field.label->text() + QStringLiteral("格式不正确!"));
        pgc1->setCurrentWidget(ts1);
        field.edit->setFocus();
        return false;
    }
    return true;
}

void TTcpSetFrm::btn3Click()
{
    if (EditedEntry == nullptr || !changedFieldsWellFormed())
        return;
    bool written = false;
    const bool finished = runGuarded(m_presenter, this, [this, &written] {
        BusyCursor busy;
        written = SaveConfig(*EditedEntry);
    });
    // After a failure the dialog stays open with the user's values, to retry or cancel.
    if (!finished)
        return;
    if (!written) {
        m_presenter.showHint(this, QStringLiteral("设置TCP模块参数失败!"));
        return;
    }
    EditedEntry->Ip = collectText(edt4, m_loaded.IpAddress);
    accept();
}

void TTcpSetFrm::cbb2Change(int position)
{
    SetTargetFieldsEditable(lowByte(position));
}

void TTcpSetFrm::SetTargetFieldsEditable(std::uint8_t position)
{
    // A client needs its target as much as the automatic mode; a server has none.
    const bool targetEditable = position == 1 || position == 2;
    const QColor readOnlyColour = position == 0 ? menuColour() : scrollBarColour();
    setReadOnlyField(edt6, !targetEditable, readOnlyColour);
    setReadOnlyField(edt7, !targetEditable, readOnlyColour);
    setReadOnlyField(edt8, false, readOnlyColour);
    setReadOnlyField(edt9, false, readOnlyColour);
}

bool TTcpSetFrm::edt4KeyPress(const QKeyEvent& event) const
{
    return passesCharFilter(event, TypedChars::DigitsAndFullStop);
}

bool TTcpSetFrm::edt5KeyPress(const QKeyEvent& event) const
{
    return passesCharFilter(event, TypedChars::Digits);
}

bool TTcpSetFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (watched == edt5)
            return !edt5KeyPress(key);
        if (watched == edt4 || watched == edt6 || watched == edt7 || watched == edt8 || watched == edt9)
            return !edt4KeyPress(key);
    }
    return QDialog::eventFilter(watched, event);
}
