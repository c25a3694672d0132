#include "platform/LocalAddresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace platform {

QStringList localIPv4Addresses()
{
    QStringList addresses;
    ifaddrs *list = nullptr;
    if (::getifaddrs(&list) != 0)
        return addresses;
    for (ifaddrs *entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !(entry->ifa_flags & IFF_UP))
            continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto *address = reinterpret_cast<const sockaddr_in *>(entry->ifa_addr);
        if (::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) && !addresses.contains(QLatin1String(text)))
            addresses.append(QString::fromLatin1(text));
    }
    ::freeifaddrs(list);
    return addresses;
}

} // namespace platform
