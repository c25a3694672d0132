#include "platform/Sockets.h"

#include "platform/SystemText.h"
#include "platform/WakeEvent.h"

#include <algorithm>
#include <cerrno>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

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

sockaddr_in socketAddress(Ipv4Address address, quint16 port)
{
    sockaddr_in result {};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    result.sin_addr.s_addr = address.networkOrder;
    return result;
}

int pollRetrying(pollfd *entries, nfds_t count, int timeoutMs)
{
    int rc;
    do {
        rc = ::poll(entries, count, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    return rc;
}

} // namespace

Ipv4Address resolveIPv4(const QString &host)
{
    const QByteArray name = toSystemBytes(host);
    in_addr address {};
    if (::inet_aton(name.constData(), &address))
        return { address.s_addr };
    address.s_addr = INADDR_NONE;
    addrinfo hints {};
    hints.ai_family = AF_INET;
    addrinfo *found = nullptr;
    if (::getaddrinfo(name.constData(), nullptr, &hints, &found) == 0 && found) {
        address = reinterpret_cast<sockaddr_in *>(found->ai_addr)->sin_addr;
        ::freeaddrinfo(found);
    }
    return { address.s_addr };
}

QString dottedText(Ipv4Address address)
{
    const auto *b = reinterpret_cast<const quint8 *>(&address.networkOrder);
    return QString::asprintf("%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
}

int openTcpSocket(int keepAliveIdleMs, int keepAliveIntervalMs)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const bool configured = setOption(fd, SOL_SOCKET, SO_REUSEADDR, 1) && setOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1)
        && setOption(fd, IPPROTO_TCP, TCP_KEEPIDLE, keepAliveIdleMs / 1000)
        && setOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, keepAliveIntervalMs / 1000)
        // Commands are short lines each awaiting its answer; batching them only adds delay.
        && setOption(fd, IPPROTO_TCP, TCP_NODELAY, 1) && setNonBlocking(fd, true);
    if (!configured) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool connectTcp(int fd, Ipv4Address peer, quint16 port, int timeoutMs, int sendLimitMs, const WakeEvent &wake)
{
    const sockaddr_in address = socketAddress(peer, port);
    // A refusal the kernel knows at once (no route, a broadcast address) is
    // not reported through the wait below.
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 && errno != EINPROGRESS)
        return false;
    pollfd waits[2] = { { fd, POLLOUT, 0 }, { wake.fd(), POLLIN, 0 } };
    const int rc = pollRetrying(waits, 2, timeoutMs);
    if (rc <= 0 || !(waits[0].revents & POLLOUT))
        return false;
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0)
        return false;
    // Sends block until the peer takes the data, but never longer than this.
    const timeval sendLimit { sendLimitMs / 1000, (sendLimitMs % 1000) * 1000 };
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
    return setNonBlocking(fd, false);
}

bool sendAll(int fd, const void *data, qint32 length)
{
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

// Waits on the socket itself, so an answer is taken the moment it arrives.
std::optional<qint32> receiveWithin(int fd, void *buffer, qint32 capacity, quint32 waitMs)
{
    if (fd < 0)
        return std::nullopt;
    pollfd wait { fd, POLLIN, 0 };
    if (pollRetrying(&wait, 1, int(std::min<quint32>(waitMs, INT_MAX))) <= 0 || (wait.revents & POLLNVAL))
        return std::nullopt;
    ssize_t n;
    do {
        n = ::recv(fd, buffer, size_t(std::max(capacity, 0)), 0);
    } while (n < 0 && errno == EINTR);
    return qint32(n);
}

void closeSocket(int fd)
{
    if (fd < 0)
        return;
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
}

int openUdpSocket(Ipv4Address local, quint16 port, bool broadcast)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (broadcast)
        setOption(fd, SOL_SOCKET, SO_BROADCAST, 1);
    // An unbound socket would still send, from a port the system picks.
    const sockaddr_in address = socketAddress(local, port);
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool sendDatagram(int fd, Ipv4Address to, quint16 port, const void *data, qint32 length)
{
    if (fd < 0 || length <= 0)
        return false;
    const sockaddr_in address = socketAddress(to, port);
    return ::sendto(
               fd, data, size_t(length), MSG_NOSIGNAL, reinterpret_cast<const sockaddr *>(&address), sizeof address)
        > 0;
}

std::optional<qint64> receiveDatagram(int fd, char *buffer, qint64 capacity, const WakeEvent &wake)
{
    pollfd waits[2] = { { fd, POLLIN, 0 }, { wake.fd(), POLLIN, 0 } };
    if (pollRetrying(waits, 2, -1) < 0 || waits[1].revents)
        return std::nullopt;
    return qint64(::recv(fd, buffer, size_t(capacity), 0));
}

} // namespace platform
