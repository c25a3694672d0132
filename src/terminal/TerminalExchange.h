#pragma once

#include "jobs/JobProgress.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

class CDeviceInterface;

// What the communication tab says to the printer and how it shows the answer:
// the send formats, the one read after each send and the file sender. No
// widgets here.
namespace terminal {

// The values the format entries carry and the settings store keeps. Any
// other value (no selection) sends and shows as Hex.
enum TextType : qint32 { Char = 1, Hex = 2 };

inline constexpr qint32 receiveBufferSize = 1024;
inline constexpr quint32 receiveWaitMs = 1000;

// Every line break (LF, CR or CR LF) as CR LF: a text box gives a typed line
// break as LF, the printer ends its lines with CR LF.
QString withCrLf(const QString &text);

struct HexBytes {
    QByteArray bytes;
    // Tokens that were not one clean pair of hexadecimal digits, each with
    // the byte it gave: "1B40 as 40".
    QStringList unclean;
};

// Letters and digits form a token, anything else ends one; each token gives
// one byte: the last pair of what is left after removing "0x" and "0X", or 00
// when that is empty or of odd length. Letters beyond F count as 0.
HexBytes parseHex(const QString &text);

// The text to append for the bytes of one read: up to the first zero byte as
// text (Char), or a space and the bytes as "4F 4B 0D 0A" (anything else). A
// count of 0 or less is no bytes.
QString receivedText(QByteArrayView buffer, qint32 count, qint32 receiveType);

// One send in the given format, then one read of at most 1024 bytes within
// 1000 ms; returns the text to append. Unclean hex tokens are named in one
// traffic-log line.
QString sendAndReceive(CDeviceInterface &port, const QString &text, qint32 sendType, qint32 receiveType);

inline constexpr qint32 fileBlockSize = 1024;
inline constexpr int filePauseMs = 250; // after every block, the last one too

qint64 fileBlockCount(qint64 size);
// How long a file of size bytes takes at one block per pause.
qint64 expectedSendMs(qint64 size);
// "m:ss" (or "h:mm:ss") of a wait, rounded up to whole seconds.
QString durationText(qint64 ms);

struct SendFileOutcome {
    bool loaded = false; // the file could be opened and was not empty
    bool cancelled = false;
    bool portFailed = false; // the port did not take a block whole, so sending stopped
    qint64 size = 0;
    qint64 bytesSent = 0; // as the port reported them
};

// Sends the file unchanged, read block by block, with the pause after each.
// The maximum is the number of blocks, the position the blocks sent; a cancel
// request is honoured between blocks and logged with the bytes sent so far;
// a block the port does not take whole ends the sending the same way.
SendFileOutcome sendFile(CDeviceInterface &port, const QString &path, jobs::JobProgress &progress);

} // namespace terminal
