#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Text to and from the printer travels in the system's 8-bit encoding (the
// locale's code page); inside the program all text is UTF-16.
namespace platform {

QByteArray toSystemBytes(const QString &text);
QString fromSystemBytes(QByteArrayView bytes);

} // namespace platform
