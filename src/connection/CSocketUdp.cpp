#include "connection/CSocketUdp.h"

#include "platform/Sockets.h"

#include <vector>

CSocketUdp::~CSocketUdp()
{
    Close();
}

bool CSocketUdp::Open(const QString &localAddress, int port)
{
    Close();
    const int fd = platform::openUdpSocket(platform::resolveIPv4(localAddress), quint16(port), m_broadcast);
    if (fd < 0)
        return false;
    m_socket = fd;
    m_wake.reset();
    m_running = true;
    m_receiveThread = std::thread(&CSocketUdp::receiveLoop, this);
    return true;
}

void CSocketUdp::Close()
{
    m_running = false;
    m_wake.signal();
    if (m_receiveThread.joinable())
        m_receiveThread.join();
    platform::closeSocket(m_socket.exchange(-1));
}

bool CSocketUdp::SendTo(const QString &address, int port, const void *data, qint32 length)
{
    return platform::sendDatagram(m_socket.load(), platform::resolveIPv4(address), quint16(port), data, length);
}

int CSocketUdp::OnReceive(const char *, qint32)
{
    return 1;
}

void CSocketUdp::receiveLoop()
{
    std::vector<char> buffer(receiveBufferSize);
    const int fd = m_socket.load();
    while (m_running.load()) {
        const auto n = platform::receiveDatagram(fd, buffer.data(), qint64(buffer.size()), m_wake);
        if (!n || !m_running.load())
            return;
        if (*n > 0)
            OnReceive(buffer.data(), qint32(*n));
    }
}
