#include "DeviceText.h"

#include <QStringDecoder>
#include <QStringEncoder>

QString textFromDevice(const std::string& bytes)
{
    QStringDecoder decoder(QStringConverter::System);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string textToDevice(const QString& text)
{
    QStringEncoder encoder(QStringConverter::System);
    const QByteArray bytes = encoder.encode(text);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
