#include "mainSrc.h"

#include "BusyCursor.h"
#include "DeviceText.h"
#include "DialogTexts.h"
#include "Discovery.h"
#include "FormLook.h"
#include "MessageBoxPresenter.h"
#include "QtText.h"
#include "TcpSet.h"

#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <algorithm>

namespace {

// Client area of the 506 x 461 window (its frame takes 8 x 27 pixels).
constexpr int kClientWidth = 498;
constexpr int kClientHeight = 434;
constexpr int kOuterWidth = 506;
constexpr int kOuterHeight = 461;
constexpr int kGroupWidth = 393;
constexpr int kPanelWidth = 104;

// One row of lv1; it owns the entry it shows.
class DeviceItem : public QTreeWidgetItem
{
public:
    static constexpr int kType = QTreeWidgetItem::UserType + 1;

    explicit DeviceItem(const TModelParm& entry) : QTreeWidgetItem(kType), m_entry(entry) {}

    TModelParm& entry() { return m_entry; }

private:
    TModelParm m_entry;
};

QTreeWidgetItem* makeRow(const TModelParm& entry)
{
    auto* row = new DeviceItem(entry);
    row->setText(0, toQt(textFromDevice(entry.Ip).text));
    row->setText(1, toQt(textFromDevice(entry.Mac).text));
    row->setTextAlignment(1, Qt::AlignCenter);
    return row;
}

QPushButton* makeButton(const QString& caption, QWidget* parent, int left, int top)
{
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(left, top, 89, 25);
    return button;
}

} // namespace

TTcpIpFrm::TTcpIpFrm(MessagePresenter& presenter, QWidget* parent)
    : QWidget(parent), grp1(new QGroupBox(toQt(texts::kDeviceGroup), this)), pnl1(new QFrame(this)),
      lv1(new QTreeWidget(grp1)), btn1(makeButton(toQt(texts::kSearchButton), pnl1, 8, 16)),
      btn2(makeButton(toQt(texts::kEditButton), pnl1, 9, 48)),
      btn3(makeButton(toQt(texts::kExitButton), pnl1, 6, 400)), m_presenter(presenter),
      m_editDevice([this](TModelParm& entry) { return TTcpSetFrm::EditDevice(entry, m_presenter); })
{
    setWindowTitle(toQt(texts::kApplicationTitle));
    applyFormLook(this);

    // Lowered outer and raised inner bevel: an etched edge.
    pnl1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    pnl1->setLineWidth(1);
    pnl1->setMidLineWidth(0);

    lv1->setColumnCount(2);
    lv1->setHeaderLabels({toQt(texts::kIpColumn), toQt(texts::kMacColumn)});
    lv1->headerItem()->setTextAlignment(1, Qt::AlignCenter);
    lv1->setColumnWidth(0, 100);
    lv1->setColumnWidth(1, 100);
    lv1->header()->setStretchLastSection(false);
    lv1->header()->setSectionsMovable(false);
    lv1->setRootIsDecorated(false);
    lv1->setItemsExpandable(false);
    lv1->setUniformRowHeights(true);
    lv1->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv1->setSelectionMode(QAbstractItemView::SingleSelection);
    lv1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv1->setSortingEnabled(false);
    // Double-clicks on the empty space below the rows count too.
    lv1->viewport()->installEventFilter(this);

    connect(btn1, &QPushButton::clicked, this, &TTcpIpFrm::btn1Click);
    connect(btn2, &QPushButton::clicked, this, &TTcpIpFrm::btn2Click);
    connect(btn3, &QPushButton::clicked, this, &TTcpIpFrm::btn3Click);

    setTabOrder(lv1, btn1);
    setTabOrder(btn1, btn2);
    setTabOrder(btn2, btn3);

    ConfigureDiscoveryEndpoint(idpclnt1);

    resize(kClientWidth, kClientHeight);
    placeMembers();
    if (const QScreen* display = screen())
        move(display->availableGeometry().center() - QPoint(kOuterWidth / 2, kOuterHeight / 2));

    FormCreate();
}

TTcpIpFrm::~TTcpIpFrm() = default;

void TTcpIpFrm::setDeviceEditor(DeviceEditor editor)
{
    m_editDevice = std::move(editor);
}

TModelParm* TTcpIpFrm::entryOf(QTreeWidgetItem* item)
{
    if (item == nullptr || item->type() != DeviceItem::kType)
        return nullptr;
    return &static_cast<DeviceItem*>(item)->entry();
}

void TTcpIpFrm::SearchTcp()
{
    lv1->clear();
    BusyCursor busy;
    // The rows go into the list in one insertion when the search ends, also when it ends
    // with an error: a thousand modules cost one layout of the list, not a thousand.
    QList<QTreeWidgetItem*> rows;
    try {
        RunSearch(idpclnt1, [&rows](const TModelParm& entry) { rows.append(makeRow(entry)); });
    } catch (...) {
        lv1->addTopLevelItems(rows);
        throw;
    }
    lv1->addTopLevelItems(rows);
}

void TTcpIpFrm::runHandler(const std::function<void()>& body)
{
    runGuarded(m_presenter, ownerHandle(this), body);
}

void TTcpIpFrm::FormCreate()
{
    runHandler([this] { SearchTcp(); });
}

void TTcpIpFrm::btn1Click()
{
    runHandler([this] {
        // Disabling the focused button moves the focus on; it comes back afterwards so that
        // the keyboard is not left on "退出".
        const QPointer<QWidget> focused = focusWidget();
        btn1->setEnabled(false);
        btn2->setEnabled(false);
        struct Reenable
        {
            TTcpIpFrm* form;
            const QPointer<QWidget>& focused;
            ~Reenable()
            {
                form->btn1->setEnabled(true);
                form->btn2->setEnabled(true);
                if (focused && focused->isEnabled())
                    focused->setFocus();
            }
        } reenable{this, focused};
        SearchTcp();
    });
}

void TTcpIpFrm::btn2Click()
{
    runHandler([this] {
        QTreeWidgetItem* row = lv1->currentItem();
        TModelParm* entry = entryOf(row);
        if (entry == nullptr)
            return;
        m_editDevice(*entry);
        row->setText(0, toQt(textFromDevice(entry->Ip).text));
    });
}

void TTcpIpFrm::btn3Click()
{
    runHandler([this] { close(); });
}

bool TTcpIpFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lv1->viewport() && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        btn2Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TTcpIpFrm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeMembers();
}

void TTcpIpFrm::placeMembers()
{
    // The group and the panel follow the height at fixed widths; the buttons stay put.
    const int clientHeight = height();
    grp1->setGeometry(0, 0, kGroupWidth, clientHeight);
    pnl1->setGeometry(kGroupWidth, 0, kPanelWidth, clientHeight);
    lv1->setGeometry(2, 15, kGroupWidth - 4, std::max(0, clientHeight - 17));
}
