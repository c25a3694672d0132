#include "connection/AddressCommand.h"

QString addressCommand(
    const char *interfaceWord, bool dhcp, const QString &ip, const QString &mask, const QString &gateway)
{
    const QLatin1String word(interfaceWord);
    if (dhcp)
        return word + QLatin1String(" DHCP\r\n");
    // Multi-argument arg() does not rescan the inserted texts for markers.
    return word + QStringLiteral(" IP \"%1\",\"%2\",\"%3\"\r\n").arg(ip, mask, gateway);
}
