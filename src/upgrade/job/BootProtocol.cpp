#include "upgrade/job/BootProtocol.h"

namespace upgrade {
namespace {

void appendBigEndian(QByteArray &out, quint64 value, int bytes)
{
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out.append(static_cast<char>((value >> shift) & 0xFF));
}

quint16 bigEndian16(QByteArrayView bytes, qsizetype at)
{
    return static_cast<quint16>((quint8(bytes[at]) << 8) | quint8(bytes[at + 1]));
}

quint8 byteSum(QByteArrayView bytes)
{
    quint8 sum = 0;
    for (char c : bytes)
        sum = static_cast<quint8>(sum + quint8(c));
    return sum;
}

} // namespace

QByteArray bootFrame(BootCode code, QByteArrayView payload)
{
    QByteArray frame;
    frame.reserve(payload.size() + frameOverhead);
    frame.append("\x1B\x10", 2);
    appendBigEndian(frame, quint16(payload.size() + 6), 2);
    frame.append(2, '\0');
    frame.append(static_cast<char>(code));
    frame.append(3, '\0');
    appendBigEndian(frame, quint16(payload.size()), 2);
    frame.append(payload);
    frame.append(static_cast<char>(byteSum(frame)));
    return frame;
}

std::optional<quint32> endAddress(qint64 imageLength)
{
    if (imageLength <= 0 || imageLength > qint64(0xFFFFFFFFu - flashStart))
        return std::nullopt;
    return quint32(flashStart + quint64(imageLength));
}

QByteArray rangePayload(quint32 endAddress)
{
    QByteArray payload(1, '\0');
    appendBigEndian(payload, flashStart, 4);
    appendBigEndian(payload, endAddress, 4);
    return payload;
}

QByteArray blockPayload(qint64 blockNumber, QByteArrayView data)
{
    QByteArray payload(4, '\0');
    payload.append(static_cast<char>(blockNumber & 0xFF));
    appendBigEndian(payload, quint16(data.size()), 2);
    payload.append(data);
    return payload;
}

qint64 blockCount(qint64 imageLength)
{
    return (imageLength + blockSize - 1) / blockSize;
}

quint32 imageSum(QByteArrayView image)
{
    quint32 sum = 0;
    for (char c : image)
        sum += quint8(c);
    return sum;
}

BootReply checkReply(QByteArrayView received, BootCode sent)
{
    received = received.first(std::min<qsizetype>(received.size(), replyCapacity));
    BootReply reply;
    const auto invalid = [&reply] {
        reply.check = ReplyCheck::Invalid;
        return reply;
    };
    if ((received.size() >= 1 && received[0] != '\x1B') || (received.size() >= 2 && received[1] != '\x10'))
        return invalid();
    if (received.size() >= 7 && quint8(received[6]) != quint8(sent))
        return invalid();
    if (received.size() < 12)
        return reply;
    const qsizetype length = bigEndian16(received, 10);
    if (bigEndian16(received, 2) != length + 6 || received.sliced(4, 2) != QByteArrayView("\0\0", 2)
        || received.sliced(7, 3) != QByteArrayView("\0\0\0", 3) || length + frameOverhead > replyCapacity)
        return invalid();
    if (received.size() < length + frameOverhead)
        return reply;
    if (byteSum(received.first(12 + length)) != quint8(received[12 + length]))
        return invalid();
    reply.check = ReplyCheck::Complete;
    reply.payload = received.sliced(12, length).toByteArray();
    return reply;
}

} // namespace upgrade
