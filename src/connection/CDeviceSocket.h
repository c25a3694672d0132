#pragma once

#include "connection/CSocketClient.h"

// The port object's TCP client: counted send, bounded receive, and the
// "%s connected." and "%s disconnected." traffic-log lines.
class CDeviceSocket : public CSocketClient
{
public:
    ~CDeviceSocket() override;
    // Returns length on success, 0 on failure.
    virtual qint32 Send(const void *data, qint32 length);
    // One receive once data is readable within waitMs: its count (0 when the
    // peer closed, negative on error; both end the connection), or 0 when
    // nothing came in time or the client is not connected.
    virtual qint32 Receive(void *buffer, qint32 capacity, quint32 waitMs);

protected:
    void OnConnected() override;
    void OnDisconnected() override;
};
