#include "printer-sim/BootFrame.h"

namespace printersim {

quint8 byteSum(const char *data, qsizetype size)
{
    quint8 sum = 0;
    for (qsizetype i = 0; i < size; ++i)
        sum = static_cast<quint8>(sum + static_cast<quint8>(data[i]));
    return sum;
}

quint32 imageSum(const QByteArray &bytes)
{
    quint32 sum = 0;
    for (char c : bytes)
        sum += static_cast<quint8>(c);
    return sum;
}

void appendBigEndian16(QByteArray &out, quint16 value)
{
    out.append(static_cast<char>(value >> 8));
    out.append(static_cast<char>(value & 0xFF));
}

void appendBigEndian32(QByteArray &out, quint32 value)
{
    appendBigEndian16(out, static_cast<quint16>(value >> 16));
    appendBigEndian16(out, static_cast<quint16>(value & 0xFFFF));
}

quint16 bigEndian16(const QByteArray &bytes, qsizetype at)
{
    return static_cast<quint16>((static_cast<quint8>(bytes[at]) << 8) | static_cast<quint8>(bytes[at + 1]));
}

quint32 bigEndian32(const QByteArray &bytes, qsizetype at)
{
    return (quint32(bigEndian16(bytes, at)) << 16) | bigEndian16(bytes, at + 2);
}

QByteArray BootFrame::encode() const
{
    QByteArray out("\x1B\x10", 2);
    appendBigEndian16(out, static_cast<quint16>(payload.size() + 6));
    out.append(2, '\0');
    out.append(static_cast<char>(code));
    out.append(3, '\0');
    appendBigEndian16(out, static_cast<quint16>(payload.size()));
    out += payload;
    out.append(static_cast<char>(byteSum(out.constData(), out.size())));
    return out;
}

BootFrame::ScanResult BootFrame::scan(const QByteArray &buffer)
{
    ScanResult result;
    if (buffer.isEmpty())
        return result;
    if (buffer[0] != '\x1B' || (buffer.size() > 1 && buffer[1] != '\x10')) {
        result.scan = Scan::Invalid;
        result.length = 1;
        return result;
    }
    if (buffer.size() < headerSize)
        return result;
    const int payloadLength = bigEndian16(buffer, 10);
    if (bigEndian16(buffer, 2) != static_cast<quint16>(payloadLength + 6)) {
        result.scan = Scan::Invalid;
        result.length = 1;
        return result;
    }
    const int total = headerSize + payloadLength + 1;
    if (buffer.size() < total)
        return result;
    result.scan = Scan::Complete;
    result.length = total;
    result.sumMatches = byteSum(buffer.constData(), total - 1) == static_cast<quint8>(buffer[total - 1]);
    result.frame.code = static_cast<quint8>(buffer[6]);
    result.frame.payload = buffer.mid(headerSize, payloadLength);
    return result;
}

} // namespace printersim
