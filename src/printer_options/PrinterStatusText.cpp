#include "printer_options/PrinterStatusText.h"

#include "app/LanguageManager.h"
#include "protocol/PrinterStatus.h"

namespace printer_options {

QString statusText(qint32 statusByte)
{
    const QStringList words
        = protocol::statusWords(statusByte, [](const QString &source) { return translate(source); });
    if (statusByte <= 0)
        return words.first();
    QString text;
    for (const QString &word : words)
        text += word + QLatin1Char(' ');
    return text;
}

QString statusTextAfterQuery(bool answered, qint32 statusByte)
{
    return statusText(answered ? statusByte : -1);
}

} // namespace printer_options
