#include "mainSrc.h"

#include "DialogTexts.h"
#include "FormLook.h"
#include "MessageBoxPresenter.h"
#include "QtText.h"
#include "TcpIpForm.h"
#include "TcpSet.h"

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>

namespace {

QRect rectOf(const FormRect& bounds)
{
    return {bounds.left, bounds.top, bounds.width, bounds.height};
}

Qt::Alignment alignmentOf(ColumnAlign align)
{
    return align == ColumnAlign::Centre ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter;
}

void setRowTexts(QTreeWidgetItem* item, const RowView& view)
{
    item->setText(0, toQt(view.ip));
    item->setText(1, toQt(view.mac));
    for (int column = 0; column < 2; ++column) {
        item->setTextAlignment(column, alignmentOf(columnTable()[column].align));
        // The list's own colour, unless the row is marked.
        item->setData(column, Qt::ForegroundRole,
                      view.sharedIp
                          ? QVariant(QColor(kSharedIpColour.red, kSharedIpColour.green, kSharedIpColour.blue))
                          : QVariant());
        item->setToolTip(column, view.sharedIp ? toQt(texts::kSharedIpHint) : QString());
    }
}

} // namespace

TTcpIpFrm::TTcpIpFrm(MessagePresenter& presenter, QWidget* parent)
    : QWidget(parent), grp1(new QGroupBox(toQt(texts::kDeviceGroup), this)), pnl1(new QFrame(this)),
      lv1(new QTreeWidget(grp1)), btn1(new QPushButton(pnl1)), btn2(new QPushButton(pnl1)),
      btn3(new QPushButton(pnl1)),
      m_model(view(), presenter,
              [&presenter](TModelParm& entry) { return TTcpSetFrm::EditDevice(entry, presenter); }),
      idpclnt1(m_model.idpclnt1)
{
    setWindowTitle(toQt(texts::kApplicationTitle));
    applyFormLook(this);

    // Lowered outer and raised inner bevel: an etched edge.
    pnl1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    pnl1->setLineWidth(1);
    pnl1->setMidLineWidth(0);

    lv1->setColumnCount(2);
    for (int column = 0; column < 2; ++column) {
        const ColumnSpec& spec = columnTable()[column];
        lv1->headerItem()->setText(column, toQt(spec.caption));
        lv1->headerItem()->setTextAlignment(column, alignmentOf(spec.align));
        lv1->setColumnWidth(column, spec.width);
    }
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

    const std::array<QPushButton*, 3> buttons{btn1, btn2, btn3};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const MainButtonSpec& spec = mainButtonTable()[i];
        buttons[i]->setText(toQt(spec.caption));
        buttons[i]->setObjectName(toQt(spec.name));
        buttons[i]->setGeometry(rectOf(spec.bounds));
    }
    connect(btn1, &QPushButton::clicked, this, &TTcpIpFrm::btn1Click);
    connect(btn2, &QPushButton::clicked, this, &TTcpIpFrm::btn2Click);
    connect(btn3, &QPushButton::clicked, this, &TTcpIpFrm::btn3Click);

    setTabOrder(lv1, btn1);
    setTabOrder(btn1, btn2);
    setTabOrder(btn2, btn3);

    resize(kMainClientWidth, kMainClientHeight);
    placeMembers();
    if (const QScreen* display = screen())
        move(display->availableGeometry().center() - QPoint(kMainOuterWidth / 2, kMainOuterHeight / 2));

    FormCreate();
}

TTcpIpFrm::~TTcpIpFrm() = default;

void TTcpIpFrm::setDeviceEditor(DeviceEditor editor)
{
    m_model.setDeviceEditor(std::move(editor));
}

TModelParm* TTcpIpFrm::entryOf(QTreeWidgetItem* item)
{
    const int row = item != nullptr ? lv1->indexOfTopLevelItem(item) : -1;
    if (row < 0 || static_cast<std::size_t>(row) >= m_model.rowCount())
        return nullptr;
    return &m_model.entry(static_cast<std::size_t>(row));
}

TcpIpView TTcpIpFrm::view()
{
    TcpIpView view;
    view.showRows = [this](const std::vector<RowView>& rows) {
        lv1->clear();
        QList<QTreeWidgetItem*> items;
        items.reserve(static_cast<qsizetype>(rows.size()));
        for (const RowView& row : rows) {
            auto* item = new QTreeWidgetItem;
            setRowTexts(item, row);
            items.append(item);
        }
        lv1->addTopLevelItems(items); // one insertion, one layout
    };
    view.showRow = [this](std::size_t index, const RowView& row) {
        if (QTreeWidgetItem* item = lv1->topLevelItem(static_cast<int>(index)))
            setRowTexts(item, row);
    };
    view.enableSearchButtons = [this](bool enabled) {
        btn1->setEnabled(enabled);
        btn2->setEnabled(enabled);
    };
    view.focusedRow = [this]() -> std::optional<std::size_t> {
        const int row = lv1->indexOfTopLevelItem(lv1->currentItem());
        return row >= 0 ? std::optional<std::size_t>(row) : std::nullopt;
    };
    view.focusedControl = [this]() -> WindowHandle { return focusWidget(); };
    view.restoreFocus = [this](WindowHandle control) {
        // Only a member still enabled: the handle is compared, never used as a pointer first.
        for (QWidget* member : std::initializer_list<QWidget*>{lv1, btn1, btn2, btn3}) {
            if (member == control && member->isEnabled())
                member->setFocus();
        }
    };
    view.setBusy = [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        else
            QApplication::restoreOverrideCursor();
    };
    view.closeWindow = [this] { close(); };
    view.ownerWindow = [this] { return ownerHandle(this); };
    return view;
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
    const MainLayout layout = mainLayout(height());
    grp1->setGeometry(rectOf(layout.grp1));
    pnl1->setGeometry(rectOf(layout.pnl1));
    lv1->setGeometry(rectOf(layout.lv1));
}
