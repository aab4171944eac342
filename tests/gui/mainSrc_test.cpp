// The main window against simulated modules of both kinds and the stand-in vendor library.
#include "MessagePresenter.h"
#include "PrivateNetwork.h"
#include "Simulator.h"
#include "mainSrc.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <set>

namespace {

using testing::ElementsAre;

class RecordingPresenter : public MessagePresenter
{
public:
    void showError(WindowHandle, const std::string& text) override
    {
        errors.push_back(QString::fromStdString(text));
    }
    void showHint(WindowHandle, const std::string& text) override
    {
        hints.push_back(QString::fromStdString(text));
    }

    QStringList errors;
    QStringList hints;
};

struct Row
{
    QString ipColumn;
    QString macColumn;
    TModelParm entry;
};

std::vector<Row> rowsOf(TTcpIpFrm& form)
{
    std::vector<Row> rows;
    for (int i = 0; i < form.lv1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = form.lv1->topLevelItem(i);
        const TModelParm* entry = form.entryOf(item);
        EXPECT_NE(entry, nullptr) << "row " << i << " holds no entry";
        rows.push_back({item->text(0), item->text(1), entry ? *entry : TModelParm{}});
    }
    return rows;
}

void showAndActivate(TTcpIpFrm& form)
{
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
}

// As a user double-clicks: the first click lands before the double-click arrives.
void doubleClick(QWidget* widget, QPoint position)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, position);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, position);
}

// Every edit the window asks for, by the entry it handed over.
struct EditorLog
{
    std::vector<TModelParm*> entries;

    TTcpIpFrm::DeviceEditor editor()
    {
        return [this](TModelParm& entry) {
            entries.push_back(&entry);
            return true;
        };
    }
};

// ---- Layout -------------------------------------------------------------------------

class MainWindowLayout : public testing::Test
{
protected:
    RecordingPresenter m_presenter;
    TTcpIpFrm m_form{m_presenter};
};

TEST_F(MainWindowLayout, MembersSitWhereTheFormPutsThem)
{
    EXPECT_EQ(m_form.windowTitle(), QStringLiteral("TCP模块参数配置"));
    EXPECT_EQ(m_form.size(), QSize(498, 434));
    EXPECT_EQ(m_form.grp1->title(), QStringLiteral("设备"));
    EXPECT_EQ(m_form.grp1->geometry(), QRect(0, 0, 393, 434));
    EXPECT_EQ(m_form.lv1->parentWidget(), m_form.grp1);
    EXPECT_EQ(m_form.lv1->geometry(), QRect(2, 15, 389, 417));
    EXPECT_EQ(m_form.pnl1->geometry(), QRect(393, 0, 104, 434));
    EXPECT_EQ(m_form.pnl1->frameShape(), QFrame::Box);
    EXPECT_EQ(m_form.pnl1->frameShadow(), QFrame::Sunken);

    const std::tuple<QPushButton*, QString, QRect> buttons[] = {
        {m_form.btn1, QStringLiteral("搜索设备"), QRect(8, 16, 89, 25)},
        {m_form.btn2, QStringLiteral("设置设备"), QRect(9, 48, 89, 25)},
        {m_form.btn3, QStringLiteral("退出"), QRect(6, 400, 89, 25)},
    };
    for (const auto& [button, caption, geometry] : buttons) {
        EXPECT_EQ(button->text(), caption);
        EXPECT_EQ(button->parentWidget(), m_form.pnl1) << caption.toStdString();
        EXPECT_EQ(button->geometry(), geometry) << caption.toStdString();
        EXPECT_TRUE(button->isEnabled()) << caption.toStdString();
    }
    ASSERT_FALSE(m_form.idpclnt1.endpoints().empty());
    for (const auto& endpoint : m_form.idpclnt1.endpoints()) {
        EXPECT_TRUE(endpoint->BroadcastEnabled);
        EXPECT_EQ(endpoint->ReceiveTimeout, 1000);
        EXPECT_TRUE(endpoint->Active()); // opened by the first search
    }
}

TEST_F(MainWindowLayout, ListIsAReportViewThatNeitherSortsNorEdits)
{
    QTreeWidget* list = m_form.lv1;
    ASSERT_EQ(list->columnCount(), 2);
    EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("IP地址"));
    EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("物理地址"));
    EXPECT_EQ(list->columnWidth(0), 100);
    EXPECT_EQ(list->columnWidth(1), 100);
    EXPECT_EQ(list->headerItem()->textAlignment(1) & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_NE(list->headerItem()->textAlignment(0) & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_FALSE(list->rootIsDecorated());
    EXPECT_FALSE(list->isSortingEnabled());
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(MainWindowLayout, GroupAndPanelFollowTheHeightWhileButtonsStay)
{
    showAndActivate(m_form);
    m_form.resize(640, 600);
    EXPECT_EQ(m_form.grp1->geometry(), QRect(0, 0, 393, 600));
    EXPECT_EQ(m_form.lv1->geometry(), QRect(2, 15, 389, 583));
    EXPECT_EQ(m_form.pnl1->geometry(), QRect(393, 0, 104, 600));
    EXPECT_EQ(m_form.btn1->geometry(), QRect(8, 16, 89, 25));
    EXPECT_EQ(m_form.btn2->geometry(), QRect(9, 48, 89, 25));
    EXPECT_EQ(m_form.btn3->geometry(), QRect(6, 400, 89, 25));
}

TEST_F(MainWindowLayout, FirstShownCentredOnTheScreen)
{
    showAndActivate(m_form);
    const QPoint screenCentre = m_form.screen()->availableGeometry().center();
    // The outer 506 x 461 is centred; the client area sits inside the frame.
    const QPoint offset = m_form.frameGeometry().center() - screenCentre;
    EXPECT_LE(offset.manhattanLength(), 30) << offset.x() << "," << offset.y();
}

TEST_F(MainWindowLayout, TabGoesFromTheListThroughTheThreeButtons)
{
    showAndActivate(m_form);
    m_form.lv1->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), m_form.lv1);
    std::vector<QWidget*> visited;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget());
    }
    EXPECT_THAT(visited, ElementsAre(m_form.btn1, m_form.btn2, m_form.btn3, m_form.lv1));
}

// ---- Searching ----------------------------------------------------------------------

const std::string kMac1 = "00-1A-2B-00-00-11";
const std::string kMac2 = "00-1A-2B-00-00-12";
const std::string kLibMac1 = "00-1A-2B-00-00-13";
const std::string kLibMac2 = "00-1A-2B-00-00-14";

std::vector<sim::ModuleSpec> modulesOfBothKinds()
{
    sim::ModuleSpec library1 = sim::libraryModule(testnet::moduleIp(3), kLibMac1, 3);
    library1.searchPort = 5001;
    sim::ModuleSpec library2 = sim::libraryModule(testnet::moduleIp(4), kLibMac2, 7);
    library2.searchPort = 5002;
    return {sim::commandModule(testnet::moduleIp(1), kMac1), sim::commandModule(testnet::moduleIp(2), kMac2),
            library1, library2};
}

class MainWindowSearch : public testing::Test
{
protected:
    sim::Simulator m_modules{modulesOfBothKinds()};
    RecordingPresenter m_presenter;
};

// The rows of one phase, whatever order the modules' replies raced in.
std::set<std::tuple<std::string, std::string, std::string, int, int, int>>
phaseRows(const std::vector<Row>& rows, std::size_t from, std::size_t to)
{
    std::set<std::tuple<std::string, std::string, std::string, int, int, int>> result;
    for (std::size_t i = from; i < to && i < rows.size(); ++i) {
        const Row& row = rows[i];
        EXPECT_EQ(row.ipColumn.toStdString(), row.entry.Ip) << "row " << i;
        result.insert({row.entry.Ip, row.entry.Mac, row.macColumn.toStdString(), row.entry.Port,
                       row.entry.ViaCommandProtocol,
                       row.entry.ViaCommandProtocol != 0 ? -1 : int{row.entry.LibraryTag}});
    }
    return result;
}

TEST_F(MainWindowSearch, OpensWithTheRowsOfBothPhasesInOrder)
{
    TTcpIpFrm form(m_presenter);
    EXPECT_FALSE(form.isVisible()); // the search ran before the first show
    EXPECT_TRUE(m_presenter.errors.isEmpty()) << m_presenter.errors.join('\n').toStdString();

    const auto rows = rowsOf(form);
    ASSERT_EQ(rows.size(), 4u);
    using Expected = std::set<std::tuple<std::string, std::string, std::string, int, int, int>>;
    EXPECT_EQ(phaseRows(rows, 0, 2), (Expected{{testnet::moduleIp(1), kMac1, kMac1, 65535, 1, -1},
                                               {testnet::moduleIp(2), kMac2, kMac2, 65535, 1, -1}}));
    EXPECT_EQ(phaseRows(rows, 2, 4), (Expected{{testnet::moduleIp(3), kLibMac1, kLibMac1, 5001, 0, 3},
                                               {testnet::moduleIp(4), kLibMac2, kLibMac2, 5002, 0, 7}}));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(form.lv1->topLevelItem(i)->textAlignment(1) & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowSearch, StartUpSearchReachesTheModulesBehindTheSecondCard)
{
    ASSERT_NE(testnet::secondLanPath(), nullptr) << "run with TCPMOD_NETNS_SECOND_LAN=1 scripts/netns";
    const std::string farMac = "00-1A-2B-00-01-11";
    std::unique_ptr<sim::Simulator> far;
    ASSERT_TRUE(testnet::inSecondLan([&] {
        far = std::make_unique<sim::Simulator>(
            std::vector<sim::ModuleSpec>{sim::commandModule(testnet::kSecondLanModuleIp, farMac)});
    }));
    TTcpIpFrm form(m_presenter);
    const auto rows = rowsOf(form);
    const auto farRow =
        std::find_if(rows.begin(), rows.end(), [&](const Row& row) { return row.entry.Mac == farMac; });
    ASSERT_NE(farRow, rows.end());
    EXPECT_EQ(farRow->ipColumn.toStdString(), testnet::kSecondLanModuleIp);
    EXPECT_EQ(farRow->entry.Via, testnet::kSecondLanPcIp);
    EXPECT_EQ(rows.size(), 5u); // the near modules once each, though both cards hear them
}

TEST_F(MainWindowSearch, SearchButtonRefillsTheListWithButtonsDisabledMeanwhile)
{
    TTcpIpFrm form(m_presenter);
    showAndActivate(form);
    ASSERT_EQ(form.lv1->topLevelItemCount(), 4);

    // Module 1 moves; the next search must show it at its new address only.
    sim::ModuleSpec moved = sim::commandModule(testnet::moduleIp(5), kMac1);
    m_modules.setModule(kMac1, moved);

    struct Seen
    {
        bool btn1Enabled;
        bool btn2Enabled;
        bool waitCursor;
    };
    std::vector<Seen> seenAtInsertion;
    QObject::connect(form.lv1->model(), &QAbstractItemModel::rowsInserted, &form, [&] {
        const QCursor* cursor = QApplication::overrideCursor();
        seenAtInsertion.push_back({form.btn1->isEnabled(), form.btn2->isEnabled(),
                                   cursor != nullptr && cursor->shape() == Qt::WaitCursor});
    });

    QTest::mouseClick(form.btn1, Qt::LeftButton);

    const auto rows = rowsOf(form);
    ASSERT_EQ(rows.size(), 4u);
    std::set<std::string> addresses;
    for (const Row& row : rows)
        addresses.insert(row.entry.Ip);
    EXPECT_EQ(addresses, (std::set<std::string>{testnet::moduleIp(5), testnet::moduleIp(2),
                                                testnet::moduleIp(3), testnet::moduleIp(4)}));
    ASSERT_EQ(seenAtInsertion.size(), 1u); // every row in one insertion
    for (const Seen& seen : seenAtInsertion) {
        EXPECT_FALSE(seen.btn1Enabled);
        EXPECT_FALSE(seen.btn2Enabled);
        EXPECT_TRUE(seen.waitCursor);
    }
    EXPECT_TRUE(form.btn1->isEnabled());
    EXPECT_TRUE(form.btn2->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(m_presenter.errors.isEmpty()) << m_presenter.errors.join('\n').toStdString();
}

TEST_F(MainWindowSearch, KeyboardSearchKeepsTheFocusOnTheSearchButton)
{
    TTcpIpFrm form(m_presenter);
    showAndActivate(form);
    form.btn1->setFocus();
    QTest::keyClick(form.btn1, Qt::Key_Space);
    EXPECT_EQ(form.lv1->topLevelItemCount(), 4);
    EXPECT_EQ(QApplication::focusWidget(), form.btn1);
}

// ---- Opening a module ---------------------------------------------------------------

class MainWindowOpen : public MainWindowSearch
{
protected:
    MainWindowOpen()
    {
        m_form.setDeviceEditor(m_edits.editor());
        showAndActivate(m_form);
    }

    QTreeWidgetItem* row(int i) { return m_form.lv1->topLevelItem(i); }
    QPoint centreOf(int i) { return m_form.lv1->visualItemRect(row(i)).center(); }

    TTcpIpFrm m_form{m_presenter};
    EditorLog m_edits;
};

TEST_F(MainWindowOpen, SettingsButtonTakesTheFocusedRowEvenWhenItIsNotSelected)
{
    ASSERT_EQ(m_form.lv1->topLevelItemCount(), 4);
    // The user selects row 3, then Ctrl+clicks it: still focused, no longer selected.
    QTest::mouseClick(m_form.lv1->viewport(), Qt::LeftButton, {}, centreOf(2));
    QTest::mouseClick(m_form.lv1->viewport(), Qt::LeftButton, Qt::ControlModifier, centreOf(2));
    ASSERT_EQ(m_form.lv1->currentItem(), row(2));
    ASSERT_TRUE(m_form.lv1->selectedItems().isEmpty());

    QTest::mouseClick(m_form.btn2, Qt::LeftButton);
    EXPECT_THAT(m_edits.entries, ElementsAre(m_form.entryOf(row(2))));

    // Another row selected while the focus stays on row 1: the focused one is opened.
    m_form.lv1->setCurrentItem(row(3));
    m_form.lv1->selectionModel()->setCurrentIndex(m_form.lv1->model()->index(1, 0),
                                                  QItemSelectionModel::NoUpdate);
    ASSERT_EQ(m_form.lv1->selectedItems(), QList<QTreeWidgetItem*>{row(3)});
    QTest::mouseClick(m_form.btn2, Qt::LeftButton);
    EXPECT_THAT(m_edits.entries, ElementsAre(m_form.entryOf(row(2)), m_form.entryOf(row(1))));
    EXPECT_TRUE(m_presenter.errors.isEmpty());
}

TEST_F(MainWindowOpen, DoubleClickAnywhereInTheListOpensTheFocusedRowOnce)
{
    m_form.lv1->setCurrentItem(row(1));
    const QPoint belowLastRow(20, m_form.lv1->viewport()->height() - 10);
    ASSERT_EQ(m_form.lv1->itemAt(belowLastRow), nullptr);
    doubleClick(m_form.lv1->viewport(), belowLastRow);
    EXPECT_THAT(m_edits.entries, ElementsAre(m_form.entryOf(row(1))));

    doubleClick(m_form.lv1->viewport(), centreOf(3));
    EXPECT_THAT(m_edits.entries, ElementsAre(m_form.entryOf(row(1)), m_form.entryOf(row(3))));
}

// ---- Ending ---------------------------------------------------------------------------

struct EndCase
{
    const char* name;
    void (*end)(TTcpIpFrm&);

    friend void PrintTo(const EndCase& endCase, std::ostream* out) { *out << endCase.name; }
};

class MainWindowEnd : public testing::TestWithParam<EndCase>
{
};

TEST_P(MainWindowEnd, ClosesTheLastWindowWhichEndsTheProgram)
{
    RecordingPresenter presenter;
    TTcpIpFrm form(presenter);
    showAndActivate(form);
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    // Inside the message loop, as the program runs it; exit code 1 if it never ends.
    QTimer::singleShot(0, &form, [&form] { GetParam().end(form); });
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(lastClosed.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, MainWindowEnd,
    testing::Values(EndCase{"ExitButton",
                            [](TTcpIpFrm& form) { QTest::mouseClick(form.btn3, Qt::LeftButton); }},
                    EndCase{"TitleBarClose", [](TTcpIpFrm& form) { form.windowHandle()->close(); }}),
    [](const testing::TestParamInfo<EndCase>& param) { return std::string(param.param.name); });

} // namespace
