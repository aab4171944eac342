// The settings dialog writing modules: what goes out, what is checked first, what a
// failure or a cancel leaves behind.
#include "DeviceText.h"
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
    start();
    TModelParm entry = commandEntry();
    const bool written = open(entry, [this](TTcpSetFrm& dialog) {
        retype(dialog.edt1, "admin");
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
    const Commands expected{"L",       "SONadmin",       "SDNModule-Z",    "SDH1",
                            "SPN8100", "STP0",           "SRM2",           "SDI10.77.0.3",
                            "SDP7000", "SGI10.77.0.254", "SNM255.255.0.0", "SBR7",
                            "SPR0",    "SBB0",           "SIP10.77.0.11",  "E",
                            "O"};
    EXPECT_EQ(commandsReceived(), expected);
    const auto values = simulator().values(kCommandMac);
    EXPECT_EQ(values.at("GON"), "admin");
    EXPECT_EQ(values.at("GDN"), "Module-Z");
    EXPECT_EQ(values.at("GDH"), "1");
    EXPECT_EQ(values.at("GPN"), "8100");
    EXPECT_EQ(values.at("GTP"), "0");
    EXPECT_EQ(values.at("GRM"), "2");
    EXPECT_EQ(values.at("GDI"), "10.77.0.3");
    EXPECT_EQ(values.at("GDP"), "7000");
    EXPECT_EQ(values.at("GGI"), "10.77.0.254");
    EXPECT_EQ(values.at("GNM"), "255.255.0.0");
    EXPECT_EQ(values.at("GBR"), "7");
    EXPECT_EQ(values.at("GPR"), "0");
    EXPECT_EQ(values.at("GBB"), "0");
    EXPECT_EQ(entry.Ip, "10.77.0.11");
    EXPECT_EQ(entry.Mac, kCommandMac);
}

TEST_F(TcpSetDialog, LibraryWriteStoresEveryEditedValue)
{
    start();
    TModelParm entry = libraryEntry();
    const bool written = open(entry, [](TTcpSetFrm& dialog) {
        retype(dialog.edt2, "Lib-C");
        pick(dialog.cbIPMode, 0);
        retype(dialog.edt5, "4100");
        pick(dialog.cbb2, 0);
        retype(dialog.edt8, "10.77.0.3");
        pick(dialog.cbb3, 0);
        pick(dialog.cbb4, 4);
        pick(dialog.cbb5, 1);
        pick(dialog.StopCbb, 1);
        clickOk(dialog);
    });
    EXPECT_TRUE(written);
    EXPECT_TRUE(m_presenter.messages.empty());
    // The module takes only its write password, so the write proves it was given.
    const std::map<std::string, std::string> expected{
        {"NAME", "Lib-C"},           {"MAC", kLibraryMac},     {"IP_MODE", "1"}, {"IP", "10.77.0.12"},
        {"MASK", "255.255.0.0"},     {"GATEWAY", "10.77.0.3"}, {"C1_OP", "1"},   {"C1_PORT", "4100"},
        {"C1_CLI_IP1", "10.77.0.1"}, {"C1_CLI_PP1", "5001"},   {"C1_BAUD", "2"}, {"C1_STOPB", "1"},
        {"C1_PARITY", "4"},          {"C1_DATAB", "8"},
    };
    EXPECT_EQ(simulator().values(kLibraryMac), expected);
    EXPECT_EQ(entry.Ip, "10.77.0.12");
}

TEST_F(TcpSetDialog, NewIpMovesTheEntryAndTheNextOpeningReachesIt)
{
    start();
    TModelParm entry = commandEntry();
    const std::string newIp = testnet::moduleIp(5);
    const bool written = open(entry, [&newIp](TTcpSetFrm& dialog) {
        retype(dialog.edt4, QString::fromStdString(newIp));
        QTest::keyClick(dialog.edt4, Qt::Key_Return); // the default button
    });
    EXPECT_TRUE(written);
    EXPECT_EQ(entry.Ip, newIp);
    EXPECT_EQ(entry.Mac, kCommandMac);
    ASSERT_TRUE(moduleMovesTo(simulator(), kCommandMac, newIp));

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    simulator().clearEvents();
    open(entry, [&newIp](TTcpSetFrm& dialog) {
        EXPECT_EQ(dialog.edt4->text(), QString::fromStdString(newIp));
        dialog.reject();
    });
    const auto events = simulator().eventsFor(kCommandMac);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().data, "L");
    EXPECT_FALSE(events.front().broadcast) << "the opening went by broadcast, not to the new address";
}

// --- Failures --------------------------------------------------------------------------------

struct ReadFailureCase
{
    const char* name;
    bool commandModule;
};

TEST_F(TcpSetDialog, FailedReadIsReportedAndTheDialogNeverShown)
{
    for (const ReadFailureCase& c : {ReadFailureCase{"command module silent on L and W", true},
                                     ReadFailureCase{"library module that cannot be fetched", false}}) {
        SCOPED_TRACE(c.name);
        sim::ModuleSpec spec = c.commandModule ? commandSpec() : librarySpec();
        spec.faults["L"] = {sim::FaultKind::Silent};
        spec.faults["W"] = {sim::FaultKind::Silent};
        spec.failFetch = true;
        start({spec});
        TModelParm entry = c.commandModule ? commandEntry() : libraryEntry();
        const TModelParm before = entry;
        m_presenter.messages.clear();
        ShowCounter shows;

        EXPECT_FALSE(TTcpSetFrm::EditDevice(entry, m_presenter));
        EXPECT_EQ(m_presenter.hints(), QStringList{QStringLiteral("读取TCP模块参数失败!")});
        EXPECT_TRUE(m_presenter.errors().isEmpty());
        EXPECT_EQ(shows.shown, 0);
        EXPECT_EQ(entry.Ip, before.Ip);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(TTcpSetFrm::instance(), nullptr);
        m_sim.reset();
    }
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

struct WriteFailureCase
{
    const char* name;
    bool commandModule;
    const char* faultKey;
};

TEST_F(TcpSetDialog, FailedWriteKeepsTheDialogOpenForARetry)
{
    const WriteFailureCase cases[] = {{"command module refusing SIP", true, "SIP"},
                                      {"library module refusing the change", false, sim::kModifyFault}};
    for (const WriteFailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        start();
        TModelParm entry = c.commandModule ? commandEntry() : libraryEntry();
        const std::string mac = entry.Mac;
        const std::string oldIp = entry.Ip;
        const std::string newIp = testnet::moduleIp(c.commandModule ? 6 : 7);
        m_presenter.messages.clear();
        const bool written = open(entry, [&](TTcpSetFrm& dialog) {
            retype(dialog.edt2, "Renamed");
            retype(dialog.edt4, QString::fromStdString(newIp));
            simulator().setFault(mac, c.faultKey, {sim::FaultKind::Refuse});
            clickOk(dialog);
            EXPECT_EQ(m_presenter.hints(), QStringList{QStringLiteral("设置TCP模块参数失败!")});
            ASSERT_EQ(m_presenter.messages.size(), 1u);
            EXPECT_EQ(m_presenter.messages.front().parent, &dialog);
            EXPECT_TRUE(dialog.isVisible()) << "a failed write closed the dialog";
            EXPECT_EQ(dialog.edt2->text(), "Renamed");
            EXPECT_EQ(dialog.edt4->text(), QString::fromStdString(newIp));
            EXPECT_EQ(entry.Ip, oldIp);

            simulator().setFault(mac, c.faultKey, {sim::FaultKind::None});
            clickOk(dialog);
        });
        EXPECT_TRUE(written);
        EXPECT_EQ(m_presenter.hints().size(), 1);
        EXPECT_EQ(entry.Ip, newIp);
        EXPECT_TRUE(moduleMovesTo(simulator(), mac, newIp));
        m_sim.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(TcpSetDialog, FailedWriteThenCancelLeavesTheEntry)
{
    start();
    TModelParm entry = commandEntry();
    const bool written = open(entry, [this](TTcpSetFrm& dialog) {
        retype(dialog.edt4, "10.77.0.20");
        simulator().setFault(kCommandMac, "E", {sim::FaultKind::Refuse});
        clickOk(dialog);
        EXPECT_TRUE(dialog.isVisible());
        QTest::mouseClick(dialog.btn4, Qt::LeftButton);
    });
    EXPECT_FALSE(written);
    EXPECT_EQ(m_presenter.hints(), QStringList{QStringLiteral("设置TCP模块参数失败!")});
    EXPECT_EQ(entry.Ip, "10.77.0.11");
    EXPECT_EQ(simulator().currentIp(kCommandMac), "10.77.0.11");
}

TEST_F(TcpSetDialog, ErrorWhileWritingIsShownAndTheDialogStays)
{
    start();
    TModelParm entry = commandEntry();
    const bool written = open(entry, [this, &entry](TTcpSetFrm& dialog) {
        retype(dialog.edt2, "Renamed");
        // A name no look-up finds: the socket layer raises its error.
        entry.Ip = "nohost.tcpmod.test";
        clickOk(dialog);
        ASSERT_EQ(m_presenter.errors().size(), 1);
        EXPECT_TRUE(m_presenter.errors().front().startsWith("Socket Error # 11001"))
            << m_presenter.errors().front().toStdString();
        EXPECT_TRUE(m_presenter.hints().isEmpty());
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.edt2->text(), "Renamed");

        entry.Ip = testnet::moduleIp(1);
        clickOk(dialog);
    });
    EXPECT_TRUE(written);
    EXPECT_EQ(simulator().values(kCommandMac).at("GDN"), "Renamed");
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

// --- Checks before anything is sent ------------------------------------------------------

struct MalformedCase
{
    const char* field;
    const char* text;
    const char16_t* message;
};

TEST_F(TcpSetDialog, MalformedChangedFieldIsNamedAndNothingIsSent)
{
    const MalformedCase cases[] = {
        {"edt4", "10.77.0", u"IP地址：格式不正确!"},
        {"edt4", "", u"IP地址：格式不正确!"},
        {"edt4", "10.77.0.300", u"IP地址：格式不正确!"},
        {"edt5", "", u"端口号：格式不正确!"},
        {"edt5", "70000", u"端口号：格式不正确!"},
        {"edt6", "10.77.0.256", u"目标IP：格式不正确!"},
        {"edt7", "80.1", u"目标端口：格式不正确!"},
        {"edt7", "", u"目标端口：格式不正确!"},
        {"edt7", "65536", u"目标端口：格式不正确!"},
        {"edt8", "10..0.1", u"网关：格式不正确!"},
        {"edt9", "255.255.255.0.0", u"网络掩码：格式不正确!"},
    };
    start();
    for (const MalformedCase& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " '" + c.text + "'");
        TModelParm entry = commandEntry();
        m_presenter.messages.clear();
        const bool written = open(entry, [this, &c](TTcpSetFrm& dialog) {
            auto* field = dialog.findChild<QLineEdit*>(QString::fromLatin1(c.field));
            ASSERT_NE(field, nullptr);
            retype(field, QString::fromLatin1(c.text));
            dialog.pgc1->setCurrentWidget(dialog.ts2);
            dialog.cbb3->setFocus();
            simulator().clearEvents();
            clickOk(dialog);
            EXPECT_EQ(m_presenter.hints(), QStringList{QString::fromUtf16(c.message)});
            EXPECT_EQ(dialog.pgc1->currentWidget(), dialog.ts1);
            EXPECT_EQ(QApplication::focusWidget(), field);
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_TRUE(commandsReceived().empty()) << "sent " << commandsReceived().front();
            dialog.reject();
        });
        EXPECT_FALSE(written);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(TcpSetDialog, PastedLettersAreCaughtBeforeTheWrite)
{
    start();
    TModelParm entry = commandEntry();
    open(entry, [this](TTcpSetFrm& dialog) {
        QGuiApplication::clipboard()->setText(QStringLiteral("gateway"));
        dialog.edt8->setFocus();
        QTest::keyClick(dialog.edt8, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(dialog.edt8, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(dialog.edt8->text(), "gateway");
        simulator().clearEvents();
        clickOk(dialog);
        EXPECT_EQ(m_presenter.hints(), QStringList{QStringLiteral("网关：格式不正确!")});
        EXPECT_TRUE(commandsReceived().empty());
        dialog.reject();
    });
}

// Values the module reported that no check would pass, and texts in a code page of their
// own: left alone, each goes back exactly as it came.
TEST_F(TcpSetDialog, UntouchedFieldsGoBackExactlyAsRead)
{
    sim::ModuleSpec spec = commandSpec();
    spec.values["GON"] = "\xB2\xD9\xD7\xF7\xD4\xB1"; // GBK bytes, not UTF-8
    spec.values["GDN"] = "\xC9\xE8\xB1\xB8";
    spec.values["GDI"] = "none";
    spec.values["GDP"] = "0x50";
    spec.values["GNM"] = "";
    spec.values["GPN"] = "-1";
    start({spec});
    TModelParm entry = commandEntry();
    const bool written = open(entry, [this](TTcpSetFrm& dialog) {
        EXPECT_EQ(dialog.edt7->text(), "80");
        EXPECT_EQ(dialog.edt5->text(), "-1");
        retype(dialog.edt8, "10.77.0.9");
        simulator().clearEvents();
        clickOk(dialog);
    });
    EXPECT_TRUE(written);
    EXPECT_TRUE(m_presenter.messages.empty());
    const Commands expected{"L",
                            "SON\xB2\xD9\xD7\xF7\xD4\xB1",
                            "SDN\xC9\xE8\xB1\xB8",
                            "SDH0",
                            "SPN-1",
                            "STP1",
                            "SRM1",
                            "SDInone",
                            "SDP0x50", // shown as 80, sent as it came
                            "SGI10.77.0.9",
                            "SNM",
                            "SBR3",
                            "SPR2",
                            "SBB1",
                            "SIP10.77.0.11",
                            "E",
                            "O"};
    EXPECT_EQ(commandsReceived(), expected);
}

TEST_F(TcpSetDialog, EditedTextGoesOutInTheSystemCodePage)
{
    start();
    TModelParm entry = commandEntry();
    const QString name = QStringLiteral("新模块");
    const bool written = open(entry, [&name](TTcpSetFrm& dialog) {
        retype(dialog.edt2, "");
        commitText(dialog.edt2, name);
        clickOk(dialog);
    });
    EXPECT_TRUE(written);
    const std::string bytes = simulator().values(kCommandMac).at("GDN");
    EXPECT_EQ(bytes, textToDevice(name));
    EXPECT_EQ(textFromDevice(bytes), name);
}

// --- Codes -----------------------------------------------------------------------------------

TEST_F(TcpSetDialog, CodesNoItemNamesSurviveUnlessTheUserPicks)
{
    sim::ModuleSpec spec = commandSpec();
    spec.values["GDH"] = "5";
    spec.values["GTP"] = "4";
    spec.values["GRM"] = "9";
    spec.values["GPR"] = "7";
    spec.values["GBB"] = "300";     // one byte: 44, sent back as read
    spec.values["GPN"] = "502\r\n"; // shown as 0, sent back as read
    start({spec});
    TModelParm entry = commandEntry();
    EXPECT_TRUE(open(entry, [this](TTcpSetFrm& dialog) {
        for (QComboBox* list : {dialog.cbIPMode, dialog.cbb1, dialog.cbb2, dialog.cbb4, dialog.cbb5})
            EXPECT_EQ(list->currentIndex(), -1) << list->objectName().toStdString();
        EXPECT_TRUE(dialog.edt6->isReadOnly()); // no work mode
        simulator().clearEvents();
        clickOk(dialog);
    }));
    const Commands sent = commandsReceived();
    for (const char* command : {"SDH5", "STP4", "SRM9", "SPR7", "SBB300", "SPN502\r\n"})
        EXPECT_NE(std::find(sent.begin(), sent.end(), command), sent.end()) << command;

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(open(entry, [this](TTcpSetFrm& dialog) {
        pick(dialog.cbb4, 4);
        pick(dialog.cbIPMode, 1);
        simulator().clearEvents();
        clickOk(dialog);
    }));
    const auto values = simulator().values(kCommandMac);
    EXPECT_EQ(values.at("GPR"), "4");
    EXPECT_EQ(values.at("GDH"), "1");
    EXPECT_EQ(values.at("GRM"), "9");
}

TEST_F(TcpSetDialog, EmptyBaudItemIsPositionEight)
{
    sim::ModuleSpec spec = commandSpec();
    spec.values["GBR"] = "8";
    start({spec});
    TModelParm entry = commandEntry();
    EXPECT_TRUE(open(entry, [](TTcpSetFrm& dialog) {
        EXPECT_EQ(dialog.cbb3->currentIndex(), 8);
        EXPECT_EQ(dialog.cbb3->currentText(), "");
        clickOk(dialog);
    }));
    EXPECT_EQ(simulator().values(kCommandMac).at("GBR"), "8");

    simulator().setModule(kCommandMac, commandSpec());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(open(entry, [](TTcpSetFrm& dialog) {
        EXPECT_EQ(dialog.cbb3->currentText(), "9600");
        pick(dialog.cbb3, 8);
        clickOk(dialog);
    }));
    EXPECT_EQ(simulator().values(kCommandMac).at("GBR"), "8");
}

} // namespace
