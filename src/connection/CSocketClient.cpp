#include "connection/CSocketClient.h"

#include "connection/HostAddress.h"

#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool setOption(int fd, int level, int name, int value)
{
    return ::setsockopt(fd, level, name, &value, sizeof value) == 0;
}

bool setNonBlocking(int fd, bool on)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0)
        return false;
    return ::fcntl(fd, F_SETFL, on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK)) == 0;
}

} // namespace

CSocketClient::CSocketClient() = default;

CSocketClient::~CSocketClient()
{
    Close();
}

bool CSocketClient::Connect(const QString &host, int port, bool autoReconnect, bool backgroundConnect)
{
    if (m_connected.load() && host == m_host && port == m_port)
        return true;
    Close();
    m_host = host.left(259);
    m_port = port;
    m_peer = {};
    m_peer.sin_family = AF_INET;
    m_peer.sin_port = htons(static_cast<quint16>(port));
    m_peer.sin_addr = resolveIPv4(m_host);
    m_wake.reset();

    if (!backgroundConnect) {
        if (attemptConnect()) {
            announceConnected();
            return true;
        }
        if (!autoReconnect)
            return false;
    }
    m_retryRunning = true;
    m_retryThread = std::thread(&CSocketClient::retryLoop, this);
    return backgroundConnect;
}

// A failed connect leaves a Linux socket unusable, so each attempt starts
// from a fresh socket.
bool CSocketClient::attemptConnect()
{
    closeSocket();
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    m_socket = fd;
    const bool configured = setOption(fd, SOL_SOCKET, SO_REUSEADDR, 1) && setOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1)
        && setOption(fd, IPPROTO_TCP, TCP_KEEPIDLE, keepAliveIdleMs / 1000)
        && setOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, keepAliveIntervalMs / 1000)
        // Commands are short lines each awaiting its answer; batching them only adds delay.
        && setOption(fd, IPPROTO_TCP, TCP_NODELAY, 1) && setNonBlocking(fd, true);
    if (!configured)
        return false;
    // A refusal the kernel knows at once (no route, a broadcast address) is
    // not reported through the wait below.
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&m_peer), sizeof m_peer) != 0 && errno != EINPROGRESS)
        return false;

    pollfd waits[2] = {{fd, POLLOUT, 0}, {m_wake.fd(), POLLIN, 0}};
    int rc;
    do {
        rc = ::poll(waits, 2, connectTimeoutMs);
    } while (rc < 0 && errno == EINTR);
    if (rc <= 0 || !(waits[0].revents & POLLOUT))
        return false;
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0)
        return false;
    // Sends block until the peer takes the data, but never longer than this.
    const timeval sendLimit{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
    if (!setNonBlocking(fd, false))
        return false;
    m_connected = true;
    return true;
}

void CSocketClient::retryLoop()
{
    while (m_retryRunning.load()) {
        if (m_wake.wait(retryPauseMs) || !m_retryRunning.load())
            return;
        if (attemptConnect()) {
            announceConnected();
            return;
        }
    }
}

void CSocketClient::announceConnected()
{
    if (m_announceThread.joinable())
        m_announceThread.join();
    m_announceThread = std::thread([this] { OnConnected(); });
}

void CSocketClient::closeSocket()
{
    const int fd = m_socket.exchange(-1);
    if (fd >= 0) {
        ::shutdown(fd, SHUT_RDWR);
        ::close(fd);
    }
}

void CSocketClient::joinThreads()
{
    if (m_retryThread.joinable())
        m_retryThread.join();
    if (m_announceThread.joinable())
        m_announceThread.join();
}

void CSocketClient::Close()
{
    m_retryRunning = false;
    m_wake.signal();
    joinThreads();
    closeSocket();
    m_connected = false;
    m_wake.reset();
}

bool CSocketClient::SendRaw(const void *data, qint32 length)
{
    const int fd = m_socket.load();
    if (fd < 0 || length < 0)
        return false;
    const auto *bytes = static_cast<const char *>(data);
    qint32 sent = 0;
    while (sent < length) {
        const ssize_t n = ::send(fd, bytes + sent, size_t(length - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += qint32(n);
    }
    return true;
}

QString CSocketClient::peerAddressText() const
{
    return dottedText(m_peer.sin_addr);
}
