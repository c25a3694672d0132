#include "printer_options/PrinterStatusText.h"

#include "app/LanguageManager.h"

namespace printer_options {

namespace {

const QString notConnected = QStringLiteral("未连接");

// Word ids by bit; bit 6 has none.
const QString bitWords[8] = {
    QStringLiteral("开盖"),
    QStringLiteral("纸张错误"),
    QStringLiteral("无纸"),
    QStringLiteral("碳带错误"),
    QStringLiteral("暂停"),
    QStringLiteral("打印中"),
    QString(),
    QStringLiteral("过热"),
};

} // namespace

QString statusText(qint32 statusByte)
{
    if (statusByte < 0)
        return translate(notConnected);
    if (statusByte == 0)
        return translate(QStringLiteral("正常"));
    QString text;
    for (int bit = 0; bit < 8; ++bit) {
        if (!(statusByte & (1 << bit)))
            continue;
        if (!bitWords[bit].isEmpty())
            text += translate(bitWords[bit]);
        text += QLatin1Char(' ');
    }
    return text;
}

QString statusTextAfterQuery(bool answered, qint32 statusByte)
{
    return answered ? statusText(statusByte) : translate(notConnected);
}

} // namespace printer_options
