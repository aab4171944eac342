#include "TcpSetInput.h"

#include "QtText.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTimer>

namespace {

bool isEditingShortcut(const QKeyEvent& event)
{
    if (event.matches(QKeySequence::SelectAll) || event.matches(QKeySequence::Copy) ||
        event.matches(QKeySequence::Cut) || event.matches(QKeySequence::Paste) ||
        event.matches(QKeySequence::Undo) || event.matches(QKeySequence::Redo))
        return true;
    // Redo as Windows users know it, whatever the platform's own binding.
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    return (event.key() == Qt::Key_Y && modifiers == Qt::ControlModifier) ||
           (event.key() == Qt::Key_Z && modifiers == (Qt::ControlModifier | Qt::ShiftModifier));
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

} // namespace

bool passesCharFilter(const QKeyEvent& event, const std::function<bool(char32_t)>& accepts)
{
    if (isPassedKey(event.key()) || isEditingShortcut(event))
        return true;
    for (char32_t c : event.text().toUcs4()) {
        if (!accepts(c))
            return false;
    }
    return true;
}

bool passesCharFilter(const QInputMethodEvent& event, const std::function<bool(char32_t)>& accepts)
{
    for (char32_t c : event.commitString().toUcs4()) {
        if (!accepts(c))
            return false;
    }
    return true;
}

ReadBackValidator::ReadBackValidator(TcpSetModel& model, ControlId id, QObject* parent)
    : QValidator(parent), m_model(model), m_id(id)
{
}

QValidator::State ReadBackValidator::validate(QString& input, int& /*pos*/) const
{
    const std::string oldText = m_model.controlView(m_id).text;
    switch (m_model.judgeEdit(m_id, oldText, fromQt(input))) {
    case EditVerdict::Accept:
        return Acceptable;
    case EditVerdict::Refuse:
        return Invalid;
    case EditVerdict::RefuseAndReport:
        // Not from inside the field's change: a message box there would run its own loop.
        QTimer::singleShot(0, parent(), [model = &m_model, id = m_id] { model->reportTooLong(id); });
        return Invalid;
    }
    return Invalid;
}
