#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// The printer's boot loader protocol: frames 1B 10, L + 6, 00 00, code,
// 00 00 00, L, payload, 8-bit sum; numbers big-endian. No port here.
namespace upgrade {

inline constexpr quint32 flashStart = 0x60020000;
inline constexpr qint32 blockSize = 8192;
inline constexpr qint32 frameOverhead = 13;
inline constexpr qint32 replyCapacity = 1024;

enum class BootCode : quint8 { Query = 2, Erase = 3, WriteBlock = 4, Verify = 6, Restart = 7 };

QByteArray bootFrame(BootCode code, QByteArrayView payload = {});

// The end address of an image of imageLength bytes written at flashStart;
// nothing when it would pass 0xFFFFFFFF (or the length is not positive).
std::optional<quint32> endAddress(qint64 imageLength);
// 00, start, end: the payload of erase and of verify.
QByteArray rangePayload(quint32 endAddress);
// 00 00 00 00, block number modulo 256, length, data.
QByteArray blockPayload(qint64 blockNumber, QByteArrayView data);
qint64 blockCount(qint64 imageLength);
// The printer's checksum of an image: every byte unsigned, 32 bits wrapping.
quint32 imageSum(QByteArrayView image);

enum class ReplyCheck {
    Complete, // a whole frame for the code sent, its sum right
    Incomplete, // the start of one; more bytes may follow
    Invalid, // not a reply to the code sent: a wrong header, code, length or sum
};

struct BootReply {
    ReplyCheck check = ReplyCheck::Incomplete;
    QByteArray payload; // Complete only; never more than the bytes received
};

// Looks at the bytes received so far (at most replyCapacity of them count)
// as the reply to a frame with code sent.
BootReply checkReply(QByteArrayView received, BootCode sent);

} // namespace upgrade
