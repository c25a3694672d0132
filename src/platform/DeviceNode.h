#pragma once

#include <QString>

#include <optional>

namespace platform {

// A device node (USB printer, serial line, any device path) opened
// non-blocking, so that every transfer on it waits a bounded time. Transfers
// give the count moved, or nothing when none took place (no node, an error,
// the time ran out). A node whose device is gone closes itself.
class DeviceNode
{
public:
    enum class Access { ReadWrite, ReadOnly, WriteOnly };

    DeviceNode() = default;
    ~DeviceNode() { close(); }
    DeviceNode(const DeviceNode &) = delete;
    DeviceNode &operator=(const DeviceNode &) = delete;

    // Closes a node already held first; a failed open leaves none.
    bool open(const QString &path, Access access);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    int handle() const { return m_fd; }

    // Writes all bytes within timeoutMs.
    std::optional<qint32> write(const char *data, qint32 length, int timeoutMs);
    // One read of at most capacity bytes once the node is readable within waitMs.
    std::optional<qint32> read(char *buffer, qint32 capacity, int waitMs);

private:
    int m_fd = -1;
};

} // namespace platform
