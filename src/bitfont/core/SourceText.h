#pragma once

#include <QString>

#include <functional>
#include <initializer_list>

// Texts built by this code are keyed by their source text, "%d" included; the
// caller passes the language pack's translation (the core cannot reach the
// application layer).
using TranslateText = std::function<QString(const QString &source)>;

inline QString translated(const TranslateText &translate, const QString &source)
{
    return translate ? translate(source) : source;
}

// Replaces each "%d" in turn by the next number. Never a printf format: a
// language pack's text is not trusted to hold only "%d".
inline QString fillNumbers(QString text, std::initializer_list<qint64> numbers)
{
    qsizetype from = 0;
    for (qint64 number : numbers) {
        const qsizetype at = text.indexOf(QLatin1String("%d"), from);
        if (at < 0) {
            break;
        }
        const QString digits = QString::number(number);
        text.replace(at, 2, digits);
        from = at + digits.size();
    }
    return text;
}
