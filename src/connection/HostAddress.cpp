#include "connection/HostAddress.h"

#include "platform/SystemText.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

in_addr resolveIPv4(const QString &host)
{
    const QByteArray name = platform::toSystemBytes(host);
    in_addr address{};
    if (::inet_aton(name.constData(), &address))
        return address;
    address.s_addr = INADDR_NONE;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo *found = nullptr;
    if (::getaddrinfo(name.constData(), nullptr, &hints, &found) == 0 && found) {
        address = reinterpret_cast<sockaddr_in *>(found->ai_addr)->sin_addr;
        ::freeaddrinfo(found);
    }
    return address;
}

QString dottedText(const in_addr &address)
{
    const auto *b = reinterpret_cast<const quint8 *>(&address.s_addr);
    return QString::asprintf("%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
}
