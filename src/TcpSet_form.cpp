// The dialog's form: its pages, controls, captions, positions and tab order.
#include "TcpSet.h"

#include "FormLook.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>

namespace {

constexpr int kClientWidth = 517;
constexpr int kClientHeight = 394;
constexpr int kOuterWidth = 525;
constexpr int kOuterHeight = 421;
constexpr int kPanelHeight = 41;
constexpr int kFieldHeight = 21;

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

void TTcpSetFrm::setReadOnlyField(QLineEdit* edit, bool readOnly, const QColor& readOnlyColour)
{
    edit->setReadOnly(readOnly);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, readOnly ? readOnlyColour : editableColour());
    edit->setPalette(palette);
}

TTcpSetFrm::TTcpSetFrm(MessagePresenter& presenter) : m_presenter(presenter)
{
    setObjectName(QStringLiteral("TcpSetFrm"));
    setWindowTitle(QStringLiteral("Tcp/Ip模块设置"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
    applyFormLook(this);

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
