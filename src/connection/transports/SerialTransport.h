#pragma once

#include "connection/transports/NodeTransport.h"

#include <QString>

#include <functional>

// PortKind::Com: serial port "COM n" is /dev/ttyS(n-1), set to the mode text
// ("baud=19200 parity=E data=7 stop=1"; empty: 9600 8N1). A text that
// cannot be read leaves the line's settings as they are.
class SerialTransport : public NodeTransport
{
public:
    // The device of COM n; tests hand in a pseudo-terminal instead.
    using DeviceForPort = std::function<QString(qint32 comNumber)>;
    static QString systemDevice(qint32 comNumber);

    // The mode text is read at every open, so a change applies from the next
    // one; it must outlive the transport (the port object owns both).
    explicit SerialTransport(const QString &mode, DeviceForPort deviceFor = &systemDevice);
    SerialTransport(const QString &&, DeviceForPort = {}) = delete;

    bool open(const PortSettings &settings) override;

private:
    const QString &m_mode;
    DeviceForPort m_deviceFor;
};
