#include "connection/transports/DevicePathTransport.h"

namespace {

bool isPipeName(const QString &pipe, const char *name)
{
    return pipe.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

} // namespace

bool DevicePathTransport::open(const PortSettings &settings)
{
    using Access = platform::DeviceNode::Access;
    if (isPipeName(settings.pipe, "PIPE00"))
        return m_readPipe.open(settings.path, Access::ReadOnly);
    if (isPipeName(settings.pipe, "PIPE01"))
        return m_writePipe.open(settings.path, Access::WriteOnly);
    return m_main.open(settings.path, Access::ReadWrite);
}

void DevicePathTransport::close()
{
    m_main.close();
    m_readPipe.close();
    m_writePipe.close();
}

bool DevicePathTransport::isOpen() const
{
    return m_main.isOpen();
}

TransferResult DevicePathTransport::write(const char *data, qint32 length, int timeoutMs)
{
    return (m_writePipe.isOpen() ? m_writePipe : m_main).write(data, length, timeoutMs);
}

TransferResult DevicePathTransport::read(char *buffer, qint32 capacity, int waitMs)
{
    return (m_writePipe.isOpen() ? m_readPipe : m_main).read(buffer, capacity, waitMs);
}
