#pragma once
// What the settings dialog's Qt fields let in: key presses judged character by character
// by the model, and a validator that keeps a text within what the module's road reads back.

#include "TcpSetModel.h"

#include <QValidator>
#include <functional>

class QKeyEvent;

// True when a key press may reach the field. Passes the keys that edit or leave the field
// without typing a character (Backspace, Delete, arrows, Tab, Enter, Esc) and the editing
// shortcuts (select all, copy, cut, paste, undo, redo: Ctrl+Y and Ctrl+Shift+Z too),
// whichever way the platform delivers them; asks accepts for every other typed character.
bool passesCharFilter(const QKeyEvent& event, const std::function<bool(char32_t)>& accepts);

class QInputMethodEvent;
// True when an input method's committed text may reach the field: every character passes
// accepts.
bool passesCharFilter(const QInputMethodEvent& event, const std::function<bool(char32_t)>& accepts);

// Refuses a change the model refuses; a refused paste is reported once the change is over.
class ReadBackValidator : public QValidator
{
public:
    ReadBackValidator(TcpSetModel& model, ControlId id, QObject* parent);
    State validate(QString& input, int& pos) const override;

private:
    TcpSetModel& m_model;
    ControlId m_id;
};
