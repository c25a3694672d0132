#pragma once

// An eventfd that a thread can add to its poll() to be woken early, so that
// waits stay bounded yet end at once when the owner closes.
namespace platform {

class WakeEvent
{
public:
    WakeEvent();
    ~WakeEvent();
    WakeEvent(const WakeEvent &) = delete;
    WakeEvent &operator=(const WakeEvent &) = delete;

    int fd() const { return m_fd; }
    void signal();
    void reset();
    // Waits up to milliseconds; true when signalled.
    bool wait(int milliseconds) const;

private:
    int m_fd;
};

} // namespace platform
