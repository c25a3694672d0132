#include "platform/SystemText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace platform {

QByteArray toSystemBytes(const QString &text)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

QString fromSystemBytes(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::System);
    return decoder.decode(bytes);
}

} // namespace platform
