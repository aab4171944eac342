#pragma once
// What the settings dialog lets into its address and port fields: the per-key character
// filters, and the form a changed address or port must have before it is written.

#include <QString>

class QKeyEvent;

enum class TypedChars
{
    Digits,           // local port
    DigitsAndFullStop // addresses and the target port
};

// True when a key press may reach the field. Accepts the digits (and the full stop), the
// keys that edit or leave the field without typing a character (Backspace, Delete, arrows,
// Tab, Enter, Esc) and the usual editing shortcuts (select all, copy, cut, paste, undo),
// whichever way the platform delivers them; rejects every other typed character.
bool passesCharFilter(const QKeyEvent& event, TypedChars allowed);

// Four decimal parts from 0 to 255 separated by full stops, nothing else.
bool isDottedIpv4(const QString& text);

// A whole decimal number from 0 to 65535, digits only.
bool isPortText(const QString& text);
