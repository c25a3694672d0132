#include "connection/CDeviceSocket.h"

#include "connection/TrafficLog.h"

#include <QElapsedTimer>

#include <cerrno>

#include <poll.h>
#include <sys/socket.h>

CDeviceSocket::~CDeviceSocket()
{
    // Stop the threads while OnConnected still resolves to this class.
    Close();
}

qint32 CDeviceSocket::Send(const void *data, qint32 length)
{
    return SendRaw(data, length) ? length : 0;
}

// Waits on the socket itself, so an answer is taken the moment it arrives.
qint32 CDeviceSocket::Receive(void *buffer, qint32 capacity, quint32 waitMs)
{
    const int fd = socketHandle();
    if (fd < 0)
        return 0;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const qint64 remaining = qint64(waitMs) - clock.elapsed();
        if (remaining < 0)
            return 0;
        pollfd wait{fd, POLLIN, 0};
        const int rc = ::poll(&wait, 1, int(remaining));
        if (rc < 0 && errno == EINTR)
            continue;
        if (rc < 0)
            return 0;
        if (rc == 0)
            continue;
        if (wait.revents & POLLNVAL)
            return 0;
        const ssize_t n = ::recv(fd, buffer, size_t(std::max(capacity, 0)), 0);
        return qint32(n);
    }
}

void CDeviceSocket::OnConnected()
{
    LogLine(QStringLiteral("%1 connected.").arg(peerAddressText()));
}
