#include "connection/PrinterInfo.h"

namespace {

QString valueAfter(const QString &reply, QLatin1String key)
{
    const qsizetype keyAt = reply.indexOf(key);
    if (keyAt < 0)
        return {};
    const qsizetype start = keyAt + key.size();
    qsizetype end = start;
    while (end < reply.size()) {
        const QChar c = reply.at(end);
        if (c == QLatin1Char(',') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            break;
        ++end;
    }
    return reply.mid(start, end - start);
}

} // namespace

std::optional<PrinterInfo> parsePrinterInfo(const QString &reply)
{
    if (!reply.contains(QLatin1String("NET BROADCAST")))
        return std::nullopt;
    PrinterInfo info;
    info.name = valueAfter(reply, QLatin1String("NET NAME:"));
    info.model = valueAfter(reply, QLatin1String("MODEL:"));
    info.firmware = valueAfter(reply, QLatin1String("SOFT:"));
    info.dhcp = valueAfter(reply, QLatin1String("DHCP ")) != QLatin1String("OFF");
    info.ip = valueAfter(reply, QLatin1String("IP ADDR:"));
    info.subnet = valueAfter(reply, QLatin1String("SUBNET:"));
    info.gateway = valueAfter(reply, QLatin1String("GATEWAY:"));
    info.mac = valueAfter(reply, QLatin1String("MAC:"));
    return info;
}
