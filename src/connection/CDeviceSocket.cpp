#include "connection/CDeviceSocket.h"

#include "connection/TrafficLog.h"

CDeviceSocket::~CDeviceSocket()
{
    // Stop the threads while OnConnected still resolves to this class.
    Close();
}

qint32 CDeviceSocket::Send(const void *data, qint32 length)
{
    return SendRaw(data, length) ? length : 0;
}

qint32 CDeviceSocket::Receive(void *buffer, qint32 capacity, quint32 waitMs)
{
    if (!IsConnected())
        return 0;
    // A readable socket that gives no bytes was closed by the peer.
    std::optional<qint32> count = platform::receiveWithin(socketHandle(), buffer, capacity, waitMs);
    if (count && *count <= 0)
        connectionLost();
    return count.value_or(0);
}

void CDeviceSocket::OnConnected()
{
    LogLine(QStringLiteral("%1 connected.").arg(peerAddressText()));
}

void CDeviceSocket::OnDisconnected()
{
    LogLine(QStringLiteral("%1 disconnected.").arg(peerAddressText()));
}
