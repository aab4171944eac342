// The settings dialog: its form, what it shows of a module, its filters and work modes.
#include "TcpSetHarness.h"
#include "TcpSetInput.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

namespace {

using namespace tcpsettest;

// --- Input rules -------------------------------------------------------------------------

TEST(TcpSetInput, DottedIpv4)
{
    const std::pair<const char*, bool> cases[] = {
        {"10.77.0.11", true},
        {"0.0.0.0", true},
        {"255.255.255.255", true},
        {"010.1.1.1", true},
        {"10.77.0", false},
        {"10.77.0.11.1", false},
        {"10.77.0.256", false},
        {"10..0.11", false},
        {"10.77.0.", false},
        {".10.77.0", false},
        {"", false},
        {"1000.1.1.1", false},
        {" 10.77.0.11", false},
        {"10.77.0.11 ", false},
        {"10.77.0.x", false},
        {"１0.77.0.11", false},
    };
    for (const auto& [text, valid] : cases)
        EXPECT_EQ(isDottedIpv4(QString::fromUtf8(text)), valid) << text;
}

TEST(TcpSetInput, PortText)
{
    const std::pair<const char*, bool> cases[] = {
        {"0", true},      {"80", true},      {"65535", true}, {"08080", true}, {"65536", false},
        {"99999", false}, {"100000", false}, {"", false},     {"80.1", false}, {"-1", false},
        {"+80", false},   {" 80", false},    {"$50", false},  {"0x50", false},
    };
    for (const auto& [text, valid] : cases)
        EXPECT_EQ(isPortText(QString::fromUtf8(text)), valid) << text;
}

struct FilterCase
{
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char16_t* text;
    bool passesAddress; // DigitsAndFullStop
    bool passesPort;    // Digits
};

TEST(TcpSetInput, CharFilterJudgesTheTypedCharacter)
{
    const FilterCase cases[] = {
        {Qt::Key_0, Qt::NoModifier, u"0", true, true},
        {Qt::Key_9, Qt::NoModifier, u"9", true, true},
        {Qt::Key_Period, Qt::NoModifier, u".", true, false},
        {Qt::Key_A, Qt::NoModifier, u"a", false, false},
        {Qt::Key_A, Qt::ShiftModifier, u"A", false, false},
        {Qt::Key_Space, Qt::NoModifier, u" ", false, false},
        {Qt::Key_Minus, Qt::NoModifier, u"-", false, false},
        {Qt::Key_Comma, Qt::NoModifier, u",", false, false},
        {Qt::Key_unknown, Qt::NoModifier, u"。", false, false},
        {Qt::Key_unknown, Qt::NoModifier, u"１", false, false},
        // Keys that edit the field or belong to the dialog, whatever text they carry.
        {Qt::Key_Backspace, Qt::NoModifier, u"\b", true, true},
        {Qt::Key_Backspace, Qt::NoModifier, u"", true, true},
        {Qt::Key_Delete, Qt::NoModifier, u"\x7f", true, true},
        {Qt::Key_Left, Qt::NoModifier, u"", true, true},
        {Qt::Key_Home, Qt::ShiftModifier, u"", true, true},
        {Qt::Key_Tab, Qt::NoModifier, u"\t", true, true},
        {Qt::Key_Return, Qt::NoModifier, u"\r", true, true},
        {Qt::Key_Escape, Qt::NoModifier, u"\x1b", true, true},
        // The editing shortcuts, as letters (as some platforms report them) or as control
        // characters (as others do).
        {Qt::Key_A, Qt::ControlModifier, u"a", true, true},
        {Qt::Key_C, Qt::ControlModifier, u"c", true, true},
        {Qt::Key_X, Qt::ControlModifier, u"x", true, true},
        {Qt::Key_V, Qt::ControlModifier, u"v", true, true},
        {Qt::Key_Z, Qt::ControlModifier, u"z", true, true},
        {Qt::Key_A, Qt::ControlModifier, u"\x01", true, true},
        {Qt::Key_C, Qt::ControlModifier, u"\x03", true, true},
        {Qt::Key_X, Qt::ControlModifier, u"\x18", true, true},
        {Qt::Key_V, Qt::ControlModifier, u"\x16", true, true},
        {Qt::Key_Z, Qt::ControlModifier, u"\x1a", true, true},
        // Other control characters stay out.
        {Qt::Key_B, Qt::ControlModifier, u"\x02", false, false},
        {Qt::Key_B, Qt::ControlModifier, u"b", false, false},
        {Qt::Key_unknown, Qt::NoModifier, u"\x07", false, false},
    };
    for (const FilterCase& c : cases) {
        const QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers, QString::fromUtf16(c.text));
        const QString name = QKeySequence(c.key | c.modifiers).toString() + " text " +
                             QString::number(event.text().isEmpty() ? -1 : event.text().front().unicode());
        EXPECT_EQ(passesCharFilter(event, TypedChars::DigitsAndFullStop), c.passesAddress)
            << name.toStdString();
        EXPECT_EQ(passesCharFilter(event, TypedChars::Digits), c.passesPort) << name.toStdString();
    }
}

// --- The form ------------------------------------------------------------------------------

struct Placement
{
    const char* name;
    int page; // 1: ts1, 2: ts2
    int left, top, width;
};

TEST_F(TcpSetDialog, FormHasTheControlsWhereTheyBelong)
{
    start();
    TModelParm entry = commandEntry();
    open(entry, [](TTcpSetFrm& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Tcp/Ip模块设置"));
        EXPECT_TRUE(dialog.isModal());
        EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_EQ(dialog.size(), QSize(517, 394));
        EXPECT_EQ(dialog.font().pixelSize(), 11);
        EXPECT_EQ(dialog.pnl1->geometry(), QRect(0, 353, 517, 41));
        EXPECT_EQ(dialog.pgc1->geometry(), QRect(0, 0, 517, 353));
        ASSERT_EQ(dialog.pgc1->count(), 2);
        EXPECT_EQ(dialog.pgc1->widget(0), dialog.ts1);
        EXPECT_EQ(dialog.pgc1->tabText(0), QStringLiteral("网络设置"));
        EXPECT_EQ(dialog.pgc1->tabText(1), QStringLiteral("串口设置"));

        const Placement controls[] = {
            {"edt1", 1, 120, 8, 120},      {"edt2", 1, 120, 34, 120},  {"edt3", 1, 120, 61, 120},
            {"cbIPMode", 1, 119, 90, 123}, {"edt4", 1, 120, 116, 120}, {"edt5", 1, 120, 142, 120},
            {"cbb1", 1, 120, 168, 120},    {"cbb2", 1, 120, 195, 120}, {"edt6", 1, 120, 221, 120},
            {"edt7", 1, 120, 247, 120},    {"edt8", 1, 120, 274, 120}, {"edt9", 1, 120, 300, 120},
            {"cbb3", 2, 112, 40, 120},     {"cbb4", 2, 112, 80, 120},  {"cbb5", 2, 112, 120, 120},
            {"StopCbb", 2, 113, 161, 120},
        };
        for (const Placement& p : controls) {
            auto* control = dialog.findChild<QWidget*>(QString::fromLatin1(p.name));
            ASSERT_NE(control, nullptr) << p.name;
            EXPECT_EQ(control->geometry(), QRect(p.left, p.top, p.width, 21)) << p.name;
            EXPECT_EQ(control->parentWidget(), p.page == 1 ? dialog.ts1 : dialog.ts2) << p.name;
        }

        const std::tuple<QLabel*, const char16_t*, int, int> labels[] = {
            {dialog.lbl1, u"使用者：", 56, 16},    {dialog.lbl2, u"设备名：", 56, 42},
            {dialog.lbl3, u"MAC地址：", 45, 69},   {dialog.Label3, u"IP获取方式：", 31, 96},
            {dialog.lbl4, u"IP地址：", 58, 124},   {dialog.lbl5, u"端口号：", 56, 150},
            {dialog.lbl6, u"传输协议：", 44, 176}, {dialog.lbl7, u"工作模式：", 44, 203},
            {dialog.lbl8, u"目标IP：", 58, 229},   {dialog.lbl9, u"目标端口：", 44, 255},
            {dialog.lbl10, u"网关：", 68, 282},    {dialog.lbl11, u"网络掩码：", 44, 308},
            {dialog.lbl12, u"波特率：", 64, 48},   {dialog.lbl13, u"校验：", 76, 88},
            {dialog.lbl14, u"比特位：", 64, 128},  {dialog.Label1, u"停止位：", 65, 169},
        };
        for (const auto& [label, caption, left, top] : labels) {
            EXPECT_EQ(label->text(), QString::fromUtf16(caption));
            EXPECT_EQ(label->pos(), QPoint(left, top)) << label->objectName().toStdString();
            // Nothing clipped, and the label ends before its control begins.
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->objectName().toStdString();
            EXPECT_LE(label->geometry().right(), 112) << label->objectName().toStdString();
        }

        const std::pair<QComboBox*, QStringList> lists[] = {
            {dialog.cbIPMode, {"静态", "动态"}},
            {dialog.cbb1, {"UDP", "TCP"}},
            {dialog.cbb2, {"服务器", "自动", "客户端"}},
            {dialog.cbb3, {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200", ""}},
            {dialog.cbb4, {"None", "Even", "Odd", "Mark", "Space"}},
            {dialog.cbb5, {"7", "8"}},
            {dialog.StopCbb, {"0", "1", "2", "3"}},
        };
        for (const auto& [list, items] : lists) {
            QStringList shown;
            for (int i = 0; i < list->count(); ++i)
                shown << list->itemText(i);
            EXPECT_EQ(shown, items) << list->objectName().toStdString();
            EXPECT_FALSE(list->isEditable()) << list->objectName().toStdString();
        }

        EXPECT_EQ(dialog.btn3->text(), QStringLiteral("确定(&O)"));
        EXPECT_EQ(dialog.btn4->text(), QStringLiteral("取消(&C)"));
        EXPECT_EQ(dialog.btn3->geometry(), QRect(183, 8, 75, 25));
        EXPECT_EQ(dialog.btn4->geometry(), QRect(258, 8, 75, 25));
        EXPECT_TRUE(dialog.btn3->isDefault());
        EXPECT_FALSE(dialog.btn4->isDefault());
        for (QPushButton* button : {dialog.btn3, dialog.btn4}) {
            const QIcon icon = button->icon();
            ASSERT_FALSE(icon.isNull());
            EXPECT_NE(icon.pixmap(16, QIcon::Normal).toImage(), icon.pixmap(16, QIcon::Disabled).toImage());
        }
        dialog.reject();
    });
}

TEST_F(TcpSetDialog, TabVisitsTheEditsTopToBottomThenTheListsThenTheButtons)
{
    start();
    TModelParm entry = commandEntry();
    open(entry, [](TTcpSetFrm& dialog) {
        dialog.edt1->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), dialog.edt1);
        const QWidget* expected[] = {dialog.edt2,     dialog.edt3, dialog.edt4, dialog.edt5, dialog.edt6,
                                     dialog.edt7,     dialog.edt8, dialog.edt9, dialog.cbb1, dialog.cbb2,
                                     dialog.cbIPMode, dialog.btn3, dialog.btn4};
        for (const QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
        }
        dialog.pgc1->setCurrentWidget(dialog.ts2);
        dialog.cbb3->setFocus();
        // The command road carries no stop bits: their disabled list takes no focus.
        for (const QWidget* next :
             std::initializer_list<const QWidget*>{dialog.cbb4, dialog.cbb5, dialog.btn3}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
        }
        QTest::keyClick(dialog.btn3, Qt::Key_C, Qt::AltModifier);
        EXPECT_TRUE(waitUntilClosed(dialog));
    });
}

// --- What a module shows -----------------------------------------------------------------

TEST_F(TcpSetDialog, CommandModuleShowsItsValuesOnTheNetworkAndSerialPages)
{
    start();
    TModelParm entry = commandEntry();
    const bool written = open(entry, [](TTcpSetFrm& dialog) {
        EXPECT_EQ(dialog.pgc1->currentWidget(), dialog.ts1);
        EXPECT_EQ(dialog.edt1->text(), "operator");
        EXPECT_EQ(dialog.edt2->text(), "Module-A");
        EXPECT_EQ(dialog.edt3->text(), QString::fromStdString(kCommandMac));
        EXPECT_EQ(dialog.cbIPMode->currentText(), QStringLiteral("静态"));
        EXPECT_EQ(dialog.edt4->text(), "10.77.0.11");
        EXPECT_EQ(dialog.edt5->text(), "8080");
        EXPECT_EQ(dialog.cbb1->currentText(), "TCP");
        EXPECT_EQ(dialog.cbb2->currentText(), QStringLiteral("自动"));
        EXPECT_EQ(dialog.edt6->text(), "10.77.0.1");
        EXPECT_EQ(dialog.edt7->text(), "9000");
        EXPECT_EQ(dialog.edt8->text(), "10.77.0.1");
        EXPECT_EQ(dialog.edt9->text(), "255.255.255.0");
        EXPECT_EQ(dialog.cbb3->currentText(), "9600");
        EXPECT_EQ(dialog.cbb4->currentText(), "Odd");
        EXPECT_EQ(dialog.cbb5->currentText(), "8");
        // The command road carries no stop bits: nothing to show or pick.
        EXPECT_EQ(dialog.StopCbb->currentIndex(), -1);
        EXPECT_FALSE(dialog.StopCbb->isEnabled());
        EXPECT_TRUE(dialog.edt1->isEnabled());
        EXPECT_TRUE(dialog.cbb1->isEnabled());
        EXPECT_TRUE(dialog.edt3->isReadOnly());
        EXPECT_EQ(dialog.edt3->palette().color(QPalette::Base), scrollBarColour());
        for (QLineEdit* edit : {dialog.edt1, dialog.edt2, dialog.edt4, dialog.edt5})
            EXPECT_FALSE(edit->isReadOnly()) << edit->objectName().toStdString();
        dialog.reject();
    });
    EXPECT_FALSE(written);
    EXPECT_TRUE(m_presenter.messages.empty());
}

TEST_F(TcpSetDialog, LibraryModuleShowsItsValuesAndNoUserOrProtocol)
{
    start();
    TModelParm entry = libraryEntry();
    open(entry, [](TTcpSetFrm& dialog) {
        EXPECT_EQ(dialog.pgc1->currentWidget(), dialog.ts1);
        EXPECT_EQ(dialog.edt1->text(), "");
        EXPECT_FALSE(dialog.edt1->isEnabled());
        EXPECT_EQ(dialog.edt2->text(), "Lib-B");
        EXPECT_EQ(dialog.edt3->text(), QString::fromStdString(kLibraryMac));
        EXPECT_EQ(dialog.cbIPMode->currentText(), QStringLiteral("动态"));
        EXPECT_EQ(dialog.edt4->text(), "10.77.0.12");
        EXPECT_EQ(dialog.edt5->text(), "4001");
        EXPECT_EQ(dialog.cbb1->currentIndex(), -1);
        EXPECT_FALSE(dialog.cbb1->isEnabled());
        EXPECT_EQ(dialog.cbb2->currentText(), QStringLiteral("客户端"));
        EXPECT_EQ(dialog.edt6->text(), "10.77.0.1");
        EXPECT_EQ(dialog.edt7->text(), "5001");
        EXPECT_EQ(dialog.edt8->text(), "10.77.0.2");
        EXPECT_EQ(dialog.edt9->text(), "255.255.0.0");
        EXPECT_EQ(dialog.cbb3->currentText(), "115200");
        EXPECT_EQ(dialog.cbb4->currentText(), "Even");
        EXPECT_EQ(dialog.cbb5->currentText(), "7");
        EXPECT_EQ(dialog.StopCbb->currentText(), "2");
        EXPECT_TRUE(dialog.StopCbb->isEnabled());
        dialog.reject();
    });
}

TEST_F(TcpSetDialog, NetworkPageIsShownFirstOnEveryOpening)
{
    start();
    TModelParm entry = commandEntry();
    for (int opening = 0; opening < 2; ++opening) {
        open(entry, [](TTcpSetFrm& dialog) {
            EXPECT_EQ(dialog.pgc1->currentWidget(), dialog.ts1);
            QTabBar* tabs = dialog.pgc1->tabBar();
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
            EXPECT_EQ(dialog.pgc1->currentWidget(), dialog.ts2);
            dialog.reject();
        });
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(TTcpSetFrm::instance(), nullptr);
    }
}

// --- Work mode and the target fields -----------------------------------------------------

struct ModeCase
{
    const char* code;
    bool targetEditable;
    QColor (*readOnlyColour)();
};

TEST_F(TcpSetDialog, TargetFieldsFollowTheWorkModeRead)
{
    const ModeCase cases[] = {
        {"0", false, menuColour}, {"1", true, nullptr}, {"2", true, nullptr}, {"9", false, scrollBarColour}};
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.code);
        sim::ModuleSpec spec = commandSpec();
        spec.values["GRM"] = c.code;
        start({spec});
        TModelParm entry = commandEntry();
        open(entry, [&c](TTcpSetFrm& dialog) {
            for (QLineEdit* target : {dialog.edt6, dialog.edt7}) {
                EXPECT_EQ(target->isReadOnly(), !c.targetEditable);
                EXPECT_EQ(target->palette().color(QPalette::Base),
                          c.targetEditable ? editableColour() : c.readOnlyColour());
            }
            // Gateway and mask are the module's own; every mode may change them.
            for (QLineEdit* own : {dialog.edt8, dialog.edt9}) {
                EXPECT_FALSE(own->isReadOnly());
                EXPECT_EQ(own->palette().color(QPalette::Base), editableColour());
            }
            EXPECT_EQ(dialog.edt6->text(), "10.77.0.1");
            dialog.reject();
        });
        m_sim.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The three colours tell the states apart.
    EXPECT_NE(menuColour(), editableColour());
    EXPECT_NE(scrollBarColour(), editableColour());
}

TEST_F(TcpSetDialog, PickedWorkModeTogglesTheTargetFieldsWhichKeepTheirText)
{
    sim::ModuleSpec spec = commandSpec();
    spec.values["GRM"] = "0";
    start({spec});
    TModelParm entry = commandEntry();
    const bool written = open(entry, [](TTcpSetFrm& dialog) {
        EXPECT_TRUE(dialog.edt6->isReadOnly());
        QTest::keyClicks(dialog.edt6, "7");
        EXPECT_EQ(dialog.edt6->text(), "10.77.0.1") << "a read-only field took a key";

        pick(dialog.cbb2, 1); // 自动
        EXPECT_FALSE(dialog.edt6->isReadOnly());
        EXPECT_FALSE(dialog.edt7->isReadOnly());
        EXPECT_EQ(dialog.edt6->palette().color(QPalette::Base), editableColour());
        retype(dialog.edt6, "10.77.0.9");
        retype(dialog.edt7, "6000");

        pick(dialog.cbb2, 2); // 客户端: a client needs its target
        EXPECT_FALSE(dialog.edt6->isReadOnly());
        EXPECT_FALSE(dialog.edt7->isReadOnly());

        pick(dialog.cbb2, 0); // 服务器
        EXPECT_TRUE(dialog.edt6->isReadOnly());
        EXPECT_TRUE(dialog.edt7->isReadOnly());
        EXPECT_EQ(dialog.edt6->palette().color(QPalette::Base), menuColour());
        EXPECT_EQ(dialog.edt7->palette().color(QPalette::Base), menuColour());
        EXPECT_FALSE(dialog.edt8->isReadOnly());
        EXPECT_EQ(dialog.edt6->text(), "10.77.0.9");
        EXPECT_EQ(dialog.edt7->text(), "6000");
        clickOk(dialog);
    });
    EXPECT_TRUE(written);
    // Read-only fields are collected like the others.
    const auto values = simulator().values(kCommandMac);
    EXPECT_EQ(values.at("GRM"), "0");
    EXPECT_EQ(values.at("GDI"), "10.77.0.9");
    EXPECT_EQ(values.at("GDP"), "6000");
}

// --- Character filters in the dialog -----------------------------------------------------

TEST_F(TcpSetDialog, AddressFieldsTakeDigitsFullStopsAndEditingKeys)
{
    start();
    TModelParm entry = commandEntry();
    open(entry, [](TTcpSetFrm& dialog) {
        for (QLineEdit* edit : {dialog.edt4, dialog.edt6, dialog.edt7, dialog.edt8, dialog.edt9}) {
            SCOPED_TRACE(edit->objectName().toStdString());
            retype(edit, "1a9.2 -x,3Z");
            EXPECT_EQ(edit->text(), "19.23");
            QTest::keyClick(edit, Qt::Key_Backspace);
            EXPECT_EQ(edit->text(), "19.2");
            QTest::keyClick(edit, Qt::Key_Home);
            QTest::keyClick(edit, Qt::Key_Delete);
            EXPECT_EQ(edit->text(), "9.2");
        }
        dialog.reject();
    });
}

TEST_F(TcpSetDialog, LocalPortTakesDigitsOnly)
{
    start();
    TModelParm entry = commandEntry();
    open(entry, [](TTcpSetFrm& dialog) {
        retype(dialog.edt5, "8a0.8 1");
        EXPECT_EQ(dialog.edt5->text(), "8081");
        QTest::keyClick(dialog.edt5, Qt::Key_Backspace);
        EXPECT_EQ(dialog.edt5->text(), "808");
        dialog.reject();
    });
}

TEST_F(TcpSetDialog, EditingShortcutsWorkInFilteredFields)
{
    start();
    TModelParm entry = commandEntry();
    open(entry, [](TTcpSetFrm& dialog) {
        QLineEdit* edit = dialog.edt4;
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(edit->selectedText(), "10.77.0.11");
        QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
        EXPECT_EQ(edit->text(), "");
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(edit->text(), "10.77.0.11");
        QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(edit->text(), "");
        QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(edit->text(), "10.77.0.11");
        dialog.reject();
    });
}

TEST_F(TcpSetDialog, UserAndDeviceNameTakeAnyText)
{
    start();
    TModelParm entry = commandEntry();
    open(entry, [](TTcpSetFrm& dialog) {
        retype(dialog.edt1, QStringLiteral(" a-1."));
        QTest::keyClick(dialog.edt1, Qt::Key_Home);
        commitText(dialog.edt1, QStringLiteral("张"));
        EXPECT_EQ(dialog.edt1->text(), QStringLiteral("张 a-1."));
        retype(dialog.edt2, QStringLiteral("x/y"));
        EXPECT_EQ(dialog.edt2->text(), QStringLiteral("x/y"));
        dialog.reject();
    });
}

} // namespace
