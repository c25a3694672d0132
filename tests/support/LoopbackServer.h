#pragma once

#include <QByteArray>

#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

// A TCP listener on 127.0.0.1 that a test drives by hand.
class LoopbackServer
{
public:
    // A free port: bound once to learn the number, then released.
    static quint16 freePort()
    {
        LoopbackServer probe;
        probe.listen(0);
        return probe.port();
    }

    ~LoopbackServer()
    {
        closePeer();
        for (const int filler : m_fillers)
            ::close(filler);
        if (m_listener >= 0)
            ::close(m_listener);
    }

    bool listen(quint16 port, int backlog = 4)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
            || ::listen(m_listener, backlog) != 0)
            return false;
        socklen_t size = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &size);
        m_port = ntohs(address.sin_port);
        return true;
    }

    quint16 port() const { return m_port; }

    // Whether a connection waits to be accepted within waitMs.
    bool hasPendingConnection(int waitMs)
    {
        pollfd entry { m_listener, POLLIN, 0 };
        return ::poll(&entry, 1, waitMs) > 0;
    }

    bool accept(int waitMs = 5000)
    {
        if (!hasPendingConnection(waitMs))
            return false;
        closePeer();
        m_peer = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        return m_peer >= 0;
    }

    bool send(const QByteArray &bytes)
    {
        return ::send(m_peer, bytes.constData(), bytes.size(), MSG_NOSIGNAL) == bytes.size();
    }

    QByteArray receive(int waitMs = 2000)
    {
        pollfd entry { m_peer, POLLIN, 0 };
        if (::poll(&entry, 1, waitMs) <= 0)
            return {};
        char buffer[4096];
        const ssize_t n = ::recv(m_peer, buffer, sizeof buffer, 0);
        return n > 0 ? QByteArray(buffer, n) : QByteArray();
    }

    // On a listener with backlog 0: queues one connection that nobody accepts,
    // so the queue is full and later handshakes go unanswered. True once it is queued.
    bool fillQueue(int waitMs = 2000)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            return false;
        m_fillers.push_back(fd);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(m_port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        return hasPendingConnection(waitMs);
    }

    void closePeer()
    {
        if (m_peer >= 0)
            ::close(m_peer);
        m_peer = -1;
    }

private:
    int m_listener = -1;
    int m_peer = -1;
    quint16 m_port = 0;
    std::vector<int> m_fillers;
};
