#pragma once

#include "connection/CSocketClient.h"

// The port object's TCP client: counted send, bounded receive, and the
// "%s connected." traffic-log line.
class CDeviceSocket : public CSocketClient
{
public:
    ~CDeviceSocket() override;
    // Returns length on success, 0 on failure.
    virtual qint32 Send(const void *data, qint32 length);
    // One receive once data is readable within waitMs: its count (0 when the
    // peer closed, negative on error), or 0 when nothing came in time.
    virtual qint32 Receive(void *buffer, qint32 capacity, quint32 waitMs);

protected:
    void OnConnected() override;
};
