#include "TcpSet.h"

#include "BusyCursor.h"
#include "DeviceText.h"
#include "MessagePresenter.h"
#include "NumText.h"
#include "TcpSetInput.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>

namespace {

TTcpSetFrm* s_instance = nullptr; // the one existing dialog

constexpr int kClientWidth = 517;
constexpr int kClientHeight = 394;
constexpr int kOuterWidth = 525;
constexpr int kOuterHeight = 421;
constexpr int kPanelHeight = 41;
constexpr int kFieldHeight = 21;

// The module write password of the vendor library.
constexpr const char* kWritePassword = "52417";

QLabel* makeLabel(QWidget* page, const char* name, const QString& caption, int left, int top)
{
    auto* label = new QLabel(caption, page);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLineEdit* makeEdit(QWidget* page, const char* name, int left, int top, int width)
{
    auto* edit = new QLineEdit(page);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(left, top, width, kFieldHeight);
    return edit;
}

// Pick-only: the user chooses an item but cannot type.
QComboBox* makeList(QWidget* page, const char* name, const QStringList& items, int left, int top, int width)
{
    auto* list = new QComboBox(page);
    list->setObjectName(QString::fromLatin1(name));
    list->setEditable(false);
    list->addItems(items);
    list->setGeometry(left, top, width, kFieldHeight);
    return list;
}

void setBackground(QLineEdit* edit, const QColor& colour)
{
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, colour);
    edit->setPalette(palette);
}

void setReadOnlyField(QLineEdit* edit, bool readOnly, const QColor& readOnlyColour)
{
    edit->setReadOnly(readOnly);
    setBackground(edit, readOnly ? readOnlyColour : editableColour());
}

using Stroke = void (*)(QPainter&);

void strokeTick(QPainter& painter)
{
    const std::array<QPointF, 3> points{QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)};
    painter.drawPolyline(points.data(), static_cast<int>(points.size()));
}

void strokeCross(QPainter& painter)
{
    painter.drawLine(QPointF(4, 4), QPointF(12, 12));
    painter.drawLine(QPointF(12, 4), QPointF(4, 12));
}

QPixmap strokePixmap(Stroke stroke, const QColor& colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    stroke(painter);
    return pixmap;
}

// A button image with its greyed form for the disabled state.
QIcon buttonIcon(Stroke stroke, const QColor& colour)
{
    QIcon icon;
    icon.addPixmap(strokePixmap(stroke, colour), QIcon::Normal);
    icon.addPixmap(strokePixmap(stroke, QColor(128, 128, 128)), QIcon::Disabled);
    return icon;
}

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

QColor editableColour()
{
    return QColor(255, 255, 255);
}

QColor menuColour()
{
    return QApplication::palette("QMenu").color(QPalette::Active, QPalette::Window);
}

QColor scrollBarColour()
{
    // The toolkit offers no scroll-bar colour; this is the system's default one.
    return QColor(200, 200, 200);
}

TTcpSetFrm* TTcpSetFrm::instance()
{
    return s_instance;
}

TTcpSetFrm::TTcpSetFrm(MessagePresenter& presenter) : m_presenter(presenter)
{
    setObjectName(QStringLiteral("TcpSetFrm"));
    setWindowTitle(QStringLiteral("Tcp/Ip模块设置"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
    QFont formFont = font();
    formFont.setFamilies({QStringLiteral("MS Sans Serif"), formFont.family()});
    formFont.setPixelSize(11);
    setFont(formFont);
    // Forms have the button face behind their controls.
    QPalette formPalette = palette();
    formPalette.setColor(QPalette::Window, formPalette.color(QPalette::Button));
    setPalette(formPalette);
    setAutoFillBackground(true);

    pgc1 = new QTabWidget(this);
    pgc1->setObjectName(QStringLiteral("pgc1"));
    ts1 = new QWidget;
    ts1->setObjectName(QStringLiteral("ts1"));
    ts2 = new QWidget;
    ts2->setObjectName(QStringLiteral("ts2"));
    pgc1->addTab(ts1, QStringLiteral("网络设置"));
    pgc1->addTab(ts2, QStringLiteral("串口设置"));
    pnl1 = new QFrame(this);
    pnl1->setObjectName(QStringLiteral("pnl1"));
    // Lowered outer and raised inner bevel: an etched edge.
    pnl1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    pnl1->setFixedHeight(kPanelHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pgc1, 1);
    layout->addWidget(pnl1);

    buildNetworkPage();
    buildSerialPage();
    buildPanel();

    // The edits top to bottom, then the protocol, work-mode and IP-mode lists; then the
    // serial page; the buttons last.
    const std::array<QWidget*, 17> tabOrder{edt1, edt2, edt3,     edt4, edt5, edt6, edt7,    edt8, edt9,
                                            cbb1, cbb2, cbIPMode, cbb3, cbb4, cbb5, StopCbb, btn3};
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    setTabOrder(btn3, btn4);

    for (QLineEdit* filtered : {edt4, edt5, edt6, edt7, edt8, edt9})
        filtered->installEventFilter(this);
    connect(cbb2, &QComboBox::activated, this, &TTcpSetFrm::cbb2Change);
    connect(btn3, &QPushButton::clicked, this, &TTcpSetFrm::btn3Click);
    connect(btn4, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, &TTcpSetFrm::FormClose);

    resize(kClientWidth, kClientHeight);
    if (const QScreen* display = screen())
        move(display->availableGeometry().center() - QPoint(kOuterWidth / 2, kOuterHeight / 2));

    FormCreate();
}

void TTcpSetFrm::buildNetworkPage()
{
    QWidget* page = ts1;
    lbl1 = makeLabel(page, "lbl1", QStringLiteral("使用者："), 56, 16);
    edt1 = makeEdit(page, "edt1", 120, 8, 120);
    lbl2 = makeLabel(page, "lbl2", QStringLiteral("设备名："), 56, 42);
    edt2 = makeEdit(page, "edt2", 120, 34, 120);
    lbl3 = makeLabel(page, "lbl3", QStringLiteral("MAC地址："), 45, 69);
    edt3 = makeEdit(page, "edt3", 120, 61, 120);
    Label3 = makeLabel(page, "Label3", QStringLiteral("IP获取方式："), 31, 96);
    cbIPMode = makeList(page, "cbIPMode", {QStringLiteral("静态"), QStringLiteral("动态")}, 119, 90, 123);
    lbl4 = makeLabel(page, "lbl4", QStringLiteral("IP地址："), 58, 124);
    edt4 = makeEdit(page, "edt4", 120, 116, 120);
    lbl5 = makeLabel(page, "lbl5", QStringLiteral("端口号："), 56, 150);
    edt5 = makeEdit(page, "edt5", 120, 142, 120);
    lbl6 = makeLabel(page, "lbl6", QStringLiteral("传输协议："), 44, 176);
    cbb1 = makeList(page, "cbb1", {QStringLiteral("UDP"), QStringLiteral("TCP")}, 120, 168, 120);
    lbl7 = makeLabel(page, "lbl7", QStringLiteral("工作模式："), 44, 203);
    cbb2 =
        makeList(page, "cbb2", {QStringLiteral("服务器"), QStringLiteral("自动"), QStringLiteral("客户端")},
                 120, 195, 120);
    lbl8 = makeLabel(page, "lbl8", QStringLiteral("目标IP："), 58, 229);
    edt6 = makeEdit(page, "edt6", 120, 221, 120);
    lbl9 = makeLabel(page, "lbl9", QStringLiteral("目标端口："), 44, 255);
    edt7 = makeEdit(page, "edt7", 120, 247, 120);
    lbl10 = makeLabel(page, "lbl10", QStringLiteral("网关："), 68, 282);
    edt8 = makeEdit(page, "edt8", 120, 274, 120);
    lbl11 = makeLabel(page, "lbl11", QStringLiteral("网络掩码："), 44, 308);
    edt9 = makeEdit(page, "edt9", 120, 300, 120);

    setReadOnlyField(edt3, true, scrollBarColour());
    cbIPMode->setCurrentIndex(0);
    cbb1->setCurrentIndex(1);
    cbb2->setCurrentIndex(-1);
    setReadOnlyField(edt6, true, menuColour());
    for (QLineEdit* edit : {edt7, edt8, edt9})
        setReadOnlyField(edit, true, scrollBarColour());
}

void TTcpSetFrm::buildSerialPage()
{
    QWidget* page = ts2;
    lbl12 = makeLabel(page, "lbl12", QStringLiteral("波特率："), 64, 48);
    // The ninth item is empty on purpose: modules report position 8 for it.
    cbb3 = makeList(page, "cbb3",
                    {QStringLiteral("1200"), QStringLiteral("2400"), QStringLiteral("4800"),
                     QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400"),
                     QStringLiteral("57600"), QStringLiteral("115200"), QString()},
                    112, 40, 120);
    lbl13 = makeLabel(page, "lbl13", QStringLiteral("校验："), 76, 88);
    cbb4 = makeList(page, "cbb4",
                    {QStringLiteral("None"), QStringLiteral("Even"), QStringLiteral("Odd"),
                     QStringLiteral("Mark"), QStringLiteral("Space")},
                    112, 80, 120);
    lbl14 = makeLabel(page, "lbl14", QStringLiteral("比特位："), 64, 128);
    cbb5 = makeList(page, "cbb5", {QStringLiteral("7"), QStringLiteral("8")}, 112, 120, 120);
    Label1 = makeLabel(page, "Label1", QStringLiteral("停止位："), 65, 169);
    StopCbb = makeList(page, "StopCbb",
                       {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")},
                       113, 161, 120);

    cbb3->setCurrentIndex(-1);
    cbb4->setCurrentIndex(3);
    cbb5->setCurrentIndex(1);
    StopCbb->setCurrentIndex(1);
}

void TTcpSetFrm::buildPanel()
{
    btn3 = new QPushButton(QStringLiteral("确定(&O)"), pnl1);
    btn3->setObjectName(QStringLiteral("btn3"));
    btn3->setGeometry(183, 8, 75, 25);
    btn3->setIcon(buttonIcon(strokeTick, QColor(0, 128, 0)));
    btn3->setDefault(true);
    btn4 = new QPushButton(QStringLiteral("取消(&C)"), pnl1);
    btn4->setObjectName(QStringLiteral("btn4"));
    btn4->setGeometry(258, 8, 75, 25);
    btn4->setIcon(buttonIcon(strokeCross, QColor(192, 0, 0)));
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
    return dialog->exec() == QDialog::Accepted;
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
    return WriteConfigByLibrary(entry.Ip, kWritePassword, entry.LibraryTag, config);
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
