#include "platform/WakeEvent.h"

#include <cerrno>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace platform {

WakeEvent::WakeEvent()
    : m_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{ }

WakeEvent::~WakeEvent()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void WakeEvent::signal()
{
    ::eventfd_write(m_fd, 1);
}

void WakeEvent::reset()
{
    eventfd_t drained;
    ::eventfd_read(m_fd, &drained);
}

bool WakeEvent::wait(int milliseconds) const
{
    pollfd entry { m_fd, POLLIN, 0 };
    int rc;
    do {
        rc = ::poll(&entry, 1, milliseconds);
    } while (rc < 0 && errno == EINTR);
    return rc > 0;
}

} // namespace platform
