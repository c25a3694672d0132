#include "protocol/ParameterCatalogue.h"

#include "connection/AddressCommand.h"
#include "connection/CDeviceInterface.h"
#include "protocol/CommandChannel.h"
#include "protocol/PrinterParameters.h"
#include "protocol/ReplyGrammar.h"

#include <algorithm>
#include <array>
#include <span>

namespace protocol {

namespace {

using P = PrinterParameters;
using Number = qint32 P::*;
using Text = QString P::*;

enum class Grammar {
    Integer,
    Text,
    DotsToMm,
    FlagOne, // 1 when the reply is exactly "1"
    OptionFlag, // 255-byte read, no CR LF needed
    Token,
    CutBackLength,
};

struct Token {
    const char *word;
    qint32 value;
};

// Reply words of the head-close action and the cutter settings; the same
// words (behind a prefix) set them.
constexpr Token headCloseTokens[] = { { "N", 0 }, { "F", 1 }, { "C", 2 }, { "L", 3 } };
constexpr Token cutModeTokens[] = { { "NORMAL", 1 }, { "NOBACK", 2 } };
constexpr Token cutBackTokens[] = { { "CUTBACKYES", 1 }, { "CUTBACKNO", 2 } };
constexpr Token cutReverseTokens[] = { { "CUTREVERSENO", 1 }, { "CUTREVERSEYES", 2 } };

struct QueryRow {
    Query query;
    const char *command;
    Grammar grammar;
    Number number = nullptr;
    Text text = nullptr;
    Number answered = nullptr; // set to 1 on success, 0 on failure
    // Paired queries: the base value asked right after the first.
    const char *baseCommand = nullptr;
    Number baseNumber = nullptr;
    std::span<const Token> tokens = {};
    bool unknownTokenKeepsField = false; // otherwise an unknown word gives 0
};

constexpr QueryRow integer(Query q, const char *command, Number field, Number answered = nullptr)
{
    return { q, command, Grammar::Integer, field, nullptr, answered };
}
constexpr QueryRow text(Query q, const char *command, Text field, Number answered = nullptr)
{
    return { q, command, Grammar::Text, nullptr, field, answered };
}
constexpr QueryRow numeric(Query q, Grammar grammar, const char *command, Number field)
{
    return { q, command, grammar, field };
}
constexpr QueryRow paired(Query q, const char *command, Number field, const char *baseCommand, Number baseField)
{
    return { q, command, Grammar::Integer, field, nullptr, nullptr, baseCommand, baseField };
}
constexpr QueryRow token(
    Query q, const char *command, Number field, std::span<const Token> tokens, bool unknownKeepsField = false)
{
    return { q, command, Grammar::Token, field, nullptr, nullptr, nullptr, nullptr, tokens, unknownKeepsField };
}

constexpr QueryRow queryTable[] = {
    text(Query::Model, "OUT GETSETTING$(\"SYSTEM\",\"INFORMATION\",\"MODEL\")\r\n", &P::model),
    text(Query::Version, "OUT GETSETTING$(\"SYSTEM\",\"INFORMATION\",\"VERSION\")\r\n", &P::version),
    text(Query::Serial, "OUT GETSETTING$(\"SYSTEM\",\"INFORMATION\",\"SERIAL\")\r\n", &P::serial),
    text(Query::Mileage, "DIAGNOSTIC REPORT MILAGE\r\n", &P::mileage),
    integer(Query::CutCounter, "DIAGNOSTIC REPORT CUTCOUNTER\r\n", &P::cutCounter),
    integer(Query::Dpi, "DIAGNOSTIC REPORT DPI\r\n", &P::dpi),
    integer(Query::Speed, "DIAGNOSTIC REPORT SPEED\r\n", &P::speed),
    integer(Query::Density, "DIAGNOSTIC REPORT DENSITY\r\n", &P::density),
    numeric(Query::PaperWidth, Grammar::DotsToMm, "DIAGNOSTIC REPORT PAPERWIDTH\r\n", &P::paperWidth),
    numeric(Query::PaperHeight, Grammar::DotsToMm, "DIAGNOSTIC REPORT PAPERHEIGHT\r\n", &P::paperHeight),
    integer(Query::SensorMode, "DIAGNOSTIC REPORT SENSORMODE\r\n", &P::sensorMode),
    numeric(Query::GapSize, Grammar::DotsToMm, "DIAGNOSTIC REPORT GAPSIZE\r\n", &P::gapSize),
    numeric(Query::GapOffset, Grammar::DotsToMm, "DIAGNOSTIC REPORT GAPOFFSET\r\n", &P::gapOffset),
    integer(Query::PrintOut, "DIAGNOSTIC REPORT PRINTOUT\r\n", &P::printOut),
    paired(
        Query::Offset, "DIAGNOSTIC REPORT OFFSET\r\n", &P::offset, "DIAGNOSTIC REPORT OFFSETBASE\r\n", &P::offsetBase),
    integer(Query::Direction, "DIAGNOSTIC REPORT DIRCTION\r\n", &P::direction),
    integer(Query::Mirror, "DIAGNOSTIC REPORT MIRROR\r\n", &P::mirror),
    integer(Query::ReferenceX, "DIAGNOSTIC REPORT REFERENCEX\r\n", &P::referenceX),
    integer(Query::ReferenceY, "DIAGNOSTIC REPORT REFERENCEY\r\n", &P::referenceY),
    paired(Query::ShiftY, "DIAGNOSTIC REPORT SHIFT\r\n", &P::shiftY, "DIAGNOSTIC REPORT SHIFTBASE\r\n", &P::shiftYBase),
    paired(
        Query::ShiftX, "DIAGNOSTIC REPORT SHIFTX\r\n", &P::shiftX, "DIAGNOSTIC REPORT SHIFTXBASE\r\n", &P::shiftXBase),
    integer(Query::GapIntensity, "DIAGNOSTIC REPORT GAPINTEN\r\n", &P::gapIntensity),
    integer(Query::BlineIntensity, "DIAGNOSTIC REPORT BLINEINTEN\r\n", &P::blineIntensity),
    integer(Query::Ribbon, "DIAGNOSTIC REPORT RIBBON\r\n", &P::ribbon),
    text(Query::RibbonErrLen, "DIAGNOSTIC REPORT RIBBONERRLEN\r\n", &P::ribbonErrLen),
    integer(Query::SensorRef, "DIAGNOSTIC REPORT AUTOTHRESHOLD\r\n", &P::sensorRef),
    integer(Query::SensorSta, "DIAGNOSTIC REPORT SENSORSTA\r\n", &P::sensorSta),
    integer(Query::ConIntensity, "DIAGNOSTIC REPORT CONINTEN\r\n", &P::conIntensity),
    numeric(Query::RibbonEnd, Grammar::FlagOne, "DIAGNOSTIC REPORT RIBBONEND\r\n", &P::ribbonEnd),
    integer(Query::ZSpeed, "DIAGNOSTIC REPORT ZSPEED\r\n", &P::zSpeed),
    integer(Query::ZDarkness, "DIAGNOSTIC REPORT ZDARKNESS\r\n", &P::zDarkness),
    token(Query::ZFeedHeadClose, "DIAGNOSTIC REPORT ZFEEDHEADCLOSE\r\n", &P::zFeedHeadClose, headCloseTokens, true),
    integer(Query::ZPosition, "DIAGNOSTIC REPORT ZPOSITION\r\n", &P::zPosition),
    integer(Query::ZLabelWidth, "DIAGNOSTIC REPORT ZLABELWIDTH\r\n", &P::zLabelWidth),
    integer(Query::ZLabelTop, "DIAGNOSTIC REPORT ZLABELTOP\r\n", &P::zLabelTop),
    integer(Query::ZLabelShift, "DIAGNOSTIC REPORT ZLABELSHIFT\r\n", &P::zLabelShift),
    integer(Query::BaudRate, "DIAGNOSTIC REPORT BAUDRATE\r\n", &P::baudRate, &P::serialQueried),
    integer(Query::Parity, "DIAGNOSTIC REPORT PARITY\r\n", &P::parity),
    integer(Query::DataBits, "DIAGNOSTIC REPORT DATABIT\r\n", &P::dataBits),
    integer(Query::StopBits, "DIAGNOSTIC REPORT STOPBIT\r\n", &P::stopBits),
    integer(Query::Dhcp, "DIAGNOSTIC REPORT DHCP\r\n", &P::dhcp, &P::networkQueried),
    text(Query::NetIp, "DIAGNOSTIC REPORT IP ADDRESS\r\n", &P::netIp),
    text(Query::NetMask, "DIAGNOSTIC REPORT SUBNET MASK\r\n", &P::netMask),
    text(Query::NetGateway, "DIAGNOSTIC REPORT DEFAULT GATEWAY\r\n", &P::netGateway),
    text(Query::BtName, "DIAGNOSTIC REPORT BTNAME\r\n", &P::btName, &P::bluetoothQueried),
    text(Query::BtPinCode, "DIAGNOSTIC REPORT BTPINCODE\r\n", &P::btPinCode),
    numeric(Query::HasBluetooth, Grammar::OptionFlag, "DIAGNOSTIC REPORT ISBT\r\n", &P::hasBluetooth),
    numeric(Query::HasWifi, Grammar::OptionFlag, "DIAGNOSTIC REPORT ISWIFI\r\n", &P::hasWifi),
    numeric(Query::HasEthernet, Grammar::OptionFlag, "DIAGNOSTIC REPORT ISETH\r\n", &P::hasEthernet),
    numeric(Query::HasSerial, Grammar::OptionFlag, "DIAGNOSTIC REPORT ISSERIAL\r\n", &P::hasSerial),
    numeric(Query::HasCutter, Grammar::OptionFlag, "DIAGNOSTIC REPORT ISCUT\r\n", &P::hasCutter),
    numeric(Query::HasPeeler, Grammar::OptionFlag, "DIAGNOSTIC REPORT ISPEEL\r\n", &P::hasPeeler),
    text(Query::WifiSsid, "DIAGNOSTIC REPORT WIFISSID\r\n", &P::wifiSsid),
    text(Query::WifiPassword, "DIAGNOSTIC REPORT WIFIPWD\r\n", &P::wifiPassword),
    integer(Query::WifiDhcp, "DIAGNOSTIC REPORT WIFIDHCP\r\n", &P::wifiDhcp, &P::wifiQueried),
    text(Query::WifiIp, "DIAGNOSTIC REPORT WIFIIP\r\n", &P::wifiIp),
    text(Query::WifiMask, "DIAGNOSTIC REPORT WIFIMASK\r\n", &P::wifiMask),
    text(Query::WifiGateway, "DIAGNOSTIC REPORT WIFIGATEWAY\r\n", &P::wifiGateway),
    token(Query::CutMode, "READC CUTMODE\r\n", &P::cutMode, cutModeTokens),
    token(Query::CutBack, "READC CUTBACK\r\n", &P::cutBack, cutBackTokens),
    token(Query::CutReverse, "READC CUTREVERSE\r\n", &P::cutReverse, cutReverseTokens),
    numeric(Query::CutBackLen, Grammar::CutBackLength, "READC CUTBACKLEN\r\n", &P::cutBackLen),
};

// Rows stand in enum order, one per value, so a value indexes its row.
template <typename Table, typename Enum, typename Member>
constexpr bool inEnumOrder(const Table &table, Member member, Enum last)
{
    if (std::size(table) != static_cast<std::size_t>(last) + 1)
        return false;
    for (std::size_t i = 0; i < std::size(table); ++i) {
        if (table[i].*member != static_cast<Enum>(i))
            return false;
    }
    return true;
}
static_assert(inEnumOrder(queryTable, &QueryRow::query, Query::CutBackLen));

const QueryRow &rowOf(Query query)
{
    return queryTable[static_cast<std::size_t>(query)];
}

std::optional<qint32> tokenValue(std::span<const Token> tokens, const QString &word)
{
    for (const Token &t : tokens) {
        if (word == QLatin1String(t.word))
            return t.value;
    }
    return std::nullopt;
}

const char *tokenWord(std::span<const Token> tokens, qint32 value)
{
    for (const Token &t : tokens) {
        if (t.value == value)
            return t.word;
    }
    return nullptr;
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

void store(PrinterParameters &params, const QueryRow &row, const QString &reply)
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
        break;
    }
}

// The BASE query follows its first query even when that one's command could
// not be sent, but not when its reply failed.
bool runPairedQuery(CDeviceInterface &port, PrinterParameters &params, const QueryRow &row)
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

bool runRow(CDeviceInterface &port, PrinterParameters &params, const QueryRow &row)
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

QString line(const char *format, qint32 value)
{
    return QString::asprintf(format, value);
}

QString onOff(const char *prefix, qint32 value, const char *on, const char *off)
{
    return QLatin1String(prefix) + QLatin1String(value != 0 ? on : off) + QLatin1String("\r\n");
}

QString quoted(const char *prefix, const QString &value)
{
    return QLatin1String(prefix) + QLatin1String(" \"") + value + QLatin1String("\"\r\n");
}

// A cutter setting exists only for the values the printer names.
std::optional<QString> cutterWord(const char *prefix, std::span<const Token> tokens, qint32 value)
{
    const char *word = tokenWord(tokens, value);
    if (!word)
        return std::nullopt;
    return QLatin1String(prefix) + QLatin1String(word) + QLatin1String("\r\n");
}

QString ribbonErrLenText(const QString &sensitivity)
{
    static constexpr const char *words[] = { "LOW", "MIDDLE", "HIGHT" };
    for (const char *word : words) {
        if (sensitivity == QLatin1String(word))
            return QStringLiteral("SET RIBBONERRLEN %1\r\n").arg(QLatin1String(word));
    }
    return line("SET RIBBONERRLEN %d\r\n", parseInteger(sensitivity));
}

QString baudRateText(qint32 baudRate)
{
    switch (baudRate) {
    case 9600:
        return QStringLiteral("SET COM1 96\r\n");
    case 230400:
        return QStringLiteral("SET COM1 230\r\n");
    default:
        return QStringLiteral("SET COM1 115\r\n");
    }
}

struct SettingRow {
    Setting setting;
    std::optional<QString> (*text)(const P &);
};

constexpr SettingRow settingTable[] = {
    { Setting::Speed, [](const P &p) -> std::optional<QString> { return line("SPEED %d\r\n", p.speed); } },
    { Setting::Density, [](const P &p) -> std::optional<QString> { return line("DENSITY %d\r\n", p.density); } },
    { Setting::Size,
        [](const P &p) -> std::optional<QString> {
            return QString::asprintf("SIZE %dmm,%dmm\r\n", p.paperWidth, p.paperHeight);
        } },
    { Setting::Offset, [](const P &p) -> std::optional<QString> { return line("OFFSET %d dot\r\n", p.offset); } },
    { Setting::Shift,
        [](const P &p) -> std::optional<QString> { return QString::asprintf("SHIFT %d,%d\r\n", p.shiftX, p.shiftY); } },
    { Setting::Ribbon,
        [](const P &p) -> std::optional<QString> { return onOff("SET RIBBON ", p.ribbon, "ON", "OFF"); } },
    { Setting::RibbonErrLen, [](const P &p) -> std::optional<QString> { return ribbonErrLenText(p.ribbonErrLen); } },
    { Setting::SensorRef,
        [](const P &p) -> std::optional<QString> { return onOff("SET SENSOR_REF ", p.sensorRef, "AUTO", "MANUAL"); } },
    { Setting::SensorSta,
        [](const P &p) -> std::optional<QString> {
            return onOff("SET SENSOR_STA ", p.sensorSta, "SPECIAL", "NORMAL");
        } },
    { Setting::RibbonEnd,
        [](const P &p) -> std::optional<QString> { return onOff("SET RIBBONEND ", p.ribbonEnd, "ON", "OFF"); } },
    { Setting::ZDarkness, [](const P &p) -> std::optional<QString> { return line("~SD%d\r\n", p.zDarkness); } },
    { Setting::ZFeedHeadClose,
        [](const P &p) -> std::optional<QString> {
            const char *letter = tokenWord(headCloseTokens, p.zFeedHeadClose);
            return QLatin1String("^MF,") + QLatin1String(letter ? letter : "") + QLatin1String("\r\n");
        } },
    { Setting::ZSpeed, [](const P &p) -> std::optional<QString> { return line("^PR%d\r\n", p.zSpeed); } },
    { Setting::ZPosition, [](const P &p) -> std::optional<QString> { return line("~TA%03d\r\n", p.zPosition); } },
    { Setting::ZLabelWidth, [](const P &p) -> std::optional<QString> { return line("~PW%02d\r\n", p.zLabelWidth); } },
    { Setting::ZLabelTop, [](const P &p) -> std::optional<QString> { return line("~LT%d\r\n", p.zLabelTop); } },
    { Setting::ZLabelShift, [](const P &p) -> std::optional<QString> { return line("~LS%d\r\n", p.zLabelShift); } },
    { Setting::BaudRate, [](const P &p) -> std::optional<QString> { return baudRateText(p.baudRate); } },
    { Setting::Network,
        [](const P &p) -> std::optional<QString> {
            return addressCommand("NET", p.dhcp != 0, p.netIp, p.netMask, p.netGateway);
        } },
    { Setting::WifiSsid, [](const P &p) -> std::optional<QString> { return quoted("WLAN SSID", p.wifiSsid); } },
    { Setting::WifiPassword, [](const P &p) -> std::optional<QString> { return quoted("WLAN PWD", p.wifiPassword); } },
    { Setting::WifiNetwork,
        [](const P &p) -> std::optional<QString> {
            return addressCommand("WLAN", p.wifiDhcp != 0, p.wifiIp, p.wifiMask, p.wifiGateway);
        } },
    { Setting::CutBack, [](const P &p) { return cutterWord("WRITEC ", cutBackTokens, p.cutBack); } },
    { Setting::CutReverse, [](const P &p) { return cutterWord("WRITEC ", cutReverseTokens, p.cutReverse); } },
    { Setting::CutBackLen,
        [](const P &p) -> std::optional<QString> { return line("WRITEC CUTBACKLEN,%d\r\n", p.cutBackLen); } },
    { Setting::CutMode, [](const P &p) { return cutterWord("WRITEC CUTMODE", cutModeTokens, p.cutMode); } },
};

static_assert(inEnumOrder(settingTable, &SettingRow::setting, Setting::CutMode));

constexpr const char *calibrationCommands[] = {
    "AUTODETECT\r\n",
    "GAPDETECT\r\n",
    "BLINEDETECT\r\n",
    "GAP 0 mm, 0 mm\r\n",
};

} // namespace

bool runQuery(CDeviceInterface &port, PrinterParameters &params, Query query)
{
    const QueryRow &row = rowOf(query);
    const bool ok = runRow(port, params, row);
    if (row.answered)
        params.*row.answered = ok ? 1 : 0;
    return ok;
}

std::optional<QString> settingText(const PrinterParameters &params, Setting setting)
{
    return settingTable[static_cast<std::size_t>(setting)].text(params);
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
