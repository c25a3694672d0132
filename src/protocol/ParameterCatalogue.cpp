#include "protocol/ParameterCatalogue.h"

#include "connection/CDeviceInterface.h"
#include "protocol/CommandChannel.h"
#include "protocol/ParameterTable.h"
#include "protocol/PrinterParameters.h"
#include "protocol/ReplyGrammar.h"

#include <algorithm>
#include <array>
#include <span>

namespace protocol {

namespace {

std::optional<qint32> tokenValue(std::span<const Token> tokens, const QString &word)
{
    for (const Token &t : tokens) {
        if (word == QLatin1String(t.word))
            return t.value;
    }
    return std::nullopt;
}

// The option queries answer without a line end, so they read raw bytes.
bool queryOptionFlag(CDeviceInterface &port, const QString &command, qint32 &field)
{
    if (!sendQuery(port, command))
        return false;
    std::array<char, 255> buffer {};
    // A negative count is a connection error, not an answer.
    if (port.Read(buffer.data(), static_cast<qint32>(buffer.size()), queryWaitMs) <= 0)
        return false;
    field = buffer[0] == '1' ? 1 : 0;
    return true;
}

void store(PrinterParameters &params, const ParameterRow &row, const QString &reply)
{
    switch (row.grammar) {
    case Grammar::Integer:
        params.*row.number = parseInteger(reply);
        break;
    case Grammar::Text:
        params.*row.text = reply;
        break;
    case Grammar::DotsToMm:
        params.*row.number = dotsToMillimetres(parseInteger(reply), params.dpi);
        break;
    case Grammar::FlagOne:
        params.*row.number = reply == QLatin1String("1") ? 1 : 0;
        break;
    case Grammar::Token:
        if (const auto value = tokenValue(row.tokens, reply))
            params.*row.number = *value;
        else if (!row.unknownTokenKeepsField)
            params.*row.number = 0;
        break;
    case Grammar::CutBackLength:
        params.*row.number = parseCutBackLength(reply);
        break;
    case Grammar::OptionFlag:
    case Grammar::None:
        break;
    }
}

// The BASE query follows its first query even when that one's command could
// not be sent, but not when its reply failed.
bool runPairedQuery(CDeviceInterface &port, PrinterParameters &params, const ParameterRow &row)
{
    QString reply;
    const bool firstSent = sendQuery(port, QLatin1String(row.command));
    if (firstSent) {
        if (!readReply(port, queryWaitMs, reply))
            return false;
        params.*row.number = parseInteger(reply);
    }
    if (!query(port, QLatin1String(row.baseCommand), queryWaitMs, reply))
        return false;
    params.*row.baseNumber = parseInteger(reply);
    return firstSent;
}

bool runRow(CDeviceInterface &port, PrinterParameters &params, const ParameterRow &row)
{
    if (row.grammar == Grammar::OptionFlag)
        return queryOptionFlag(port, QLatin1String(row.command), params.*row.number);
    if (row.baseCommand)
        return runPairedQuery(port, params, row);
    QString reply;
    if (!query(port, QLatin1String(row.command), queryWaitMs, reply))
        return false;
    store(params, row, reply);
    return true;
}

constexpr const char *calibrationCommands[] = {
    "AUTODETECT\r\n",
    "GAPDETECT\r\n",
    "BLINEDETECT\r\n",
    "GAP 0 mm, 0 mm\r\n",
};

} // namespace

bool runQuery(CDeviceInterface &port, PrinterParameters &params, Query query)
{
    const ParameterRow &row = rowOf(query);
    const bool ok = runRow(port, params, row);
    if (row.answered)
        params.*row.answered = ok ? 1 : 0;
    return ok;
}

std::optional<QString> settingText(const PrinterParameters &params, Setting setting)
{
    return rowOf(setting).format(params);
}

bool sendSetting(CDeviceInterface &port, const PrinterParameters &params, Setting setting)
{
    const std::optional<QString> text = settingText(params, setting);
    return !text || sendCommand(port, *text);
}

bool calibrate(CDeviceInterface &port, int choice)
{
    if (choice < 0 || choice >= static_cast<int>(std::size(calibrationCommands)))
        return false;
    return sendCommand(port, QLatin1String(calibrationCommands[choice]));
}

bool initialisePrinter(CDeviceInterface &port)
{
    return sendCommand(port, QStringLiteral("INITALPRINTER\r\n"));
}

bool restartPrinter(CDeviceInterface &port)
{
    return sendCommand(port, QStringLiteral("\x1b!R\r\n"));
}

bool printSelfTest(CDeviceInterface &port)
{
    return sendCommand(port, QStringLiteral("SELFTEST\r\n"));
}

QString clockText(int year, int month, int day, int hour, int minute, int second)
{
    return QString::asprintf("YEAR = %02d\r\nMONTH = %02d\r\nDATE = %02d\r\nHOUR = %02d\r\nMINUTE = %02d\r\n"
                             "SECOND = %02d\r\n",
        year % 100, month, day, hour, minute, second);
}

bool setClock(CDeviceInterface &port, int year, int month, int day, int hour, int minute, int second)
{
    return sendCommand(port, clockText(year, month, day, hour, minute, second));
}

bool ignoreAutoBas(CDeviceInterface &port)
{
    return sendBytes(port, QByteArrayView("\x1b!C", 3));
}

bool enterHexMode(CDeviceInterface &port)
{
    return sendBytes(port, QByteArrayView("~!D", 3));
}

} // namespace protocol
