#pragma once

#include "platform/Sockets.h"
#include "platform/WakeEvent.h"

#include <QString>

#include <atomic>
#include <thread>

// A TCP client that can connect in the background and retry every second
// until the peer answers. Waits are interruptible so Close returns promptly.
// A failed send, or a receive that finds the connection closed or broken,
// ends the connected state; with auto-reconnect the retrying starts again.
class CSocketClient
{
public:
    static constexpr int keepAliveIdleMs = 5000;
    static constexpr int keepAliveIntervalMs = 3000;
    static constexpr int connectTimeoutMs = 5000;
    static constexpr int retryPauseMs = 1000;
    static constexpr int sendLimitMs = 2000; // a send without progress for this long fails

    CSocketClient();
    virtual ~CSocketClient();
    CSocketClient(const CSocketClient &) = delete;
    CSocketClient &operator=(const CSocketClient &) = delete;

    virtual bool Connect(const QString &host, int port, bool autoReconnect, bool backgroundConnect);
    virtual void Close();
    bool IsConnected() const { return m_connected.load(); }
    virtual bool SendRaw(const void *data, qint32 length);

    // Dotted form of the peer address of the last Connect.
    QString peerAddressText() const;

protected:
    // Called once after each successful attempt, on a thread of its own.
    virtual void OnConnected() { }
    // Called once when a connected client finds its connection gone, on the
    // thread that found it.
    virtual void OnDisconnected() { }
    int socketHandle() const { return m_socket.load(); }
    // The connection is gone: leave the connected state, close the socket and,
    // with auto-reconnect, retry in the background. Nothing when not connected.
    void connectionLost();

private:
    bool attemptConnect();
    void retryLoop();
    void startRetrying();
    void announceConnected();
    void closeSocket();
    void joinThreads();

    std::atomic<int> m_socket { -1 };
    platform::Ipv4Address m_peer;
    QString m_host;
    int m_port = 0;
    bool m_autoReconnect = false;
    std::atomic<bool> m_connected { false };
    std::atomic<bool> m_retryRunning { false };
    std::thread m_retryThread;
    std::thread m_announceThread;
    platform::WakeEvent m_wake; // ends the pause and the connect wait when Close asks
};
