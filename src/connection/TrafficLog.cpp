#include "connection/TrafficLog.h"

#include "platform/SystemText.h"

#include <algorithm>

TrafficLog &TrafficLog::instance()
{
    static TrafficLog log;
    return log;
}

void TrafficLog::post(const QString &text)
{
    Q_EMIT entryPosted(stamp(QDateTime::currentDateTime(), text));
}

QString TrafficLog::stamp(const QDateTime &when, const QString &text)
{
    const QDate date = when.date();
    const QTime time = when.time();
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d.%03d : ", date.year(), date.month(), date.day(),
               time.hour(), time.minute(), time.second(), time.msec())
        + text;
}

namespace {

// Printable ASCII passes, and CR only as part of CR LF; anything else means
// the transfer is shown in hex only.
bool isShowableText(QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<quint8>(bytes[i]);
        if (byte >= 0x20 && byte <= 0x7E)
            continue;
        if (byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            ++i;
            continue;
        }
        return false;
    }
    return true;
}

} // namespace

QString TrafficLog::transferLine(const QString &prefix, QByteArrayView bytes)
{
    constexpr qsizetype maxHexBytes = 32;
    QString line = prefix;
    if (isShowableText(bytes))
        line += platform::fromSystemBytes(bytes);
    line += QStringLiteral("( Hex: ");
    const qsizetype shown = std::min(bytes.size(), maxHexBytes);
    line.reserve(line.size() + shown * 3 + 2);
    static constexpr char digits[] = "0123456789ABCDEF";
    for (qsizetype i = 0; i < shown; ++i) {
        const auto byte = static_cast<quint8>(bytes[i]);
        line += QLatin1Char(digits[byte >> 4]);
        line += QLatin1Char(digits[byte & 0xF]);
        line += QLatin1Char(' ');
    }
    line += QStringLiteral(" )");
    line.replace(QStringLiteral("\r\n"), QStringLiteral("[CRLF]"));
    return line;
}
