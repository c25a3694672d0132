#pragma once

#include <QByteArray>

namespace printersim {

// The boot loader's frame: 1B 10, L + 6 (big-endian), 00 00, command code,
// 00 00 00, L, payload, 8-bit sum of everything before it.
struct BootFrame {
    quint8 code = 0;
    QByteArray payload;

    static constexpr int headerSize = 12;

    QByteArray encode() const;

    enum class Scan { NeedMore, Invalid, Complete };
    struct ScanResult;
    // Looks at the start of buffer. Invalid means the first byte cannot start
    // a frame (or the two length fields disagree) and should be skipped.
    static ScanResult scan(const QByteArray &buffer);
};

struct BootFrame::ScanResult {
    Scan scan = Scan::NeedMore;
    int length = 0; // bytes the frame (Complete) or the junk (Invalid) takes
    bool sumMatches = true; // Complete only
    BootFrame frame;
};

quint8 byteSum(const char *data, qsizetype size);
quint32 imageSum(const QByteArray &bytes);

void appendBigEndian16(QByteArray &out, quint16 value);
void appendBigEndian32(QByteArray &out, quint32 value);
quint16 bigEndian16(const QByteArray &bytes, qsizetype at);
quint32 bigEndian32(const QByteArray &bytes, qsizetype at);

} // namespace printersim
