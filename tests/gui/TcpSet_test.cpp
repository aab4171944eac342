// The settings dialog's widgets: the form, how they show the model, the keys they let in.
#include "TcpSetHarness.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

namespace {

using namespace tcpsettest;

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

// --- Rendering ---------------------------------------------------------------------------

TEST_F(TcpSetDialog, LibraryModuleIsShownAsTheModelSays)
{
    start();
    TModelParm entry = libraryEntry();
    open(entry, [](TTcpSetFrm& dialog) {
        EXPECT_EQ(dialog.edt2->text(), "Lib-B");
        EXPECT_EQ(dialog.edt5->text(), "4001");
        EXPECT_EQ(dialog.cbb2->currentText(), QStringLiteral("客户端"));
        EXPECT_EQ(dialog.cbb3->currentText(), "115200");
        EXPECT_EQ(dialog.StopCbb->currentText(), "2");
        // The road carries no user and no protocol: nothing to show or pick.
        EXPECT_FALSE(dialog.edt1->isEnabled());
        EXPECT_NE(dialog.edt1->palette().color(QPalette::Disabled, QPalette::Base), editableColour());
        EXPECT_FALSE(dialog.cbb1->isEnabled());
        EXPECT_EQ(dialog.cbb1->currentIndex(), -1);
        EXPECT_TRUE(dialog.edt3->isReadOnly());
        EXPECT_EQ(dialog.edt3->palette().color(QPalette::Base), scrollBarColour());
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

// The user's pick runs the work-mode rule; a malformed target the user can no longer edit
// gives way to the value read, so OK does not trap the user.
TEST_F(TcpSetDialog, PickedWorkModeTogglesTheTargetFields)
{
    sim::ModuleSpec spec = commandSpec();
    spec.values["GDP"] = "0x2328"; // 9000
    spec.values["GPN"] = "502\r\n";
    start({spec});
    TModelParm entry = commandEntry(); // 自动
    const bool written = open(entry, [](TTcpSetFrm& dialog) {
        EXPECT_FALSE(dialog.edt6->isReadOnly());
        EXPECT_EQ(dialog.edt6->palette().color(QPalette::Base), editableColour());
        retype(dialog.edt6, "10.77.0.9");
        retype(dialog.edt7, "80.1");
        pick(dialog.cbb2, 0); // 服务器
        for (QLineEdit* target : {dialog.edt6, dialog.edt7}) {
            EXPECT_TRUE(target->isReadOnly());
            EXPECT_EQ(target->palette().color(QPalette::Base), menuColour());
        }
        QTest::keyClicks(dialog.edt6, "7");
        EXPECT_EQ(dialog.edt6->text(), "10.77.0.9") << "a read-only field took a key";
        EXPECT_EQ(dialog.edt7->text(), "9000");
        clickOk(dialog);
    });
    EXPECT_TRUE(written);
    EXPECT_TRUE(m_presenter.messages.empty());
    const auto values = simulator().values(kCommandMac);
    EXPECT_EQ(values.at("GRM"), "0");
    EXPECT_EQ(values.at("GDI"), "10.77.0.9");
    // Untouched, and a change given up, go back as the module reported them.
    EXPECT_EQ(values.at("GDP"), "0x2328");
    EXPECT_EQ(values.at("GPN"), "502\r\n");
    // The three colours tell the states apart.
    EXPECT_NE(menuColour(), editableColour());
    EXPECT_NE(scrollBarColour(), editableColour());
}

// --- Keys in the fields ------------------------------------------------------------------

TEST_F(TcpSetDialog, FilteredFieldsTakeTheirCharactersAndTheEditingKeys)
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
        retype(dialog.edt5, "8a0.8 1");
        EXPECT_EQ(dialog.edt5->text(), "8081");

        QLineEdit* edit = dialog.edt4;
        retype(edit, "10.77.0.11");
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(edit->selectedText(), "10.77.0.11");
        QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
        EXPECT_EQ(edit->text(), "");
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(edit->text(), "10.77.0.11");
        QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(edit->text(), "");
        QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(edit->text(), "10.77.0.11") << "redo did not reach the field";

        // An input method's text is judged as typed text in the filtered fields.
        retype(edit, "10");
        commitText(edit, QStringLiteral("。"));
        commitText(edit, QStringLiteral("5"));
        EXPECT_EQ(edit->text(), "105");

        retype(dialog.edt1, QStringLiteral(" a-1."));
        QTest::keyClick(dialog.edt1, Qt::Key_Home);
        commitText(dialog.edt1, QStringLiteral("张"));
        EXPECT_EQ(dialog.edt1->text(), QStringLiteral("张 a-1."));
        dialog.reject();
    });
}

} // namespace
