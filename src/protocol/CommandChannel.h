#pragma once

#include <QByteArrayView>
#include <QString>

class CDeviceInterface;
struct PrinterParameters;

// The thin layer between command texts and the port object: one write per
// command, one read per reply, no state and no logging of its own (the port
// logs every transfer).
namespace protocol {

inline constexpr qint32 replyBufferSize = 1024;
inline constexpr quint32 queryWaitMs = 1000;
inline constexpr quint32 slowQueryWaitMs = 2000; // FLASH, CARD and file deletion

// Command text as the printer receives it: system code page, cut at the first
// zero byte.
QByteArray commandBytes(const QString &command);

// Reply bytes as text: system code page, cut at the first zero byte.
QString replyText(QByteArrayView bytes);

// Writes the command in one call; true when every byte was written.
bool sendCommand(CDeviceInterface &port, const QString &command);

// Writes raw bytes (control sequences, file data) in one call; true when
// every byte was written.
bool sendBytes(CDeviceInterface &port, QByteArrayView bytes);

// One read into a 1024-byte buffer. True when it ends in CR LF; text is then
// the bytes before it. On failure text is empty.
bool readReply(CDeviceInterface &port, quint32 waitMs, QString &text);

// sendCommand, then readReply only when the command went out.
bool query(CDeviceInterface &port, const QString &command, quint32 waitMs, QString &text);

// ESC ! ? and one byte back into params.statusByte; a failure keeps it.
bool queryStatus(CDeviceInterface &port, PrinterParameters &params);

} // namespace protocol
