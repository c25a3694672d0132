#include "protocol/CommandChannel.h"

#include "connection/CDeviceInterface.h"
#include "platform/SystemText.h"
#include "protocol/PrinterParameters.h"

#include <array>

namespace protocol {

namespace {

QByteArrayView untilZero(QByteArrayView bytes)
{
    const qsizetype zero = bytes.indexOf('\0');
    return zero < 0 ? bytes : bytes.first(zero);
}

} // namespace

QByteArray commandBytes(const QString &command)
{
    QByteArray bytes = platform::toSystemBytes(command);
    bytes.truncate(untilZero(bytes).size());
    return bytes;
}

QString replyText(QByteArrayView bytes)
{
    return platform::fromSystemBytes(untilZero(bytes));
}

bool sendBytes(CDeviceInterface &port, QByteArrayView bytes)
{
    const qint32 length = static_cast<qint32>(bytes.size());
    return port.Write(bytes.data(), length) == length;
}

bool sendCommand(CDeviceInterface &port, const QString &command)
{
    return sendBytes(port, commandBytes(command));
}

bool sendQuery(CDeviceInterface &port, const QString &command)
{
    port.DiscardInput();
    return sendCommand(port, command);
}

bool readReply(CDeviceInterface &port, quint32 waitMs, QString &text)
{
    text.clear();
    std::array<char, replyBufferSize> buffer {};
    const qint32 count = port.Read(buffer.data(), replyBufferSize, waitMs);
    if (count < 2 || count > replyBufferSize)
        return false;
    const QByteArrayView reply(buffer.data(), count);
    if (!reply.endsWith("\r\n"))
        return false;
    text = replyText(reply.chopped(2));
    return true;
}

bool query(CDeviceInterface &port, const QString &command, quint32 waitMs, QString &text)
{
    text.clear();
    return sendQuery(port, command) && readReply(port, waitMs, text);
}

bool queryStatus(CDeviceInterface &port, PrinterParameters &params)
{
    static constexpr char statusQuery[] = { '\x1b', '!', '?' };
    port.DiscardInput();
    if (port.Write(statusQuery, sizeof statusQuery) == 0)
        return false;
    std::array<unsigned char, replyBufferSize> buffer {};
    if (port.Read(buffer.data(), replyBufferSize, queryWaitMs) < 1)
        return false;
    params.statusByte = buffer[0];
    return true;
}

} // namespace protocol
