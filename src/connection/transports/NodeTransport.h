#pragma once

#include "connection/Transport.h"
#include "platform/DeviceNode.h"

// A transport over one device node; the kinds differ only in what they open.
class NodeTransport : public Transport
{
public:
    void close() override { m_node.close(); }
    bool isOpen() const override { return m_node.isOpen(); }
    TransferResult write(const char *data, qint32 length, int timeoutMs) override
    {
        return m_node.write(data, length, timeoutMs);
    }
    TransferResult read(char *buffer, qint32 capacity, int waitMs) override
    {
        return m_node.read(buffer, capacity, waitMs);
    }

protected:
    platform::DeviceNode m_node;
};
