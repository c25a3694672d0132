#pragma once

#include "connection/CDeviceSocket.h"
#include "connection/Transport.h"

// PortKind::Net: the TCP client to port 9100 of ipAddress, connecting and
// reconnecting in the background. open() returns at once; isOpen() follows
// the connection. Every read waits 1000 ms, whatever the caller asks, and a
// failed send or receive is still a transfer (reported and logged). A lost
// connection is retried in the background, as after open().
class TcpTransport : public Transport
{
public:
    static constexpr quint16 printerPort = 9100;
    static constexpr int readWaitMs = 1000;

    // Tests hand in the port of a loopback listener.
    explicit TcpTransport(quint16 port = printerPort)
        : m_port(port)
    { }

    bool open(const PortSettings &settings) override;
    void close() override { m_socket.Close(); }
    bool isOpen() const override { return m_socket.IsConnected(); }
    TransferResult write(const char *data, qint32 length, int timeoutMs) override;
    TransferResult read(char *buffer, qint32 capacity, int waitMs) override;
    TransferResult readWithin(char *buffer, qint32 capacity, int waitMs) override;

private:
    quint16 m_port;
    CDeviceSocket m_socket;
};
