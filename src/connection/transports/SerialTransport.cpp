#include "connection/transports/SerialTransport.h"

#include "platform/SerialMode.h"

QString SerialTransport::systemDevice(qint32 comNumber)
{
    return QStringLiteral("/dev/ttyS%1").arg(comNumber - 1);
}

SerialTransport::SerialTransport(const QString &mode, DeviceForPort deviceFor)
    : m_mode(mode)
    , m_deviceFor(std::move(deviceFor))
{ }

bool SerialTransport::open(const PortSettings &settings)
{
    if (!m_node.open(m_deviceFor(settings.comNumber), platform::DeviceNode::Access::ReadWrite))
        return false;
    if (const auto mode = platform::SerialMode::parse(m_mode))
        mode->applyTo(m_node.handle());
    return true;
}
