#pragma once

#include "platform/WakeEvent.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <thread>

// A UDP socket bound to one local address, with a thread that hands every
// datagram to OnReceive.
class CSocketUdp
{
public:
    static constexpr int receiveBufferSize = 1024 * 1024;

    CSocketUdp() = default;
    virtual ~CSocketUdp();
    CSocketUdp(const CSocketUdp &) = delete;
    CSocketUdp &operator=(const CSocketUdp &) = delete;

    void setBroadcast(bool on) { m_broadcast = on; }
    virtual bool Open(const QString &localAddress, int port);
    virtual void Close();
    // One datagram; true when more than 0 bytes went out.
    virtual bool SendTo(const QString &address, int port, const void *data, qint32 length);

protected:
    // Called on the receive thread for every datagram with bytes in it.
    virtual int OnReceive(const char *data, qint32 length);

private:
    void receiveLoop();

    std::atomic<int> m_socket { -1 };
    bool m_broadcast = false;
    std::atomic<bool> m_running { false };
    std::thread m_receiveThread;
    platform::WakeEvent m_wake;
};
