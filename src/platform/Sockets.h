#pragma once

#include <QString>

#include <optional>

// The socket calls of the TCP client and the discovery sockets, so that no
// socket header reaches the rest of the program. A socket is a descriptor;
// -1 means none.
namespace platform {

class WakeEvent;

// An IPv4 address as the system keeps it: the four bytes in network order.
struct Ipv4Address {
    quint32 networkOrder = 0;
};

// A host text as an IPv4 address: dotted form first, else the first answer of
// a name lookup; 255.255.255.255 when neither works.
Ipv4Address resolveIPv4(const QString &host);
// "%d.%d.%d.%d" of the four bytes in network order.
QString dottedText(Ipv4Address address);

// A non-blocking TCP socket with address reuse, keep-alive at these times and
// no send delay; -1 when any of it fails.
int openTcpSocket(int keepAliveIdleMs, int keepAliveIntervalMs);
// Connects a socket from openTcpSocket within timeoutMs; a wake ends the wait
// unsuccessfully. On success the socket blocks again, each send at most
// sendLimitMs without progress.
bool connectTcp(int fd, Ipv4Address peer, quint16 port, int timeoutMs, int sendLimitMs, const WakeEvent &wake);
// Sends all bytes; false on any failure.
bool sendAll(int fd, const void *data, qint32 length);
// One receive once the socket is readable within waitMs: its count (0 when the
// peer closed, negative on error), or nothing when nothing came in time.
std::optional<qint32> receiveWithin(int fd, void *buffer, qint32 capacity, quint32 waitMs);
// Shuts the socket down both ways and closes it.
void closeSocket(int fd);

// A UDP socket bound to local:port, allowed to broadcast when asked; -1 on failure.
int openUdpSocket(Ipv4Address local, quint16 port, bool broadcast);
// One datagram; true when more than 0 bytes went out.
bool sendDatagram(int fd, Ipv4Address to, quint16 port, const void *data, qint32 length);
// Waits without limit for the next datagram: the result of its receive, or
// nothing when the wake was signalled or waiting failed.
std::optional<qint64> receiveDatagram(int fd, char *buffer, qint64 capacity, const WakeEvent &wake);

} // namespace platform
