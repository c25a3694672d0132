#pragma once

#include <QByteArrayView>
#include <QString>

class CDeviceInterface;
struct PrinterParameters;

// The thin layer between command texts and the port object: one write per
// command, one read per reply, no state and no logging of its own (the port
// logs every transfer). Before a command whose reply is read, the port's
// input is emptied, so replies never shift onto later queries.
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

// A command whose reply is read next: first drops what is already waiting
// on the port (a late or unread earlier reply), then sendCommand.
bool sendQuery(CDeviceInterface &port, const QString &command);

// Writes raw bytes (control sequences, file data) in one call; true when
// every byte was written.
bool sendBytes(CDeviceInterface &port, QByteArrayView bytes);

// One read into a 1024-byte buffer. True when it ends in CR LF; text is then
// the bytes before it. On failure text is empty.
bool readReply(CDeviceInterface &port, quint32 waitMs, QString &text);

// sendQuery, then readReply only when the command went out.
bool query(CDeviceInterface &port, const QString &command, quint32 waitMs, QString &text);

// ESC ! ? (after dropping what is waiting) and one byte back into
// params.statusByte; a failure keeps it.
bool queryStatus(CDeviceInterface &port, PrinterParameters &params);

} // namespace protocol
