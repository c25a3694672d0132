#pragma once

#include <QString>

enum class PortKind : qint32 {
    Usb = 0, // USB printer found by its hardware id
    Net = 1, // TCP port 9100
    Com = 2, // serial port "COM%d"
    Lpt = 3, // parallel port: opening it does nothing
    Path = 4, // a device path, optionally as read pipe or write pipe
};

// What the port dialogs fill and CDeviceInterface::Open opens.
struct PortSettings {
    PortKind kind = PortKind::Usb;
    QString path; // Path: device path
    QString pipe; // Path: "", "PIPE00" (read pipe) or "PIPE01" (write pipe)
    QString usbDeviceId; // Usb: hardware id, compared exactly
    QString ipAddress; // Net: dotted address or host name
    qint32 comNumber = 0; // Com: n of "COM%d"
};

// The stored integer form of a kind; values outside 0..4 keep their number.
inline PortKind portKindFromInt(qint32 value)
{
    return static_cast<PortKind>(value);
}
inline qint32 toInt(PortKind kind)
{
    return static_cast<qint32>(kind);
}
