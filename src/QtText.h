#pragma once
// The core's UTF-8 texts as Qt strings and back.

#include <QString>
#include <string>
#include <string_view>

inline QString toQt(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string fromQt(const QString& text)
{
    return text.toStdString();
}
