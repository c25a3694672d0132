#include "connection/transports/TcpTransport.h"

#include <algorithm>

bool TcpTransport::open(const PortSettings &settings)
{
    m_socket.Connect(settings.ipAddress, m_port, true, true);
    return true;
}

// Sends are bounded by the client's own send limit.
TransferResult TcpTransport::write(const char *data, qint32 length, int)
{
    return m_socket.Send(data, length);
}

TransferResult TcpTransport::read(char *buffer, qint32 capacity, int)
{
    return m_socket.Receive(buffer, capacity, readWaitMs);
}

TransferResult TcpTransport::readWithin(char *buffer, qint32 capacity, int waitMs)
{
    return m_socket.Receive(buffer, capacity, quint32(std::max(waitMs, 0)));
}
