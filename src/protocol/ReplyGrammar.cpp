#include "protocol/ReplyGrammar.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace protocol {

namespace {

constexpr qint64 int32Max = std::numeric_limits<qint32>::max();
constexpr qint64 int32Min = std::numeric_limits<qint32>::min();

// The white space of iswspace in the C locale.
bool isCSpace(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || (u >= '\t' && u <= '\r');
}

qint32 saturate(double value)
{
    if (value >= static_cast<double>(int32Max))
        return static_cast<qint32>(int32Max);
    if (value <= static_cast<double>(int32Min))
        return static_cast<qint32>(int32Min);
    return static_cast<qint32>(value);
}

} // namespace

qint32 parseInteger(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && isCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    const qint64 limit = negative ? -int32Min : int32Max;
    qint64 magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        // Keep consuming digits once saturated, as wcstol does.
        magnitude = std::min(limit, magnitude * 10 + (text[i].unicode() - u'0'));
    }
    return static_cast<qint32>(negative ? -magnitude : magnitude);
}

qint32 dotsToMillimetres(qint32 dots, qint32 dpi)
{
    if (dpi <= 0)
        return 0;
    return saturate(std::trunc(static_cast<double>(dots) / (static_cast<double>(dpi) / 25.4)));
}

qint32 parseCutBackLength(const QString &text)
{
    QString rest = text;
    rest.remove(QStringLiteral("dot"));
    return parseInteger(rest.trimmed());
}

} // namespace protocol
