#include "cli/ParameterJson.h"

#include "protocol/ParameterPasses.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonParseError>

#include <climits>
#include <cmath>
#include <variant>

namespace cli {

namespace {

using P = PrinterParameters;
using protocol::OptionsPage;
using protocol::Setting;

enum class Check {
    Any,
    Range, // min..max
    BaudRate, // the three rates the printer's setting knows
    Address, // dotted IPv4
    Sensitivity, // LOW, MIDDLE, HIGHT or a number
    QuotedText, // goes between double quotes on one line
};

struct Field {
    const char *json;
    std::variant<qint32 P::*, QString P::*> member;
    std::optional<Setting> setting = std::nullopt; // none: read-only
    OptionsPage page = OptionsPage::Special;
    Check check = Check::Any;
    qint32 min = INT_MIN;
    qint32 max = INT_MAX;
};

constexpr auto none = std::nullopt;
constexpr OptionsPage basic = OptionsPage::Basic;
constexpr OptionsPage second = OptionsPage::SecondDialect;
constexpr OptionsPage serialPage = OptionsPage::Serial;
constexpr OptionsPage network = OptionsPage::Network;
constexpr OptionsPage wifi = OptionsPage::Wifi;
constexpr OptionsPage cutter = OptionsPage::Cutter;

// In the order of the record. A field with a setting is sent by it, on its page.
const Field fields[] = {
    { "model", &P::model },
    { "version", &P::version },
    { "serial", &P::serial },
    { "mileage_m", &P::mileage },
    { "cutCounter", &P::cutCounter },
    { "labelCounter", &P::labelCounter },
    { "dpi", &P::dpi },
    { "speed", &P::speed, Setting::Speed, basic, Check::Range, 0 },
    { "density", &P::density, Setting::Density, basic, Check::Range, 0, 15 },
    { "paperWidth_mm", &P::paperWidth, Setting::Size, basic, Check::Range, 0 },
    { "paperHeight_mm", &P::paperHeight, Setting::Size, basic, Check::Range, 0 },
    { "sensorMode", &P::sensorMode },
    { "gapSize_mm", &P::gapSize },
    { "gapOffset_mm", &P::gapOffset },
    { "printOut", &P::printOut },
    { "offset_dots", &P::offset, Setting::Offset, basic },
    { "offsetBase_dots", &P::offsetBase },
    { "direction", &P::direction },
    { "mirror", &P::mirror },
    { "referenceX", &P::referenceX },
    { "referenceY", &P::referenceY },
    { "shiftY", &P::shiftY, Setting::Shift, basic },
    { "shiftX", &P::shiftX, Setting::Shift, basic },
    { "shiftYBase", &P::shiftYBase },
    { "shiftXBase", &P::shiftXBase },
    { "gapIntensity", &P::gapIntensity },
    { "blineIntensity", &P::blineIntensity },
    { "ribbon", &P::ribbon, Setting::Ribbon, basic, Check::Range, 0, 1 },
    { "ribbonErrLen", &P::ribbonErrLen, Setting::RibbonErrLen, basic, Check::Sensitivity },
    { "sensorRef", &P::sensorRef, Setting::SensorRef, basic, Check::Range, 0, 1 },
    { "sensorSta", &P::sensorSta, Setting::SensorSta, basic, Check::Range, 0, 1 },
    { "conIntensity", &P::conIntensity },
    { "ribbonEnd", &P::ribbonEnd, Setting::RibbonEnd, basic, Check::Range, 0, 1 },
    { "zSpeed", &P::zSpeed, Setting::ZSpeed, second, Check::Range, 0 },
    { "zDarkness", &P::zDarkness, Setting::ZDarkness, second, Check::Range, 0, 30 },
    { "zFeedHeadClose", &P::zFeedHeadClose, Setting::ZFeedHeadClose, second, Check::Range, 0, 3 },
    { "zPosition", &P::zPosition, Setting::ZPosition, second },
    { "zLabelWidth", &P::zLabelWidth, Setting::ZLabelWidth, second, Check::Range, 0 },
    { "zLabelTop", &P::zLabelTop, Setting::ZLabelTop, second },
    { "zLabelShift", &P::zLabelShift, Setting::ZLabelShift, second },
    { "baudRate_bps", &P::baudRate, Setting::BaudRate, serialPage, Check::BaudRate },
    { "parity", &P::parity },
    { "dataBits", &P::dataBits },
    { "stopBits", &P::stopBits },
    { "dhcp", &P::dhcp, Setting::Network, network, Check::Range, 0, 1 },
    { "netIp", &P::netIp, Setting::Network, network, Check::Address },
    { "netMask", &P::netMask, Setting::Network, network, Check::Address },
    { "netGateway", &P::netGateway, Setting::Network, network, Check::Address },
    { "btName", &P::btName },
    { "btPinCode", &P::btPinCode },
    { "wifiSsid", &P::wifiSsid, Setting::WifiSsid, wifi, Check::QuotedText },
    { "wifiPassword", &P::wifiPassword, Setting::WifiPassword, wifi, Check::QuotedText },
    { "wifiDhcp", &P::wifiDhcp, Setting::WifiNetwork, wifi, Check::Range, 0, 1 },
    { "wifiIp", &P::wifiIp, Setting::WifiNetwork, wifi, Check::Address },
    { "wifiMask", &P::wifiMask, Setting::WifiNetwork, wifi, Check::Address },
    { "wifiGateway", &P::wifiGateway, Setting::WifiNetwork, wifi, Check::Address },
    { "cutMode", &P::cutMode, Setting::CutMode, cutter, Check::Range, 0, 2 },
    { "cutBack", &P::cutBack, Setting::CutBack, cutter, Check::Range, 0, 2 },
    { "cutReverse", &P::cutReverse, Setting::CutReverse, cutter, Check::Range, 0, 2 },
    { "cutBackLen_dots", &P::cutBackLen, Setting::CutBackLen, cutter },
    { "hasBluetooth", &P::hasBluetooth, none, OptionsPage::Special, Check::Range, 0, 1 },
    { "hasWifi", &P::hasWifi, none, OptionsPage::Special, Check::Range, 0, 1 },
    { "hasEthernet", &P::hasEthernet, none, OptionsPage::Special, Check::Range, 0, 1 },
    { "hasSerial", &P::hasSerial, none, OptionsPage::Special, Check::Range, 0, 1 },
    { "hasPeeler", &P::hasPeeler, none, OptionsPage::Special, Check::Range, 0, 1 },
    { "hasCutter", &P::hasCutter, none, OptionsPage::Special, Check::Range, 0, 1 },
};

// The flags beside the record that decide which groups the writing pass sends.
struct Group {
    const char *json;
    qint32 P::*flag;
};
const Group groups[] = {
    { "serial", &P::serialQueried },
    { "network", &P::networkQueried },
    { "bluetooth", &P::bluetoothQueried },
    { "wifi", &P::wifiQueried },
};

QString valueText(const P &params, const Field &field)
{
    if (const auto member = std::get_if<qint32 P::*>(&field.member))
        return QString::number(params.**member);
    return params.*std::get<QString P::*>(field.member);
}

QString rangeText(const Field &field)
{
    if (field.max == INT_MAX)
        return QStringLiteral("%1 or more").arg(field.min);
    return QStringLiteral("%1..%2").arg(field.min).arg(field.max);
}

// Empty when the value may be sent; otherwise why not.
QString checkInteger(const Field &field, qint32 value)
{
    switch (field.check) {
    case Check::Range:
        if (value < field.min || value > field.max)
            return QStringLiteral("%1 is outside %2").arg(value).arg(rangeText(field));
        return {};
    case Check::BaudRate:
        if (value != 9600 && value != 115200 && value != 230400)
            return QStringLiteral("%1 is not 9600, 115200 or 230400").arg(value);
        return {};
    default:
        return {};
    }
}

QString checkText(const Field &field, const QString &value)
{
    switch (field.check) {
    case Check::Address: {
        const QStringList parts = value.split(u'.');
        bool ok = parts.size() == 4;
        for (qsizetype i = 0; ok && i < parts.size(); ++i) {
            const int n = parts[i].toInt(&ok);
            ok = ok && n >= 0 && n <= 255 && parts[i].size() <= 3;
        }
        return ok ? QString() : QStringLiteral("\"%1\" is not a dotted address").arg(value);
    }
    case Check::Sensitivity: {
        if (value == QLatin1String("LOW") || value == QLatin1String("MIDDLE") || value == QLatin1String("HIGHT"))
            return {};
        bool ok = false;
        value.toInt(&ok);
        return ok ? QString() : QStringLiteral("\"%1\" is not LOW, MIDDLE, HIGHT or a number").arg(value);
    }
    case Check::QuotedText:
        for (const QChar c : value) {
            if (c == u'"' || c.category() == QChar::Other_Control)
                return QStringLiteral("a double quote or control character cannot be sent");
        }
        return {};
    default:
        return {};
    }
}

QString fieldError(const char *name, const QString &why)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(name), why);
}

bool readField(P &params, const Field &field, const QJsonValue &value, QString *error)
{
    if (const auto member = std::get_if<qint32 P::*>(&field.member)) {
        const double number = value.toDouble(std::nan(""));
        if (!value.isDouble() || std::floor(number) != number || number < INT_MIN || number > INT_MAX) {
            *error = fieldError(field.json, QStringLiteral("not a whole number"));
            return false;
        }
        const qint32 n = qint32(number);
        if (const QString why = checkInteger(field, n); !why.isEmpty()) {
            *error = fieldError(field.json, why);
            return false;
        }
        params.**member = n;
        return true;
    }
    if (!value.isString()) {
        *error = fieldError(field.json, QStringLiteral("not a text"));
        return false;
    }
    const QString text = value.toString();
    if (const QString why = checkText(field, text); !why.isEmpty()) {
        *error = fieldError(field.json, why);
        return false;
    }
    params.*std::get<QString P::*>(field.member) = text;
    return true;
}

} // namespace

QJsonObject parametersToJson(const PrinterParameters &params)
{
    QJsonObject values;
    for (const Field &field : fields) {
        if (const auto member = std::get_if<qint32 P::*>(&field.member))
            values.insert(QLatin1String(field.json), params.**member);
        else
            values.insert(QLatin1String(field.json), params.*std::get<QString P::*>(field.member));
    }
    QJsonObject answered;
    for (const Group &group : groups)
        answered.insert(QLatin1String(group.json), params.*group.flag != 0);
    return QJsonObject {
        { QStringLiteral("status"),
            QJsonObject { { QStringLiteral("byte"), params.statusByte },
                { QStringLiteral("text"), statusText(params.statusByte) } } },
        { QStringLiteral("groupsAnswered"), answered },
        { QStringLiteral("parameters"), values },
    };
}

std::optional<ParameterSnapshot> parametersFromJson(const QByteArray &json, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = QStringLiteral("not JSON: %1 at byte %2").arg(parseError.errorString()).arg(parseError.offset);
        return std::nullopt;
    }
    const QJsonObject root = document.object();
    if (!document.isObject() || !root.value(QStringLiteral("parameters")).isObject()) {
        *error = QStringLiteral("no \"parameters\" object");
        return std::nullopt;
    }
    ParameterSnapshot snapshot;
    const QJsonObject values = root.value(QStringLiteral("parameters")).toObject();
    for (auto it = values.begin(); it != values.end(); ++it) {
        const Field *field = nullptr;
        for (const Field &candidate : fields) {
            if (it.key() == QLatin1String(candidate.json))
                field = &candidate;
        }
        if (!field) {
            *error = QStringLiteral("%1: no such parameter").arg(it.key());
            return std::nullopt;
        }
        if (!readField(snapshot.params, *field, it.value(), error))
            return std::nullopt;
        snapshot.present.insert(it.key());
    }
    const QJsonValue answeredValue = root.value(QStringLiteral("groupsAnswered"));
    if (!answeredValue.isUndefined() && !answeredValue.isObject()) {
        *error = QStringLiteral("groupsAnswered: not an object");
        return std::nullopt;
    }
    const QJsonObject answered = answeredValue.toObject();
    for (auto it = answered.begin(); it != answered.end(); ++it) {
        const Group *group = nullptr;
        for (const Group &candidate : groups) {
            if (it.key() == QLatin1String(candidate.json))
                group = &candidate;
        }
        if (!group || !it.value().isBool()) {
            *error
                = QStringLiteral("groupsAnswered: %1 is not one of serial, network, bluetooth, wifi with true or false")
                      .arg(it.key());
            return std::nullopt;
        }
        snapshot.params.*group->flag = it.value().toBool() ? 1 : 0;
    }
    return snapshot;
}

QList<Setting> completeSettings(const ParameterSnapshot &snapshot)
{
    QList<Setting> complete;
    for (const Field &field : fields) {
        if (!field.setting || complete.contains(*field.setting))
            continue;
        bool whole = true;
        for (const Field &other : fields) {
            if (other.setting == field.setting && !snapshot.present.contains(QLatin1String(other.json)))
                whole = false;
        }
        if (whole)
            complete.append(*field.setting);
    }
    return complete;
}

QList<int> defaultPages()
{
    QList<int> pages;
    for (int page = 0; page <= static_cast<int>(OptionsPage::Special); ++page) {
        if (page != static_cast<int>(OptionsPage::Network))
            pages.append(page);
    }
    return pages;
}

std::optional<QList<int>> parsePages(const QString &text)
{
    QList<int> pages;
    for (const QString &part : text.split(u',')) {
        bool ok = false;
        const int page = part.trimmed().toInt(&ok);
        if (!ok || page < 0 || page > static_cast<int>(OptionsPage::Special))
            return std::nullopt;
        if (!pages.contains(page))
            pages.append(page);
    }
    return pages;
}

QList<FieldDifference> differences(
    const ParameterSnapshot &snapshot, const PrinterParameters &printer, const QList<int> &pages)
{
    QList<FieldDifference> found;
    for (const Field &field : fields) {
        if (!field.setting || !pages.contains(static_cast<int>(field.page))
            || !snapshot.present.contains(QLatin1String(field.json)))
            continue;
        const QString inFile = valueText(snapshot.params, field);
        const QString onPrinter = valueText(printer, field);
        if (inFile != onPrinter)
            found.append({ QLatin1String(field.json), inFile, onPrinter });
    }
    return found;
}

QString statusText(qint32 statusByte)
{
    if (statusByte < 0)
        return QStringLiteral("Not connected");
    if (statusByte == 0)
        return QStringLiteral("Normal");
    static constexpr const char *bits[]
        = { "Cover opened", "Paper error", "Out of paper", "Ribbon error", "Paused", "Printing", nullptr, "Overheat" };
    QStringList texts;
    for (int bit = 0; bit < 8; ++bit) {
        if ((statusByte & (1 << bit)) && bits[bit])
            texts.append(QLatin1String(bits[bit]));
    }
    return texts.join(u' ');
}

} // namespace cli
