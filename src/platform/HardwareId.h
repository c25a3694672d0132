#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// CRC-16/ARC (poly 0xA001 reflected, init 0), as used in USB print hardware ids.
quint16 crc16Arc(const QByteArray &data);

// Value of a key ("MFG", "MDL", ...) in an IEEE 1284 device id such as
// "MFG:Canon;CMD:...;MDL:MF4010 Series;". Long key names ("MANUFACTURER",
// "MODEL") are accepted as well. Empty when absent.
QByteArray ieee1284Field(const QByteArray &deviceId, const QByteArray &key);

// The hardware id that the USB print class driver on Windows gives the print
// device: "USBPRINT\" + (MFG + MDL) cut to 20 characters with blanks as '_'
// + CRC-16/ARC of MFG + MDL as four upper-case hex digits. Keeping the same
// rule means a stored usbDeviceId names the same printer on both systems.
// Empty when the id has neither manufacturer nor model.
QString usbPrintHardwareId(const QByteArray &ieee1284DeviceId);

} // namespace platform
