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
    return platform::receiveWithin(socketHandle(), buffer, capacity, waitMs);
}

void CDeviceSocket::OnConnected()
{
    LogLine(QStringLiteral("%1 connected.").arg(peerAddressText()));
}
