// How the Qt fields hand key presses to the model's character filter, and the validator
// that keeps a text within what the road reads back.
#include "TcpSetInput.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

struct KeyCase
{
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char16_t* text;
    bool passes; // with a filter that takes digits only
};

TEST(TcpSetInput, KeysPassOrTheirCharactersAreJudged)
{
    const KeyCase cases[] = {
        {Qt::Key_0, Qt::NoModifier, u"0", true},
        {Qt::Key_A, Qt::NoModifier, u"a", false},
        {Qt::Key_unknown, Qt::NoModifier, u"１", false},
        {Qt::Key_unknown, Qt::NoModifier, u"12", true},
        {Qt::Key_unknown, Qt::NoModifier, u"1a", false},
        // Keys that edit the field or belong to the dialog, whatever text they carry.
        {Qt::Key_Backspace, Qt::NoModifier, u"", true},
        {Qt::Key_Delete, Qt::NoModifier, u"\x7f", true},
        {Qt::Key_Left, Qt::NoModifier, u"", true},
        {Qt::Key_Home, Qt::ShiftModifier, u"", true},
        {Qt::Key_Tab, Qt::NoModifier, u"\t", true},
        {Qt::Key_Return, Qt::NoModifier, u"\r", true},
        {Qt::Key_Escape, Qt::NoModifier, u"\x1b", true},
        // The editing shortcuts as letters, as some platforms report them.
        {Qt::Key_A, Qt::ControlModifier, u"a", true},
        {Qt::Key_C, Qt::ControlModifier, u"c", true},
        {Qt::Key_X, Qt::ControlModifier, u"x", true},
        {Qt::Key_V, Qt::ControlModifier, u"v", true},
        {Qt::Key_Z, Qt::ControlModifier, u"z", true},
        {Qt::Key_Y, Qt::ControlModifier, u"y", true},
        {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, u"Z", true},
        {Qt::Key_B, Qt::ControlModifier, u"b", false},
        {Qt::Key_Y, Qt::NoModifier, u"y", false},
        {Qt::Key_Z, Qt::ShiftModifier, u"Z", false},
    };
    const auto digits = [](char32_t c) { return c >= U'0' && c <= U'9'; };
    for (const KeyCase& c : cases) {
        const QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers, QString::fromUtf16(c.text));
        EXPECT_EQ(passesCharFilter(event, digits), c.passes)
            << QKeySequence(c.key | c.modifiers).toString().toStdString() << " text "
            << QString::fromUtf16(c.text).toStdString();
    }
}

class NoPresenter : public MessagePresenter
{
public:
    void showError(WindowHandle, const std::string&) override {}
    void showHint(WindowHandle, const std::string&) override {}
};

TEST(TcpSetInput, ValidatorRefusesWhatTheModelRefuses)
{
    NoPresenter presenter;
    TcpSetModel model(presenter, nullptr, {[](const TModelParm&, TModelConfig&) { return true; }, nullptr});
    TModelParm entry; // the library road: 99 bytes
    ASSERT_TRUE(model.LoadConfig(entry));
    QLineEdit edit;
    ReadBackValidator validator(model, ControlId::edt2, &edit);
    QString text = QString(99, u'n');
    int pos = 0;
    EXPECT_EQ(validator.validate(text, pos), QValidator::Acceptable);
    model.setText(ControlId::edt2, std::string(99, 'n'));
    text += u'n';
    EXPECT_EQ(validator.validate(text, pos), QValidator::Invalid);
}

} // namespace
