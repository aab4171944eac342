#pragma once
// Module texts are 8-bit bytes in the system's code page; the windows show them as QString.

#include <QString>
#include <string>

QString textFromDevice(const std::string& bytes);
std::string textToDevice(const QString& text);
