#include "connection/CSocketUdp.h"

#include "connection/HostAddress.h"

#include <cerrno>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

CSocketUdp::~CSocketUdp()
{
    Close();
}

bool CSocketUdp::Open(const QString &localAddress, int port)
{
    Close();
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<quint16>(port));
    local.sin_addr = resolveIPv4(localAddress);
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    m_socket = fd;
    const int on = 1;
    if (m_broadcast)
        ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    // An unbound socket would still send, from a port the system picks.
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0) {
        ::close(m_socket.exchange(-1));
        return false;
    }
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
    const int fd = m_socket.exchange(-1);
    if (fd >= 0) {
        ::shutdown(fd, SHUT_RDWR);
        ::close(fd);
    }
}

bool CSocketUdp::SendTo(const QString &address, int port, const void *data, qint32 length)
{
    const int fd = m_socket.load();
    if (fd < 0 || length <= 0)
        return false;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<quint16>(port));
    peer.sin_addr = resolveIPv4(address);
    return ::sendto(fd, data, size_t(length), MSG_NOSIGNAL, reinterpret_cast<const sockaddr *>(&peer), sizeof peer) > 0;
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
        pollfd waits[2] = {{fd, POLLIN, 0}, {m_wake.fd(), POLLIN, 0}};
        const int rc = ::poll(waits, 2, -1);
        if (rc < 0 && errno == EINTR)
            continue;
        if (rc < 0 || waits[1].revents || !m_running.load())
            return;
        const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
        if (n > 0)
            OnReceive(buffer.data(), qint32(n));
    }
}
