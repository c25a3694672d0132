#pragma once

#include <QString>

// The printer command that sets the addresses of one of its interfaces
// ("NET" wired, "WLAN" wireless): "<word> DHCP\r\n", or
// "<word> IP \"ip\",\"mask\",\"gateway\"\r\n". It lives below the command
// catalogue because discovery sends the wired one as a datagram, and the
// connection layer must not reach up into protocol.
QString addressCommand(
    const char *interfaceWord, bool dhcp, const QString &ip, const QString &mask, const QString &gateway);
