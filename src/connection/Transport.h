#pragma once

#include "connection/PortSettings.h"

#include <optional>

// What one write or read did: the count to report and to log, or nothing when
// no transfer took place (nothing open, an error, the time ran out). The port
// object logs every transfer that took place and no other.
using TransferResult = std::optional<qint32>;

// One kind of port under CDeviceInterface: it opens from the port settings and
// moves bytes with bounded waits. Implementations live in
// connection/transports/, one per kind; OS calls stay in platform/.
class Transport
{
public:
    virtual ~Transport() = default;

    // Opens what the settings name; false when it cannot. Called again
    // without close() in between, as the device path's pipes are.
    virtual bool open(const PortSettings &settings) = 0;
    // Releases everything and ends any background work before it returns.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Writes all bytes in one operation within timeoutMs.
    virtual TransferResult write(const char *data, qint32 length, int timeoutMs) = 0;
    // One read of at most capacity bytes within waitMs.
    virtual TransferResult read(char *buffer, qint32 capacity, int waitMs) = 0;
    // Like read, but waits exactly waitMs at most (0: only what has already
    // arrived) where read keeps a wait of its own.
    virtual TransferResult readWithin(char *buffer, qint32 capacity, int waitMs)
    {
        return read(buffer, capacity, waitMs);
    }
};
