#include "printer_options/OptionEntries.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStringList>

namespace printer_options {

namespace {

const QString digits = QStringLiteral("[0-9]{0,9}");
const QString signedDigits = QStringLiteral("[-+]?[0-9]{0,9}");
const QString addressCharacters = QStringLiteral("[0-9.]{0,15}");

bool isNumber(const QString &text, bool withSign)
{
    static const QRegularExpression plain(QStringLiteral("^[0-9]{1,9}$"));
    static const QRegularExpression sign(QStringLiteral("^[-+]?[0-9]{1,9}$"));
    return (withSign ? sign : plain).match(text).hasMatch();
}

bool isAddress(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString &part : parts) {
        if (!isNumber(part, false) || part.size() > 3 || part.toInt() > 255)
            return false;
    }
    return true;
}

bool isQuotable(const QString &text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

} // namespace

EntryCheck checkEntry(protocol::Entry entry, const QString &text)
{
    using protocol::Entry;
    if (entry != Entry::Quotable && text.trimmed().isEmpty())
        return EntryCheck::Empty;
    switch (entry) {
    case Entry::Free:
        return EntryCheck::Fine;
    case Entry::Digits:
    case Entry::SignedDigits:
        return isNumber(text, entry == Entry::SignedDigits) ? EntryCheck::Fine : EntryCheck::Malformed;
    case Entry::Quotable:
        return isQuotable(text) ? EntryCheck::Fine : EntryCheck::Unquotable;
    case Entry::Address:
        return isAddress(text) ? EntryCheck::Fine : EntryCheck::Malformed;
    }
    return EntryCheck::Fine;
}

QValidator *validatorFor(protocol::Entry entry, QObject *parent)
{
    using protocol::Entry;
    const QString *pattern = entry == Entry::Digits ? &digits
        : entry == Entry::SignedDigits              ? &signedDigits
        : entry == Entry::Address                   ? &addressCharacters
                                                    : nullptr;
    return pattern ? new QRegularExpressionValidator(QRegularExpression(*pattern), parent) : nullptr;
}

} // namespace printer_options
