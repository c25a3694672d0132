#pragma once

#include "connection/Transport.h"
#include "platform/DeviceNode.h"

// PortKind::Path: the path as it stands, opened for reading and writing, or
// with pipe "PIPE00" as the read pipe (read only), with "PIPE01" as the write
// pipe (write only); pipe names in any case. Writes use the write pipe when
// one is open, reads the read pipe when a write pipe is open.
class DevicePathTransport : public Transport
{
public:
    bool open(const PortSettings &settings) override;
    void close() override;
    // Whether the main node (no pipe) is open.
    bool isOpen() const override;
    TransferResult write(const char *data, qint32 length, int timeoutMs) override;
    TransferResult read(char *buffer, qint32 capacity, int waitMs) override;

private:
    platform::DeviceNode m_main;
    platform::DeviceNode m_readPipe;
    platform::DeviceNode m_writePipe;
};
