#include "platform/DeviceNode.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace platform {

namespace {

// Waits until fd is ready for events or the time is up; the events seen, 0
// on time-out or error.
short readyEvents(int fd, short events, int timeoutMs)
{
    pollfd entry { fd, events, 0 };
    int rc;
    do {
        rc = ::poll(&entry, 1, std::max(timeoutMs, 0));
    } while (rc < 0 && errno == EINTR);
    return rc > 0 ? entry.revents : 0;
}

bool waitReady(int fd, short events, int timeoutMs)
{
    return readyEvents(fd, events, timeoutMs) != 0;
}

// The errors of a node whose device went away (unplugged, switched off, its
// line hung up); a node that gives them never recovers.
bool isGone(int error)
{
    return error == EIO || error == ENODEV || error == ENXIO;
}

int accessFlags(DeviceNode::Access access)
{
    switch (access) {
    case DeviceNode::Access::ReadOnly:
        return O_RDONLY;
    case DeviceNode::Access::WriteOnly:
        return O_WRONLY;
    case DeviceNode::Access::ReadWrite:
        break;
    }
    return O_RDWR;
}

} // namespace

bool DeviceNode::open(const QString &path, Access access)
{
    close();
    m_fd = ::open(QFile::encodeName(path).constData(), accessFlags(access) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    return m_fd >= 0;
}

void DeviceNode::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

std::optional<qint32> DeviceNode::write(const char *data, qint32 length, int timeoutMs)
{
    if (m_fd < 0)
        return std::nullopt;
    QElapsedTimer clock;
    clock.start();
    qint32 written = 0;
    while (written < length) {
        const ssize_t n = ::write(m_fd, data + written, size_t(length - written));
        if (n > 0) {
            written += qint32(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            if (isGone(errno))
                close();
            return std::nullopt;
        }
        if (!waitReady(m_fd, POLLOUT, int(timeoutMs - clock.elapsed())))
            return std::nullopt;
    }
    return written;
}

std::optional<qint32> DeviceNode::read(char *buffer, qint32 capacity, int waitMs)
{
    const short events = m_fd < 0 ? 0 : readyEvents(m_fd, POLLIN, waitMs);
    if (events == 0)
        return std::nullopt;
    ssize_t n;
    do {
        n = ::read(m_fd, buffer, size_t(capacity));
    } while (n < 0 && errno == EINTR);
    // A hung-up line reads as its end: nothing more will come on it.
    const bool hungUp = n == 0 && (events & (POLLHUP | POLLERR)) != 0;
    if (n < 0 || hungUp) {
        if (hungUp || isGone(errno))
            close();
        return std::nullopt;
    }
    return qint32(n);
}

} // namespace platform
