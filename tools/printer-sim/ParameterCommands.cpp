#include "printer-sim/ParameterCommands.h"

#include <QList>

#include <cmath>
#include <iterator>

namespace printersim {
namespace {

enum class Part { None, Bluetooth, Wifi, Ethernet, Serial, Cutter };

bool hasPart(const PrinterOptions &options, Part part)
{
    switch (part) {
    case Part::None:
        return true;
    case Part::Bluetooth:
        return options.bluetooth;
    case Part::Wifi:
        return options.wifi;
    case Part::Ethernet:
        return options.ethernet;
    case Part::Serial:
        return options.serial;
    case Part::Cutter:
        return options.cutter;
    }
    return false;
}

QByteArray num(qint64 value)
{
    return QByteArray::number(value);
}

QByteArray flag(bool value)
{
    return value ? "1" : "0";
}

QByteArray fileList(const PrinterView &p, Place place)
{
    return p.store.listReply(place).chopped(2);
}

QByteArray mileageText(qint64 millimetres)
{
    return QByteArray::number(millimetres / 1000.0, 'f', 1);
}

struct QueryRow {
    const char *text;
    Part part;
    QByteArray (*answer)(const PrinterView &);
};

// The reply of every query, in the printer's own words.
const QueryRow queryRows[] = {
    { "OUT GETSETTING$(\"SYSTEM\",\"INFORMATION\",\"MODEL\")", Part::None,
        [](const PrinterView &p) { return p.identity.model; } },
    { "OUT GETSETTING$(\"SYSTEM\",\"INFORMATION\",\"VERSION\")", Part::None,
        [](const PrinterView &p) { return p.identity.version; } },
    { "OUT GETSETTING$(\"SYSTEM\",\"INFORMATION\",\"SERIAL\")", Part::None,
        [](const PrinterView &p) { return p.identity.serial; } },
    { "DIAGNOSTIC REPORT MILAGE", Part::None, [](const PrinterView &p) { return mileageText(p.counters.mileageMm); } },
    { "DIAGNOSTIC REPORT CUTCOUNTER", Part::None, [](const PrinterView &p) { return num(p.counters.cuts); } },
    { "DIAGNOSTIC REPORT DPI", Part::None, [](const PrinterView &p) { return num(p.identity.dpi); } },
    { "DIAGNOSTIC REPORT SPEED", Part::None, [](const PrinterView &p) { return num(p.settings.media.speed); } },
    { "DIAGNOSTIC REPORT DENSITY", Part::None, [](const PrinterView &p) { return num(p.settings.media.density); } },
    { "DIAGNOSTIC REPORT PAPERWIDTH", Part::None,
        [](const PrinterView &p) { return num(p.settings.media.paperWidthDots); } },
    { "DIAGNOSTIC REPORT PAPERHEIGHT", Part::None,
        [](const PrinterView &p) { return num(p.settings.media.paperHeightDots); } },
    { "DIAGNOSTIC REPORT SENSORMODE", Part::None,
        [](const PrinterView &p) { return num(p.settings.media.sensorMode); } },
    { "DIAGNOSTIC REPORT GAPSIZE", Part::None, [](const PrinterView &p) { return num(p.settings.media.gapDots); } },
    { "DIAGNOSTIC REPORT GAPOFFSET", Part::None,
        [](const PrinterView &p) { return num(p.settings.media.gapOffsetDots); } },
    { "DIAGNOSTIC REPORT PRINTOUT", Part::None, [](const PrinterView &p) { return num(p.settings.media.printOut); } },
    { "DIAGNOSTIC REPORT OFFSET", Part::None, [](const PrinterView &p) { return num(p.settings.media.offset); } },
    { "DIAGNOSTIC REPORT OFFSETBASE", Part::None,
        [](const PrinterView &p) { return num(p.settings.media.offsetBase); } },
    { "DIAGNOSTIC REPORT DIRCTION", Part::None, [](const PrinterView &p) { return num(p.settings.media.direction); } },
    { "DIAGNOSTIC REPORT MIRROR", Part::None, [](const PrinterView &p) { return num(p.settings.media.mirror); } },
    { "DIAGNOSTIC REPORT REFERENCEX", Part::None,
        [](const PrinterView &p) { return num(p.settings.media.referenceX); } },
    { "DIAGNOSTIC REPORT REFERENCEY", Part::None,
        [](const PrinterView &p) { return num(p.settings.media.referenceY); } },
    { "DIAGNOSTIC REPORT SHIFT", Part::None, [](const PrinterView &p) { return num(p.settings.media.shiftY); } },
    { "DIAGNOSTIC REPORT SHIFTBASE", Part::None,
        [](const PrinterView &p) { return num(p.settings.media.shiftYBase); } },
    { "DIAGNOSTIC REPORT SHIFTX", Part::None, [](const PrinterView &p) { return num(p.settings.media.shiftX); } },
    { "DIAGNOSTIC REPORT SHIFTXBASE", Part::None,
        [](const PrinterView &p) { return num(p.settings.media.shiftXBase); } },
    { "DIAGNOSTIC REPORT GAPINTEN", Part::None,
        [](const PrinterView &p) { return num(p.settings.media.gapIntensity); } },
    { "DIAGNOSTIC REPORT BLINEINTEN", Part::None,
        [](const PrinterView &p) { return num(p.settings.media.blineIntensity); } },
    { "DIAGNOSTIC REPORT RIBBON", Part::None, [](const PrinterView &p) { return num(p.settings.media.ribbon); } },
    { "DIAGNOSTIC REPORT RIBBONERRLEN", Part::None,
        [](const PrinterView &p) { return p.settings.media.ribbonErrLen; } },
    { "DIAGNOSTIC REPORT AUTOTHRESHOLD", Part::None,
        [](const PrinterView &p) { return num(p.settings.media.sensorRef); } },
    { "DIAGNOSTIC REPORT SENSORSTA", Part::None, [](const PrinterView &p) { return num(p.settings.media.sensorSta); } },
    { "DIAGNOSTIC REPORT CONINTEN", Part::None,
        [](const PrinterView &p) { return num(p.settings.media.conIntensity); } },
    { "DIAGNOSTIC REPORT RIBBONEND", Part::None,
        [](const PrinterView &p) { return flag(p.settings.media.ribbonEnd); } },
    { "DIAGNOSTIC REPORT ZSPEED", Part::None, [](const PrinterView &p) { return num(p.settings.media.zSpeed); } },
    { "DIAGNOSTIC REPORT ZDARKNESS", Part::None, [](const PrinterView &p) { return num(p.settings.media.zDarkness); } },
    { "DIAGNOSTIC REPORT ZFEEDHEADCLOSE", Part::None,
        [](const PrinterView &p) { return QByteArray(1, p.settings.media.zFeedHeadClose); } },
    { "DIAGNOSTIC REPORT ZPOSITION", Part::None, [](const PrinterView &p) { return num(p.settings.media.zPosition); } },
    { "DIAGNOSTIC REPORT ZLABELWIDTH", Part::None,
        [](const PrinterView &p) { return num(p.settings.media.zLabelWidth); } },
    { "DIAGNOSTIC REPORT ZLABELTOP", Part::None, [](const PrinterView &p) { return num(p.settings.media.zLabelTop); } },
    { "DIAGNOSTIC REPORT ZLABELSHIFT", Part::None,
        [](const PrinterView &p) { return num(p.settings.media.zLabelShift); } },
    { "DIAGNOSTIC REPORT BAUDRATE", Part::Serial, [](const PrinterView &p) { return num(p.settings.link.baudRate); } },
    { "DIAGNOSTIC REPORT PARITY", Part::Serial, [](const PrinterView &p) { return num(p.settings.link.parity); } },
    { "DIAGNOSTIC REPORT DATABIT", Part::Serial, [](const PrinterView &p) { return num(p.settings.link.dataBits); } },
    { "DIAGNOSTIC REPORT STOPBIT", Part::Serial, [](const PrinterView &p) { return num(p.settings.link.stopBits); } },
    { "DIAGNOSTIC REPORT DHCP", Part::Ethernet, [](const PrinterView &p) { return num(p.settings.link.dhcp); } },
    { "DIAGNOSTIC REPORT IP ADDRESS", Part::Ethernet, [](const PrinterView &p) { return p.settings.link.netIp; } },
    { "DIAGNOSTIC REPORT SUBNET MASK", Part::Ethernet, [](const PrinterView &p) { return p.settings.link.netMask; } },
    { "DIAGNOSTIC REPORT DEFAULT GATEWAY", Part::Ethernet,
        [](const PrinterView &p) { return p.settings.link.netGateway; } },
    { "DIAGNOSTIC REPORT BTNAME", Part::Bluetooth, [](const PrinterView &p) { return p.settings.link.btName; } },
    { "DIAGNOSTIC REPORT BTPINCODE", Part::Bluetooth, [](const PrinterView &p) { return p.settings.link.btPinCode; } },
    { "DIAGNOSTIC REPORT ISBT", Part::None, [](const PrinterView &p) { return flag(p.options.bluetooth); } },
    { "DIAGNOSTIC REPORT ISWIFI", Part::None, [](const PrinterView &p) { return flag(p.options.wifi); } },
    { "DIAGNOSTIC REPORT ISETH", Part::None, [](const PrinterView &p) { return flag(p.options.ethernet); } },
    { "DIAGNOSTIC REPORT ISSERIAL", Part::None, [](const PrinterView &p) { return flag(p.options.serial); } },
    { "DIAGNOSTIC REPORT ISCUT", Part::None, [](const PrinterView &p) { return flag(p.options.cutter); } },
    { "DIAGNOSTIC REPORT ISPEEL", Part::None, [](const PrinterView &p) { return flag(p.options.peeler); } },
    { "DIAGNOSTIC REPORT WIFISSID", Part::Wifi, [](const PrinterView &p) { return p.settings.link.wifiSsid; } },
    { "DIAGNOSTIC REPORT WIFIPWD", Part::Wifi, [](const PrinterView &p) { return p.settings.link.wifiPassword; } },
    { "DIAGNOSTIC REPORT WIFIDHCP", Part::Wifi, [](const PrinterView &p) { return num(p.settings.link.wifiDhcp); } },
    { "DIAGNOSTIC REPORT WIFIIP", Part::Wifi, [](const PrinterView &p) { return p.settings.link.wifiIp; } },
    { "DIAGNOSTIC REPORT WIFIMASK", Part::Wifi, [](const PrinterView &p) { return p.settings.link.wifiMask; } },
    { "DIAGNOSTIC REPORT WIFIGATEWAY", Part::Wifi, [](const PrinterView &p) { return p.settings.link.wifiGateway; } },
    { "READC CUTMODE", Part::Cutter, [](const PrinterView &p) { return p.settings.media.cutMode; } },
    { "READC CUTBACK", Part::Cutter, [](const PrinterView &p) { return p.settings.media.cutBack; } },
    { "READC CUTREVERSE", Part::Cutter, [](const PrinterView &p) { return p.settings.media.cutReverse; } },
    { "READC CUTBACKLEN", Part::Cutter,
        [](const PrinterView &p) { return num(p.settings.media.cutBackLen) + " dot"; } },
    { "DIAGNOSTIC REPORT DPHYSPACE", Part::None,
        [](const PrinterView &p) { return num(p.store.totalKb(Place::Dram)); } },
    { "DIAGNOSTIC REPORT FPHYSPACE", Part::None,
        [](const PrinterView &p) { return num(p.store.totalKb(Place::Flash)); } },
    { "DIAGNOSTIC REPORT CPHYSPACE", Part::None,
        [](const PrinterView &p) { return num(p.store.totalKb(Place::Card)); } },
    { "DIAGNOSTIC REPORT DFREESPACE", Part::None,
        [](const PrinterView &p) { return num(p.store.freeKb(Place::Dram)); } },
    { "DIAGNOSTIC REPORT FFREESPACE", Part::None,
        [](const PrinterView &p) { return num(p.store.freeKb(Place::Flash)); } },
    { "DIAGNOSTIC REPORT CFREESPACE", Part::None,
        [](const PrinterView &p) { return num(p.store.freeKb(Place::Card)); } },
    { "DIAGNOSTIC REPORT DFILELIST", Part::None, [](const PrinterView &p) { return fileList(p, Place::Dram); } },
    { "DIAGNOSTIC REPORT FFILELIST", Part::None, [](const PrinterView &p) { return fileList(p, Place::Flash); } },
    { "DIAGNOSTIC REPORT CFILELIST", Part::None, [](const PrinterView &p) { return fileList(p, Place::Card); } },
};

// Like the C library's strtol in base 10: blanks, a sign, digits; 0 without digits.
int leadingInt(const QByteArray &text)
{
    const QByteArray t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        negative = t[i++] == '-';
    qint64 value = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9' && value < (qint64(1) << 40))
        value = value * 10 + (t[i++] - '0');
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

bool isOn(const QByteArray &word)
{
    return word.trimmed().toUpper() == "ON";
}

// A length such as "100mm", "100 mm", "4" (inches) or "32 dot", in dots.
int lengthInDots(const QByteArray &text, int dpi)
{
    const QByteArray t = text.trimmed().toLower();
    bool ok = false;
    QByteArray number = t;
    while (!number.isEmpty() && !(number.back() >= '0' && number.back() <= '9') && number.back() != '.')
        number.chop(1);
    const double value = number.trimmed().toDouble(&ok);
    if (!ok)
        return 0;
    if (t.endsWith("mm"))
        return millimetresToDots(value, dpi);
    if (t.endsWith("dot"))
        return static_cast<int>(value);
    return static_cast<int>(std::lround(value * dpi));
}

QList<QByteArray> commaSeparated(const QByteArray &text)
{
    QList<QByteArray> parts = text.split(',');
    for (QByteArray &part : parts)
        part = part.trimmed();
    return parts;
}

struct Setting {
    const QByteArray &args; // the text after the command word, trimmed
    PrinterSettings &settings;
    int dpi;
};

struct SettingRow {
    const char *prefix; // matched at the start of the line, without regard to case
    Part part;
    bool (*apply)(const Setting &);
};

bool setSerial(const Setting &s)
{
    static const QList<QPair<QByteArray, int>> rates = { { "24", 2400 }, { "48", 4800 }, { "96", 9600 },
        { "19", 19200 }, { "38", 38400 }, { "57", 57600 }, { "115", 115200 }, { "230", 230400 } };
    const QList<QByteArray> parts = commaSeparated(s.args);
    bool known = false;
    for (const auto &rate : rates) {
        if (parts.value(0) == rate.first) {
            s.settings.link.baudRate = rate.second;
            known = true;
        }
    }
    if (!known)
        return false;
    if (parts.size() >= 4) {
        const int parity = QByteArray("NOEMS").indexOf(parts[1].toUpper());
        if (parity >= 0 && parts[1].size() == 1)
            s.settings.link.parity = parity;
        s.settings.link.dataBits = leadingInt(parts[2]);
        s.settings.link.stopBits = leadingInt(parts[3]);
    }
    return true;
}

// A setting that stores the leading integer of its text.
template <int MediaSettings::*field> bool setNumber(const Setting &s)
{
    s.settings.media.*field = leadingInt(s.args);
    return true;
}

// NET DHCP or WLAN DHCP, which take no arguments.
template <int LinkSettings::*dhcp> bool setDhcp(const Setting &s)
{
    if (!s.args.isEmpty())
        return false;
    s.settings.link.*dhcp = 1;
    return true;
}

// NET IP or WLAN IP: three quoted addresses, which also turn DHCP off.
template <QByteArray LinkSettings::*ip, QByteArray LinkSettings::*mask, QByteArray LinkSettings::*gateway,
    int LinkSettings::*dhcp>
bool setFixedAddress(const Setting &s)
{
    const QList<QByteArray> texts = quotedTexts(s.args);
    if (texts.size() != 3)
        return false;
    LinkSettings &l = s.settings.link;
    l.*ip = texts[0];
    l.*mask = texts[1];
    l.*gateway = texts[2];
    l.*dhcp = 0;
    return true;
}

bool setWritec(const Setting &s)
{
    MediaSettings &m = s.settings.media;
    const QByteArray word = s.args.toUpper();
    if (word == "CUTMODENORMAL" || word == "CUTMODENOBACK")
        m.cutMode = word.mid(7);
    else if (word == "CUTBACKYES" || word == "CUTBACKNO")
        m.cutBack = word;
    else if (word == "CUTREVERSENO" || word == "CUTREVERSEYES")
        m.cutReverse = word;
    else if (word.startsWith("CUTBACKLEN,"))
        m.cutBackLen = leadingInt(word.mid(11));
    else
        return false;
    return true;
}

bool setGap(const Setting &s, int markMode)
{
    const QList<QByteArray> parts = commaSeparated(s.args);
    if (parts.size() != 2)
        return false;
    s.settings.media.gapDots = lengthInDots(parts[0], s.dpi);
    s.settings.media.gapOffsetDots = lengthInDots(parts[1], s.dpi);
    s.settings.media.sensorMode = s.settings.media.gapDots == 0 ? 2 : markMode;
    return true;
}

const SettingRow settingRows[] = {
    { "SPEED ", Part::None, setNumber<&MediaSettings::speed> },
    { "DENSITY ", Part::None, setNumber<&MediaSettings::density> },
    { "SIZE ", Part::None,
        [](const Setting &s) {
            const QList<QByteArray> parts = commaSeparated(s.args);
            if (parts.size() != 2)
                return false;
            s.settings.media.paperWidthDots = lengthInDots(parts[0], s.dpi);
            s.settings.media.paperHeightDots = lengthInDots(parts[1], s.dpi);
            return true;
        } },
    { "GAP ", Part::None, [](const Setting &s) { return setGap(s, 0); } },
    { "BLINE ", Part::None, [](const Setting &s) { return setGap(s, 1); } },
    { "OFFSET ", Part::None, setNumber<&MediaSettings::offset> },
    { "SHIFT ", Part::None,
        [](const Setting &s) {
            const QList<QByteArray> parts = commaSeparated(s.args);
            if (parts.size() == 2)
                s.settings.media.shiftX = leadingInt(parts[0]);
            s.settings.media.shiftY = leadingInt(parts.back());
            return true;
        } },
    { "DIRECTION ", Part::None,
        [](const Setting &s) {
            const QList<QByteArray> parts = commaSeparated(s.args);
            s.settings.media.direction = leadingInt(parts[0]);
            if (parts.size() > 1)
                s.settings.media.mirror = leadingInt(parts[1]);
            return true;
        } },
    { "REFERENCE ", Part::None,
        [](const Setting &s) {
            const QList<QByteArray> parts = commaSeparated(s.args);
            if (parts.size() != 2)
                return false;
            s.settings.media.referenceX = leadingInt(parts[0]);
            s.settings.media.referenceY = leadingInt(parts[1]);
            return true;
        } },
    { "SET RIBBON ", Part::None,
        [](const Setting &s) {
            s.settings.media.ribbon = isOn(s.args);
            return true;
        } },
    { "SET RIBBONERRLEN ", Part::None,
        [](const Setting &s) {
            s.settings.media.ribbonErrLen = s.args;
            return true;
        } },
    { "SET RIBBONEND ", Part::None,
        [](const Setting &s) {
            s.settings.media.ribbonEnd = isOn(s.args);
            return true;
        } },
    { "SET SENSOR_REF ", Part::None,
        [](const Setting &s) {
            s.settings.media.sensorRef = s.args.toUpper() == "AUTO";
            return true;
        } },
    { "SET SENSOR_STA ", Part::None,
        [](const Setting &s) {
            s.settings.media.sensorSta = s.args.toUpper() == "SPECIAL";
            return true;
        } },
    { "SET TEAR ", Part::None,
        [](const Setting &s) {
            s.settings.media.printOut = isOn(s.args) ? 1 : 0;
            return true;
        } },
    { "SET PEEL ", Part::None,
        [](const Setting &s) {
            s.settings.media.printOut = isOn(s.args) ? 3 : 0;
            return true;
        } },
    { "SET CUTTER ", Part::Cutter,
        [](const Setting &s) {
            s.settings.media.printOut = s.args.toUpper() == "OFF" ? 0 : 2;
            return true;
        } },
    { "^PR", Part::None, setNumber<&MediaSettings::zSpeed> },
    { "~SD", Part::None, setNumber<&MediaSettings::zDarkness> },
    { "^MF,", Part::None,
        [](const Setting &s) {
            const QByteArray letter = s.args.left(1).toUpper();
            if (letter.isEmpty() || !QByteArray("NFCL").contains(letter))
                return false;
            s.settings.media.zFeedHeadClose = letter[0];
            return true;
        } },
    { "~TA", Part::None, setNumber<&MediaSettings::zPosition> },
    { "~PW", Part::None, setNumber<&MediaSettings::zLabelWidth> },
    { "~LT", Part::None, setNumber<&MediaSettings::zLabelTop> },
    { "~LS", Part::None, setNumber<&MediaSettings::zLabelShift> },
    { "SET COM1 ", Part::Serial, setSerial },
    { "NET DHCP", Part::Ethernet, setDhcp<&LinkSettings::dhcp> },
    { "NET IP ", Part::Ethernet,
        setFixedAddress<&LinkSettings::netIp, &LinkSettings::netMask, &LinkSettings::netGateway, &LinkSettings::dhcp> },
    { "WLAN SSID ", Part::Wifi,
        [](const Setting &s) {
            s.settings.link.wifiSsid = quotedText(s.args);
            return true;
        } },
    { "WLAN PWD ", Part::Wifi,
        [](const Setting &s) {
            s.settings.link.wifiPassword = quotedText(s.args);
            return true;
        } },
    { "WLAN DHCP", Part::Wifi, setDhcp<&LinkSettings::wifiDhcp> },
    { "WLAN IP ", Part::Wifi,
        setFixedAddress<&LinkSettings::wifiIp, &LinkSettings::wifiMask, &LinkSettings::wifiGateway,
            &LinkSettings::wifiDhcp> },
    { "WRITEC ", Part::Cutter, setWritec },
};

} // namespace

QByteArray quotedText(const QByteArray &arguments)
{
    const qsizetype first = arguments.indexOf('"');
    const qsizetype last = arguments.lastIndexOf('"');
    if (first < 0 || last <= first)
        return {};
    return arguments.mid(first + 1, last - first - 1);
}

QList<QByteArray> quotedTexts(const QByteArray &arguments)
{
    static const QByteArray separator("\",\"");
    const QByteArray inner = quotedText(arguments);
    if (inner.isNull())
        return {};
    QList<QByteArray> texts;
    qsizetype from = 0;
    for (qsizetype at = inner.indexOf(separator); at >= 0; at = inner.indexOf(separator, from)) {
        texts.append(inner.mid(from, at - from));
        from = at + separator.size();
    }
    texts.append(inner.mid(from));
    return texts;
}

std::optional<QByteArray> answerQuery(const QByteArray &line, const PrinterView &printer)
{
    const QByteArray key = line.trimmed().toUpper();
    for (const QueryRow &row : queryRows) {
        if (key == row.text)
            return hasPart(printer.options, row.part) ? std::optional(row.answer(printer)) : std::nullopt;
    }
    return std::nullopt;
}

bool applySetting(const QByteArray &line, PrinterSettings &settings, const PrinterOptions &options, int dpi)
{
    const QByteArray trimmed = line.trimmed();
    const QByteArray upper = trimmed.toUpper();
    for (const SettingRow &row : settingRows) {
        if (!upper.startsWith(row.prefix) && upper != QByteArray(row.prefix).trimmed())
            continue;
        if (!hasPart(options, row.part))
            return false;
        const QByteArray args = trimmed.mid(qstrlen(row.prefix)).trimmed();
        return row.apply(Setting { args, settings, dpi });
    }
    return false;
}

} // namespace printersim
