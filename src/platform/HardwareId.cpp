#include "platform/HardwareId.h"

#include <QList>

namespace platform {

quint16 crc16Arc(const QByteArray &data)
{
    quint16 crc = 0;
    for (char c : data) {
        crc ^= static_cast<quint8>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<quint16>((crc >> 1) ^ 0xA001) : static_cast<quint16>(crc >> 1);
    }
    return crc;
}

QByteArray ieee1284Field(const QByteArray &deviceId, const QByteArray &key)
{
    QByteArray longKey;
    if (key == "MFG")
        longKey = "MANUFACTURER";
    else if (key == "MDL")
        longKey = "MODEL";
    const QList<QByteArray> pairs = deviceId.split(';');
    for (const QByteArray &pair : pairs) {
        const qsizetype colon = pair.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray name = pair.left(colon).trimmed().toUpper();
        if (name == key || (!longKey.isEmpty() && name == longKey))
            return pair.mid(colon + 1);
    }
    return {};
}

QString usbPrintHardwareId(const QByteArray &ieee1284DeviceId)
{
    const QByteArray makeAndModel = ieee1284Field(ieee1284DeviceId, "MFG") + ieee1284Field(ieee1284DeviceId, "MDL");
    if (makeAndModel.isEmpty())
        return {};
    QByteArray visible = makeAndModel.left(20);
    visible.replace(' ', '_');
    return QStringLiteral("USBPRINT\\") + QString::fromLatin1(visible)
        + QStringLiteral("%1").arg(crc16Arc(makeAndModel), 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace platform
