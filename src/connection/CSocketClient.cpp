#include "connection/CSocketClient.h"

CSocketClient::CSocketClient() = default;

CSocketClient::~CSocketClient()
{
    Close();
}

bool CSocketClient::Connect(const QString &host, int port, bool autoReconnect, bool backgroundConnect)
{
    if (m_connected.load() && host == m_host && port == m_port)
        return true;
    Close();
    m_host = host.left(259);
    m_port = port;
    m_autoReconnect = autoReconnect;
    m_peer = platform::resolveIPv4(m_host);
    m_wake.reset();

    if (!backgroundConnect) {
        if (attemptConnect()) {
            announceConnected();
            return true;
        }
        if (!autoReconnect)
            return false;
    }
    startRetrying();
    return backgroundConnect;
}

void CSocketClient::startRetrying()
{
    // A retry thread left over from an earlier success has ended or is ending.
    if (m_retryThread.joinable())
        m_retryThread.join();
    m_retryRunning = true;
    m_retryThread = std::thread(&CSocketClient::retryLoop, this);
}

void CSocketClient::connectionLost()
{
    if (!m_connected.exchange(false))
        return;
    closeSocket();
    OnDisconnected();
    if (m_autoReconnect)
        startRetrying();
}

// A failed connect leaves a Linux socket unusable, so each attempt starts
// from a fresh socket.
bool CSocketClient::attemptConnect()
{
    closeSocket();
    const int fd = platform::openTcpSocket(keepAliveIdleMs, keepAliveIntervalMs);
    if (fd < 0)
        return false;
    m_socket = fd;
    if (!platform::connectTcp(fd, m_peer, quint16(m_port), connectTimeoutMs, sendLimitMs, m_wake))
        return false;
    m_connected = true;
    return true;
}

void CSocketClient::retryLoop()
{
    while (m_retryRunning.load()) {
        if (m_wake.wait(retryPauseMs) || !m_retryRunning.load())
            return;
        if (attemptConnect()) {
            announceConnected();
            return;
        }
    }
}

void CSocketClient::announceConnected()
{
    if (m_announceThread.joinable())
        m_announceThread.join();
    m_announceThread = std::thread([this] { OnConnected(); });
}

void CSocketClient::closeSocket()
{
    platform::closeSocket(m_socket.exchange(-1));
}

void CSocketClient::joinThreads()
{
    if (m_retryThread.joinable())
        m_retryThread.join();
    if (m_announceThread.joinable())
        m_announceThread.join();
}

void CSocketClient::Close()
{
    m_retryRunning = false;
    m_wake.signal();
    joinThreads();
    closeSocket();
    m_connected = false;
    m_wake.reset();
}

// While retrying, the socket belongs to the connection attempt.
bool CSocketClient::SendRaw(const void *data, qint32 length)
{
    if (!m_connected.load())
        return false;
    if (platform::sendAll(m_socket.load(), data, length))
        return true;
    connectionLost();
    return false;
}

QString CSocketClient::peerAddressText() const
{
    return platform::dottedText(m_peer);
}
