#include "protocol/PrinterStatus.h"

namespace protocol {

namespace {

constexpr const char *notConnected = "未连接";
constexpr const char *normal = "正常";
constexpr const char *bitWords[8] = { "开盖", "纸张错误", "无纸", "碳带错误", "暂停", "打印中", nullptr, "过热" };

} // namespace

QStringList statusWords(qint32 statusByte, const std::function<QString(const QString &source)> &word)
{
    if (statusByte < 0)
        return { word(QString::fromUtf8(notConnected)) };
    if (statusByte == 0)
        return { word(QString::fromUtf8(normal)) };
    QStringList words;
    for (int bit = 0; bit < 8; ++bit) {
        if (statusByte & (1 << bit))
            words.append(bitWords[bit] ? word(QString::fromUtf8(bitWords[bit])) : QString());
    }
    return words;
}

} // namespace protocol
