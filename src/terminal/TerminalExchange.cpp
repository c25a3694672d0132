#include "terminal/TerminalExchange.h"

#include "connection/CDeviceInterface.h"
#include "protocol/CommandChannel.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <array>

namespace terminal {

QString withCrLf(const QString &text)
{
    QString result;
    result.reserve(text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            result += QStringLiteral("\r\n");
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            result += c;
        }
    }
    return result;
}

namespace {

bool isTokenChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return 0;
}

bool isHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F') || (u >= u'a' && u <= u'f');
}

// The one byte of a token and whether it was a clean pair.
std::pair<quint8, bool> tokenByte(const QString &token)
{
    QString digits = token;
    digits.remove(QStringLiteral("0x"));
    digits.remove(QStringLiteral("0X"));
    if (digits.size() < 2 || digits.size() % 2 != 0)
        return { 0, false };
    const qsizetype last = digits.size() - 2;
    const auto byte = static_cast<quint8>(digitValue(digits[last]) * 16 + digitValue(digits[last + 1]));
    return { byte, digits.size() == 2 && isHexDigit(digits[0]) && isHexDigit(digits[1]) };
}

} // namespace

HexBytes parseHex(const QString &text)
{
    HexBytes result;
    QString token;
    const auto endToken = [&] {
        if (token.isEmpty())
            return;
        const auto [byte, clean] = tokenByte(token);
        result.bytes.append(static_cast<char>(byte));
        if (!clean)
            result.unclean.append(
                QStringLiteral("\"%1\" as %2").arg(token, QString::number(byte, 16).rightJustified(2, u'0').toUpper()));
        token.clear();
    };
    for (const QChar c : text) {
        if (isTokenChar(c))
            token += c;
        else
            endToken();
    }
    endToken();
    return result;
}

QString receivedText(QByteArrayView buffer, qint32 count, qint32 receiveType)
{
    const QByteArrayView bytes = buffer.first(count > 0 ? std::min<qsizetype>(count, buffer.size()) : 0);
    if (receiveType == Char)
        return protocol::replyText(bytes);
    return QLatin1Char(' ') + QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper());
}

QString sendAndReceive(CDeviceInterface &port, const QString &text, qint32 sendType, qint32 receiveType)
{
    if (sendType == Char) {
        protocol::sendCommand(port, withCrLf(text));
    } else {
        const HexBytes hex = parseHex(text);
        if (!hex.unclean.isEmpty())
            CDeviceInterface::LogLine(
                QStringLiteral("HEX: a byte is one pair of hexadecimal digits; sent %1.").arg(hex.unclean.join(u", ")));
        protocol::sendBytes(port, hex.bytes);
    }
    std::array<char, receiveBufferSize> buffer;
    const qint32 count = port.Read(buffer.data(), receiveBufferSize, receiveWaitMs);
    return receivedText(QByteArrayView(buffer.data(), buffer.size()), count, receiveType);
}

qint64 fileBlockCount(qint64 size)
{
    return size <= 0 ? 0 : (size + fileBlockSize - 1) / fileBlockSize;
}

qint64 expectedSendMs(qint64 size)
{
    return fileBlockCount(size) * filePauseMs;
}

QString durationText(qint64 ms)
{
    const qint64 seconds = (ms + 999) / 1000;
    const QString minutesSeconds
        = QStringLiteral("%1:%2").arg(seconds / 60 % 60).arg(QString::number(seconds % 60).rightJustified(2, u'0'));
    if (seconds < 3600)
        return minutesSeconds;
    return QStringLiteral("%1:%2").arg(seconds / 3600).arg(minutesSeconds.rightJustified(5, QLatin1Char('0')));
}

SendFileOutcome sendFile(CDeviceInterface &port, const QString &path, jobs::JobProgress &progress)
{
    SendFileOutcome outcome;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        CDeviceInterface::LogLine(QStringLiteral("Load file failed."));
        return outcome;
    }
    outcome.size = file.size();
    if (outcome.size <= 0) {
        CDeviceInterface::LogLine(QStringLiteral("Load file failed. Size is 0."));
        return outcome;
    }
    outcome.loaded = true;
    const qint64 blocks = fileBlockCount(outcome.size);
    CDeviceInterface::LogLine(QStringLiteral("Send file: %1, %2 bytes, %3 blocks, expected time %4.")
                                  .arg(QFileInfo(path).fileName())
                                  .arg(outcome.size)
                                  .arg(blocks)
                                  .arg(durationText(expectedSendMs(outcome.size))));
    progress.setMaximum(static_cast<qint32>(blocks));
    QByteArray block(fileBlockSize, Qt::Uninitialized);
    for (qint64 index = 0; index < blocks; ++index) {
        if (index > 0 && progress.cancelRequested()) {
            outcome.cancelled = true;
            CDeviceInterface::LogLine(
                QStringLiteral("Send file cancelled: %1 of %2 bytes sent.").arg(outcome.bytesSent).arg(outcome.size));
            return outcome;
        }
        const qint64 length = file.read(block.data(), fileBlockSize);
        if (length <= 0) {
            CDeviceInterface::LogLine(QStringLiteral("Load file failed while sending: %1 of %2 bytes sent.")
                                          .arg(outcome.bytesSent)
                                          .arg(outcome.size));
            return outcome;
        }
        const qint32 written = port.Write(block.constData(), static_cast<qint32>(length));
        outcome.bytesSent += std::max<qint32>(0, written);
        // A printer that is gone would otherwise be fed every block with its pause.
        if (written != length) {
            outcome.portFailed = true;
            CDeviceInterface::LogLine(
                QStringLiteral("Send file failed: %1 of %2 bytes sent.").arg(outcome.bytesSent).arg(outcome.size));
            return outcome;
        }
        QThread::msleep(filePauseMs);
        progress.setPosition(static_cast<qint32>(index + 1));
    }
    return outcome;
}

} // namespace terminal
