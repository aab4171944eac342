// The settings dialog writing modules end to end: one write per road, what a failure, a
// cancel or a refused field leaves on screen.
#include "NumText.h"
#include "TcpSetHarness.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTabWidget>
#include <chrono>
#include <thread>

namespace {

using namespace tcpsettest;
using Commands = std::vector<std::string>;

// Waits until the simulator reports the module at ip, at most two seconds.
bool moduleMovesTo(const sim::Simulator& simulator, const std::string& mac, const std::string& ip)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (simulator.currentIp(mac) != ip) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// --- Successful writes ---------------------------------------------------------------------

TEST_F(TcpSetDialog, CommandWriteSendsEveryEditedValue)
{
    sim::ModuleSpec spec = commandSpec();
    spec.values["GON"] = "\xB2\xD9\xD7\xF7\xD4\xB1"; // "操作员" as a Chinese Windows PC wrote it
    start({spec});
    TModelParm entry = commandEntry();
    const bool written = open(entry, [this](TTcpSetFrm& dialog) {
        EXPECT_EQ(dialog.edt1->text(), QStringLiteral("操作员"));
        retype(dialog.edt1, "");
        commitText(dialog.edt1, QStringLiteral("管理员"));
        retype(dialog.edt2, "Module-Z");
        pick(dialog.cbIPMode, 1);
        retype(dialog.edt5, "8100");
        pick(dialog.cbb1, 0);
        pick(dialog.cbb2, 2);
        retype(dialog.edt6, "10.77.0.3");
        retype(dialog.edt7, "7000");
        retype(dialog.edt8, "10.77.0.254");
        retype(dialog.edt9, "255.255.0.0");
        pick(dialog.cbb3, 7);
        pick(dialog.cbb4, 0);
        pick(dialog.cbb5, 0);
        simulator().clearEvents();
        QTest::keyClick(dialog.edt9, Qt::Key_O, Qt::AltModifier);
        EXPECT_TRUE(waitUntilClosed(dialog));
    });
    EXPECT_TRUE(written);
    EXPECT_TRUE(m_presenter.messages.empty());
    // The edited name goes back in the code page it came in.
    const Commands expected{"L",
                            "SON\xB9\xDC\xC0\xED\xD4\xB1",
                            "SDNModule-Z",
                            "SDH1",
                            "SPN8100",
                            "STP0",
                            "SRM2",
                            "SDI10.77.0.3",
                            "SDP7000",
                            "SGI10.77.0.254",
                            "SNM255.255.0.0",
                            "SBR7",
                            "SPR0",
                            "SBB0",
                            "SIP10.77.0.11",
                            "E",
                            "O"};
    EXPECT_EQ(commandsReceived(), expected);
    EXPECT_EQ(entry.Ip, "10.77.0.11");
    EXPECT_EQ(entry.Mac, kCommandMac);
}

TEST_F(TcpSetDialog, LibraryWriteStoresEveryEditedValueAndMovesTheEntry)
{
    start();
    TModelParm entry = libraryEntry();
    const std::string newIp = testnet::moduleIp(5);
    const bool written = open(entry, [&newIp](TTcpSetFrm& dialog) {
        retype(dialog.edt2, "Lib-C");
        pick(dialog.cbIPMode, 0);
        retype(dialog.edt4, QString::fromStdString(newIp));
        retype(dialog.edt5, "4100");
        pick(dialog.cbb2, 0);
        retype(dialog.edt8, "10.77.0.3");
        pick(dialog.cbb3, 0);
        pick(dialog.cbb4, 4);
        pick(dialog.cbb5, 1);
        pick(dialog.StopCbb, 1);
        QTest::keyClick(dialog.edt8, Qt::Key_Return); // the default button
    });
    EXPECT_TRUE(written);
    EXPECT_TRUE(m_presenter.messages.empty());
    // The module takes only its write password, so the write proves it was given.
    const std::map<std::string, std::string> expected{
        {"NAME", "Lib-C"},           {"MAC", kLibraryMac},     {"IP_MODE", "1"}, {"IP", newIp},
        {"MASK", "255.255.0.0"},     {"GATEWAY", "10.77.0.3"}, {"C1_OP", "1"},   {"C1_PORT", "4100"},
        {"C1_CLI_IP1", "10.77.0.1"}, {"C1_CLI_PP1", "5001"},   {"C1_BAUD", "2"}, {"C1_STOPB", "1"},
        {"C1_PARITY", "4"},          {"C1_DATAB", "8"},
    };
    EXPECT_EQ(simulator().values(kLibraryMac), expected);
    EXPECT_EQ(entry.Ip, newIp);
    EXPECT_EQ(entry.Mac, kLibraryMac);
    EXPECT_TRUE(moduleMovesTo(simulator(), kLibraryMac, newIp));
}

// --- Failures --------------------------------------------------------------------------------

TEST_F(TcpSetDialog, FailedReadIsReportedAndTheDialogNeverShown)
{
    sim::ModuleSpec spec = commandSpec();
    spec.faults["L"] = {sim::FaultKind::Silent};
    spec.faults["W"] = {sim::FaultKind::Silent};
    start({spec});
    TModelParm entry = commandEntry();
    ShowCounter shows;
    EXPECT_FALSE(TTcpSetFrm::EditDevice(entry, m_presenter));
    EXPECT_EQ(m_presenter.hints(), QStringList{QStringLiteral("读取TCP模块参数失败!")});
    EXPECT_EQ(shows.shown, 0);
    EXPECT_EQ(entry.Ip, testnet::moduleIp(1));
}

TEST_F(TcpSetDialog, ErrorWhileReadingPassesToTheCaller)
{
    sim::ModuleSpec spec = librarySpec();
    spec.values["C1_PORT"] = "abc";
    start({spec});
    TModelParm entry = libraryEntry();
    ShowCounter shows;
    EXPECT_THROW(TTcpSetFrm::EditDevice(entry, m_presenter), ConvertError);
    EXPECT_TRUE(m_presenter.messages.empty());
    EXPECT_EQ(shows.shown, 0);
}

TEST_F(TcpSetDialog, FailedWriteKeepsTheDialogOpenForARetry)
{
    start();
    TModelParm entry = libraryEntry();
    const std::string newIp = testnet::moduleIp(7);
    const bool written = open(entry, [&](TTcpSetFrm& dialog) {
        retype(dialog.edt2, "Renamed");
        retype(dialog.edt4, QString::fromStdString(newIp));
        simulator().setFault(kLibraryMac, sim::kModifyFault, {sim::FaultKind::Refuse});
        clickOk(dialog);
        EXPECT_EQ(m_presenter.hints(), QStringList{QStringLiteral("设置TCP模块参数失败!")});
        ASSERT_EQ(m_presenter.messages.size(), 1u);
        EXPECT_EQ(m_presenter.messages.front().parent, &dialog);
        EXPECT_TRUE(dialog.isVisible()) << "a failed write closed the dialog";
        EXPECT_EQ(dialog.edt2->text(), "Renamed");
        EXPECT_EQ(entry.Ip, testnet::moduleIp(2));

        simulator().setFault(kLibraryMac, sim::kModifyFault, {sim::FaultKind::None});
        clickOk(dialog);
    });
    EXPECT_TRUE(written);
    EXPECT_EQ(m_presenter.hints().size(), 1);
    EXPECT_EQ(entry.Ip, newIp);
}

// --- Cancelling --------------------------------------------------------------------------------

enum class CancelBy
{
    Button,
    Escape,
    AltC,
    CloseButton
};

TEST_F(TcpSetDialog, CancelWritesNothing)
{
    start();
    for (CancelBy way : {CancelBy::Button, CancelBy::Escape, CancelBy::AltC, CancelBy::CloseButton}) {
        SCOPED_TRACE(static_cast<int>(way));
        TModelParm entry = commandEntry();
        const bool written = open(entry, [this, way](TTcpSetFrm& dialog) {
            retype(dialog.edt2, "Changed");
            retype(dialog.edt4, "10.77.0.30");
            simulator().clearEvents();
            switch (way) {
            case CancelBy::Button:
                QTest::mouseClick(dialog.btn4, Qt::LeftButton);
                break;
            case CancelBy::Escape:
                QTest::keyClick(dialog.edt4, Qt::Key_Escape);
                break;
            case CancelBy::AltC:
                QTest::keyClick(dialog.edt4, Qt::Key_C, Qt::AltModifier);
                EXPECT_TRUE(waitUntilClosed(dialog));
                break;
            case CancelBy::CloseButton:
                dialog.close();
                break;
            }
        });
        EXPECT_FALSE(written);
        EXPECT_TRUE(commandsReceived().empty());
        EXPECT_EQ(simulator().values(kCommandMac).at("GDN"), "Module-A");
        EXPECT_EQ(entry.Ip, "10.77.0.11");
        EXPECT_TRUE(m_presenter.messages.empty());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// --- Fields refused before anything is sent ----------------------------------------------

TEST_F(TcpSetDialog, MalformedFieldIsFocusedOnItsPage)
{
    start();
    TModelParm entry = commandEntry();
    open(entry, [this](TTcpSetFrm& dialog) {
        retype(dialog.edt7, "80.1");
        dialog.pgc1->setCurrentWidget(dialog.ts2);
        dialog.cbb3->setFocus();
        simulator().clearEvents();
        clickOk(dialog);
        EXPECT_EQ(m_presenter.hints(), QStringList{QStringLiteral("目标端口：格式不正确!")});
        EXPECT_EQ(m_presenter.messages.front().parent, &dialog);
        EXPECT_EQ(dialog.pgc1->currentWidget(), dialog.ts1);
        EXPECT_EQ(QApplication::focusWidget(), dialog.edt7);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(commandsReceived().empty());
        dialog.reject();
    });
}

// A library module reads back 99 bytes of a value: a longer paste is refused and named,
// one that fits is written and reads back whole.
TEST_F(TcpSetDialog, PasteBeyondWhatTheRoadReadsBackIsRefused)
{
    start();
    TModelParm entry = libraryEntry();
    const QString fits = QString(33, QChar(u'张')); // 99 bytes of UTF-8
    const bool written = open(entry, [&fits, this](TTcpSetFrm& dialog) {
        dialog.edt2->setFocus();
        QTest::keyClick(dialog.edt2, Qt::Key_A, Qt::ControlModifier);
        QGuiApplication::clipboard()->setText(fits + u'x');
        QTest::keyClick(dialog.edt2, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(dialog.edt2->text(), "Lib-B");
        QCoreApplication::processEvents();
        EXPECT_EQ(m_presenter.hints(), QStringList{QStringLiteral("设备名：不能超过99字节!")});

        QGuiApplication::clipboard()->setText(fits);
        QTest::keyClick(dialog.edt2, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(dialog.edt2, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(dialog.edt2->text(), fits);
        QTest::keyClick(dialog.edt2, Qt::Key_End);
        QTest::keyClicks(dialog.edt2, "y");
        EXPECT_EQ(dialog.edt2->text(), fits) << "a typed character went beyond the limit";
        clickOk(dialog);
    });
    EXPECT_TRUE(written);
    EXPECT_EQ(m_presenter.hints().size(), 1);
    EXPECT_EQ(simulator().values(kLibraryMac).at("NAME"), fits.toStdString());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    open(entry, [&fits](TTcpSetFrm& dialog) {
        EXPECT_EQ(dialog.edt2->text(), fits);
        dialog.reject();
    });
}

} // namespace
