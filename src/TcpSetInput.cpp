#include "TcpSetInput.h"

#include "net.h"

#include <QKeyEvent>
#include <array>

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Backspace, and the characters Ctrl+A, Ctrl+C, Ctrl+V, Ctrl+X and Ctrl+Z type where the
// platform reports them as characters.
bool isEditingControl(QChar c)
{
    constexpr std::array<char16_t, 6> kPassed{0x08, 0x01, 0x03, 0x16, 0x18, 0x1A};
    for (char16_t code : kPassed) {
        if (c.unicode() == code)
            return true;
    }
    return false;
}

bool isEditingShortcut(const QKeyEvent& event)
{
    return event.matches(QKeySequence::SelectAll) || event.matches(QKeySequence::Copy) ||
           event.matches(QKeySequence::Cut) || event.matches(QKeySequence::Paste) ||
           event.matches(QKeySequence::Undo);
}

// Keys that belong to the field's editing or to the dialog, whatever text they carry.
bool isPassedKey(int key)
{
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return true;
    default:
        return false;
    }
}

// 1 to maxDigits decimal digits whose value is at most maxValue.
bool isBoundedNumber(QStringView text, int maxDigits, int maxValue)
{
    if (text.isEmpty() || text.size() > maxDigits)
        return false;
    int value = 0;
    for (QChar c : text) {
        if (!isAsciiDigit(c))
            return false;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value <= maxValue;
}

} // namespace

bool passesCharFilter(const QKeyEvent& event, TypedChars allowed)
{
    if (isPassedKey(event.key()) || isEditingShortcut(event))
        return true;
    for (QChar c : event.text()) {
        const bool accepted =
            isAsciiDigit(c) || (c == u'.' && allowed == TypedChars::DigitsAndFullStop) || isEditingControl(c);
        if (!accepted)
            return false;
    }
    return true;
}

bool isDottedIpv4(const QString& text)
{
    // The same form the socket layer takes as an address without a look-up.
    return isDottedQuad(text.toStdString());
}

bool isPortText(const QString& text)
{
    return isBoundedNumber(text, 5, 65535);
}
