#include "protocol/ParameterTable.h"

#include "connection/AddressCommand.h"
#include "protocol/ParameterPasses.h"
#include "protocol/ReplyGrammar.h"

#include <array>
#include <string_view>

namespace protocol {

namespace {

using P = PrinterParameters;
using B = Binding;
using G = Grammar;
using Page = OptionsPage;

constexpr Token headCloseTokens[] = { { "N", 0 }, { "F", 1 }, { "C", 2 }, { "L", 3 } };
constexpr Token cutModeTokens[] = { { "NORMAL", 1 }, { "NOBACK", 2 } };
constexpr Token cutBackTokens[] = { { "CUTBACKYES", 1 }, { "CUTBACKNO", 2 } };
constexpr Token cutReverseTokens[] = { { "CUTREVERSENO", 1 }, { "CUTREVERSEYES", 2 } };

const char *tokenWord(std::span<const Token> tokens, qint32 value)
{
    for (const Token &t : tokens) {
        if (t.value == value)
            return t.word;
    }
    return nullptr;
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

constexpr const char *ribbonErrLenWords[] = { "LOW", "MIDDLE", "HIGHT" };
constexpr qint32 baudRates[] = { 9600, 115200, 230400 };

std::optional<QString> ribbonErrLenText(const P &p)
{
    for (const char *word : ribbonErrLenWords) {
        if (p.ribbonErrLen == QLatin1String(word))
            return QStringLiteral("SET RIBBONERRLEN %1\r\n").arg(QLatin1String(word));
    }
    return line("SET RIBBONERRLEN %d\r\n", parseInteger(p.ribbonErrLen));
}

std::optional<QString> baudRateText(const P &p)
{
    switch (p.baudRate) {
    case 9600:
        return QStringLiteral("SET COM1 96\r\n");
    case 230400:
        return QStringLiteral("SET COM1 230\r\n");
    default:
        return QStringLiteral("SET COM1 115\r\n");
    }
}

std::optional<QString> headCloseText(const P &p)
{
    const char *letter = tokenWord(headCloseTokens, p.zFeedHeadClose);
    return QLatin1String("^MF,") + QLatin1String(letter ? letter : "") + QLatin1String("\r\n");
}

constexpr ParameterRow number(NumberField field, const char *json)
{
    ParameterRow r;
    r.number = field;
    r.json = json;
    return r;
}

constexpr ParameterRow text(TextField field, const char *json)
{
    ParameterRow r;
    r.text = field;
    r.json = json;
    return r;
}

using Opt = std::optional<QString>;

// clang-format off
constexpr ParameterRow table[] = {
    text(&P::model, "model").withQuery(Query::Model, "OUT GETSETTING$(\"SYSTEM\",\"INFORMATION\",\"MODEL\")\r\n", G::Text)
        .shownBy(Page::Basic, "text_opt_model", B::Text),
    text(&P::version, "version").withQuery(Query::Version, "OUT GETSETTING$(\"SYSTEM\",\"INFORMATION\",\"VERSION\")\r\n", G::Text)
        .shownBy(Page::Basic, "text_opt_version", B::Text),
    text(&P::serial, "serial").withQuery(Query::Serial, "OUT GETSETTING$(\"SYSTEM\",\"INFORMATION\",\"SERIAL\")\r\n", G::Text)
        .shownBy(Page::Basic, "text_opt_serial", B::Text),
    text(&P::mileage, "mileage_m").withQuery(Query::Mileage, "DIAGNOSTIC REPORT MILAGE\r\n", G::Text)
        .shownBy(Page::Basic, "text_prt_milage", B::Text),
    number(&P::cutCounter, "cutCounter").withQuery(Query::CutCounter, "DIAGNOSTIC REPORT CUTCOUNTER\r\n", G::Integer)
        .shownBy(Page::Basic, "text_opt_cutcounter", B::IntegerText),
    number(&P::labelCounter, "labelCounter")
        .shownBy(Page::Basic, "text_opt_labelcounter", B::IntegerText),
    number(&P::dpi, "dpi").withQuery(Query::Dpi, "DIAGNOSTIC REPORT DPI\r\n", G::Integer)
        .shownBy(Page::Basic, "text_opt_dpi", B::IntegerText),
    number(&P::speed, "speed").withQuery(Query::Speed, "DIAGNOSTIC REPORT SPEED\r\n", G::Integer)
        .within(0)
        .withSetting(Setting::Speed, [](const P &p) -> Opt { return line("SPEED %d\r\n", p.speed); })
        .shownBy(Page::Basic, "text_opt_speed", B::IntegerText).typed(Entry::Digits, true),
    number(&P::density, "density").withQuery(Query::Density, "DIAGNOSTIC REPORT DENSITY\r\n", G::Integer)
        .within(0, 15)
        .withSetting(Setting::Density, [](const P &p) -> Opt { return line("DENSITY %d\r\n", p.density); })
        .shownBy(Page::Basic, "cb_density", B::IntegerText),
    number(&P::paperWidth, "paperWidth_mm").withQuery(Query::PaperWidth, "DIAGNOSTIC REPORT PAPERWIDTH\r\n", G::DotsToMm)
        .within(0)
        .withSetting(Setting::Size, [](const P &p) -> Opt {
            return QString::asprintf("SIZE %dmm,%dmm\r\n", p.paperWidth, p.paperHeight); })
        .shownBy(Page::Basic, "text_paper_width", B::IntegerText).typed(Entry::Digits, true),
    number(&P::paperHeight, "paperHeight_mm").withQuery(Query::PaperHeight, "DIAGNOSTIC REPORT PAPERHEIGHT\r\n", G::DotsToMm)
        .within(0)
        .sentWith(Setting::Size)
        .shownBy(Page::Basic, "text_paper_height", B::IntegerText).typed(Entry::Digits, true),
    number(&P::sensorMode, "sensorMode").withQuery(Query::SensorMode, "DIAGNOSTIC REPORT SENSORMODE\r\n", G::Integer)
        .shownBy(Page::Basic, "cb_sensor_mode", B::ItemValue),
    number(&P::referenceX, "referenceX").withQuery(Query::ReferenceX, "DIAGNOSTIC REPORT REFERENCEX\r\n", G::Integer)
        .shownBy(Page::Basic, "text_reference_x", B::IntegerText),
    number(&P::referenceY, "referenceY").withQuery(Query::ReferenceY, "DIAGNOSTIC REPORT REFERENCEY\r\n", G::Integer)
        .shownBy(Page::Basic, "text_reference_y", B::IntegerText),
    number(&P::gapSize, "gapSize_mm").withQuery(Query::GapSize, "DIAGNOSTIC REPORT GAPSIZE\r\n", G::DotsToMm)
        .shownBy(Page::Basic, "text_gap_size", B::IntegerText),
    number(&P::gapOffset, "gapOffset_mm").withQuery(Query::GapOffset, "DIAGNOSTIC REPORT GAPOFFSET\r\n", G::DotsToMm)
        .shownBy(Page::Basic, "text_gap_offset", B::IntegerText),
    number(&P::printOut, "printOut").withQuery(Query::PrintOut, "DIAGNOSTIC REPORT PRINTOUT\r\n", G::Integer)
        .shownBy(Page::Basic, "cb_action_after_print", B::ItemValue),
    number(&P::direction, "direction").withQuery(Query::Direction, "DIAGNOSTIC REPORT DIRCTION\r\n", G::Integer)
        .shownBy(Page::Basic, "cb_direction", B::IntegerText),
    number(&P::mirror, "mirror").withQuery(Query::Mirror, "DIAGNOSTIC REPORT MIRROR\r\n", G::Integer)
        .shownBy(Page::Basic, "cb_mirror", B::IntegerText),
    number(&P::offset, "offset_dots").withQuery(Query::Offset, "DIAGNOSTIC REPORT OFFSET\r\n", G::Integer)
        .withBase("DIAGNOSTIC REPORT OFFSETBASE\r\n", &P::offsetBase, "text_offset_base", "offsetBase_dots")
        .withSetting(Setting::Offset, [](const P &p) -> Opt { return line("OFFSET %d dot\r\n", p.offset); })
        .shownBy(Page::Basic, "text_offset", B::IntegerText).typed(Entry::SignedDigits, true),
    number(&P::shiftY, "shiftY").withQuery(Query::ShiftY, "DIAGNOSTIC REPORT SHIFT\r\n", G::Integer)
        .withBase("DIAGNOSTIC REPORT SHIFTBASE\r\n", &P::shiftYBase, "text_shift_y_base", "shiftYBase")
        .withSetting(Setting::Shift, [](const P &p) -> Opt {
            return QString::asprintf("SHIFT %d,%d\r\n", p.shiftX, p.shiftY); })
        .shownBy(Page::Basic, "text_shift_y", B::IntegerText).typed(Entry::SignedDigits, true),
    number(&P::shiftX, "shiftX").withQuery(Query::ShiftX, "DIAGNOSTIC REPORT SHIFTX\r\n", G::Integer)
        .withBase("DIAGNOSTIC REPORT SHIFTXBASE\r\n", &P::shiftXBase, "text_shift_x_base", "shiftXBase")
        .sentWith(Setting::Shift)
        .shownBy(Page::Basic, "text_shift_x", B::IntegerText).typed(Entry::SignedDigits, true),
    number(&P::gapIntensity, "gapIntensity").withQuery(Query::GapIntensity, "DIAGNOSTIC REPORT GAPINTEN\r\n", G::Integer)
        .shownBy(Page::Basic, "text_gap_iten", B::IntegerText),
    number(&P::blineIntensity, "blineIntensity").withQuery(Query::BlineIntensity, "DIAGNOSTIC REPORT BLINEINTEN\r\n", G::Integer)
        .shownBy(Page::Basic, "text_bline_iten", B::IntegerText),
    number(&P::ribbon, "ribbon").withQuery(Query::Ribbon, "DIAGNOSTIC REPORT RIBBON\r\n", G::Integer)
        .within(0, 1)
        .withSetting(Setting::Ribbon, [](const P &p) -> Opt { return onOff("SET RIBBON ", p.ribbon, "ON", "OFF"); })
        .shownBy(Page::Basic, "chk_ribbon", B::Check),
    text(&P::ribbonErrLen, "ribbonErrLen").withQuery(Query::RibbonErrLen, "DIAGNOSTIC REPORT RIBBONERRLEN\r\n", G::Text)
        .wordOrNumber(ribbonErrLenWords)
        .withSetting(Setting::RibbonErrLen, ribbonErrLenText)
        .shownBy(Page::Basic, "cb_ribbon_len", B::Text).typed(Entry::Free, true),
    number(&P::sensorRef, "sensorRef").withQuery(Query::SensorRef, "DIAGNOSTIC REPORT AUTOTHRESHOLD\r\n", G::Integer)
        .within(0, 1)
        .withSetting(Setting::SensorRef, [](const P &p) -> Opt {
            return onOff("SET SENSOR_REF ", p.sensorRef, "AUTO", "MANUAL"); })
        .shownBy(Page::Basic, "cb_sensor_ref", B::ItemValue),
    number(&P::sensorSta, "sensorSta").withQuery(Query::SensorSta, "DIAGNOSTIC REPORT SENSORSTA\r\n", G::Integer)
        .within(0, 1)
        .withSetting(Setting::SensorSta, [](const P &p) -> Opt {
            return onOff("SET SENSOR_STA ", p.sensorSta, "SPECIAL", "NORMAL"); })
        .shownBy(Page::Basic, "cb_sensor_sta", B::ItemValue),
    number(&P::conIntensity, "conIntensity").withQuery(Query::ConIntensity, "DIAGNOSTIC REPORT CONINTEN\r\n", G::Integer)
        .shownBy(Page::Basic, "cb_continue_paper_sensor_len", B::IntegerText).typed(Entry::Digits),
    number(&P::ribbonEnd, "ribbonEnd").withQuery(Query::RibbonEnd, "DIAGNOSTIC REPORT RIBBONEND\r\n", G::FlagOne)
        .within(0, 1)
        .withSetting(Setting::RibbonEnd, [](const P &p) -> Opt {
            return onOff("SET RIBBONEND ", p.ribbonEnd, "ON", "OFF"); })
        .shownBy(Page::Basic, "cb_ribbon_end", B::ItemValue),

    number(&P::zSpeed, "zSpeed").withQuery(Query::ZSpeed, "DIAGNOSTIC REPORT ZSPEED\r\n", G::Integer)
        .within(0)
        .withSetting(Setting::ZSpeed, [](const P &p) -> Opt { return line("^PR%d\r\n", p.zSpeed); })
        .shownBy(Page::SecondDialect, "text_zpl_speed", B::IntegerText).typed(Entry::Digits, true),
    number(&P::zDarkness, "zDarkness").withQuery(Query::ZDarkness, "DIAGNOSTIC REPORT ZDARKNESS\r\n", G::Integer)
        .within(0, 30)
        .withSetting(Setting::ZDarkness, [](const P &p) -> Opt { return line("~SD%d\r\n", p.zDarkness); })
        .shownBy(Page::SecondDialect, "text_zpl_density", B::IntegerText).typed(Entry::Digits, true),
    number(&P::zFeedHeadClose, "zFeedHeadClose").withQuery(Query::ZFeedHeadClose, "DIAGNOSTIC REPORT ZFEEDHEADCLOSE\r\n", G::Token)
        .within(0, 3)
        .withTokens(headCloseTokens, true)
        .withSetting(Setting::ZFeedHeadClose, headCloseText)
        .shownBy(Page::SecondDialect, "cb_zpl_printer_header_close_mode", B::ItemValue),
    number(&P::zPosition, "zPosition").withQuery(Query::ZPosition, "DIAGNOSTIC REPORT ZPOSITION\r\n", G::Integer)
        .withSetting(Setting::ZPosition, [](const P &p) -> Opt { return line("~TA%03d\r\n", p.zPosition); })
        .shownBy(Page::SecondDialect, "text_zpl_tear_position", B::IntegerText).typed(Entry::SignedDigits, true),
    number(&P::zLabelWidth, "zLabelWidth").withQuery(Query::ZLabelWidth, "DIAGNOSTIC REPORT ZLABELWIDTH\r\n", G::Integer)
        .within(0)
        .withSetting(Setting::ZLabelWidth, [](const P &p) -> Opt { return line("~PW%02d\r\n", p.zLabelWidth); })
        .shownBy(Page::SecondDialect, "text_zpl_label_width", B::IntegerText).typed(Entry::Digits, true),
    number(&P::zLabelTop, "zLabelTop").withQuery(Query::ZLabelTop, "DIAGNOSTIC REPORT ZLABELTOP\r\n", G::Integer)
        .withSetting(Setting::ZLabelTop, [](const P &p) -> Opt { return line("~LT%d\r\n", p.zLabelTop); })
        .shownBy(Page::SecondDialect, "text_zpl_label_top_offset", B::IntegerText).typed(Entry::SignedDigits, true),
    number(&P::zLabelShift, "zLabelShift").withQuery(Query::ZLabelShift, "DIAGNOSTIC REPORT ZLABELSHIFT\r\n", G::Integer)
        .withSetting(Setting::ZLabelShift, [](const P &p) -> Opt { return line("~LS%d\r\n", p.zLabelShift); })
        .shownBy(Page::SecondDialect, "text_zpl_left_offset", B::IntegerText).typed(Entry::SignedDigits, true),

    number(&P::baudRate, "baudRate_bps").withQuery(Query::BaudRate, "DIAGNOSTIC REPORT BAUDRATE\r\n", G::Integer)
        .oneOf(baudRates)
        .answering(&P::serialQueried, "serial")
        .withSetting(Setting::BaudRate, baudRateText).writeWhen(&P::serialQueried)
        .shownBy(Page::Serial, "cb_prt_baud_rate", B::ItemValue),
    number(&P::parity, "parity").withQuery(Query::Parity, "DIAGNOSTIC REPORT PARITY\r\n", G::Integer)
        .readWhen(&P::serialQueried)
        .shownBy(Page::Serial, "cb_prt_check_bit", B::ItemValue),
    number(&P::dataBits, "dataBits").withQuery(Query::DataBits, "DIAGNOSTIC REPORT DATABIT\r\n", G::Integer)
        .readWhen(&P::serialQueried)
        .shownBy(Page::Serial, "cb_prt_data_bit", B::ItemValue),
    number(&P::stopBits, "stopBits").withQuery(Query::StopBits, "DIAGNOSTIC REPORT STOPBIT\r\n", G::Integer)
        .readWhen(&P::serialQueried)
        .shownBy(Page::Serial, "cb_prt_stop_bit", B::ItemValue),

    number(&P::dhcp, "dhcp").withQuery(Query::Dhcp, "DIAGNOSTIC REPORT DHCP\r\n", G::Integer)
        .within(0, 1)
        .answering(&P::networkQueried, "network")
        .withSetting(Setting::Network, [](const P &p) -> Opt {
            return addressCommand("NET", p.dhcp != 0, p.netIp, p.netMask, p.netGateway); })
        .writeWhen(&P::networkQueried)
        .shownBy(Page::Network, "chk_prt_dhcp", B::Check),
    text(&P::netIp, "netIp").withQuery(Query::NetIp, "DIAGNOSTIC REPORT IP ADDRESS\r\n", G::Text)
        .sentWith(Setting::Network)
        .readWhen(&P::networkQueried)
        .shownBy(Page::Network, "ipaddr_prt_ip", B::Text).typed(Entry::Address, true, &P::dhcp),
    text(&P::netMask, "netMask").withQuery(Query::NetMask, "DIAGNOSTIC REPORT SUBNET MASK\r\n", G::Text)
        .sentWith(Setting::Network)
        .readWhen(&P::networkQueried)
        .shownBy(Page::Network, "ipaddr_prt_mask", B::Text).typed(Entry::Address, true, &P::dhcp),
    text(&P::netGateway, "netGateway").withQuery(Query::NetGateway, "DIAGNOSTIC REPORT DEFAULT GATEWAY\r\n", G::Text)
        .sentWith(Setting::Network)
        .readWhen(&P::networkQueried)
        .shownBy(Page::Network, "ipaddr_prt_gateway", B::Text).typed(Entry::Address, true, &P::dhcp),

    text(&P::btName, "btName").withQuery(Query::BtName, "DIAGNOSTIC REPORT BTNAME\r\n", G::Text)
        .answering(&P::bluetoothQueried, "bluetooth")
        .shownBy(Page::Bluetooth, "chk_prt_btname", B::Text),
    text(&P::btPinCode, "btPinCode").withQuery(Query::BtPinCode, "DIAGNOSTIC REPORT BTPINCODE\r\n", G::Text)
        .shownBy(Page::Bluetooth, "chk_prt_btpin", B::Text),

    number(&P::hasBluetooth, "hasBluetooth").withQuery(Query::HasBluetooth, "DIAGNOSTIC REPORT ISBT\r\n", G::OptionFlag)
        .within(0, 1)
        .shownBy(Page::Special, "chk_ISBT", B::Check),
    number(&P::hasWifi, "hasWifi").withQuery(Query::HasWifi, "DIAGNOSTIC REPORT ISWIFI\r\n", G::OptionFlag)
        .within(0, 1)
        .shownBy(Page::Special, "chk_ISWIFI", B::Check),
    number(&P::hasEthernet, "hasEthernet").withQuery(Query::HasEthernet, "DIAGNOSTIC REPORT ISETH\r\n", G::OptionFlag)
        .within(0, 1)
        .shownBy(Page::Special, "chk_ISETH", B::Check),
    number(&P::hasSerial, "hasSerial").withQuery(Query::HasSerial, "DIAGNOSTIC REPORT ISSERIAL\r\n", G::OptionFlag)
        .within(0, 1)
        .shownBy(Page::Special, "chk_ISSERIAL", B::Check),
    number(&P::hasCutter, "hasCutter").withQuery(Query::HasCutter, "DIAGNOSTIC REPORT ISCUT\r\n", G::OptionFlag)
        .within(0, 1)
        .shownBy(Page::Special, "chk_ISCUT", B::Check),
    number(&P::hasPeeler, "hasPeeler").withQuery(Query::HasPeeler, "DIAGNOSTIC REPORT ISPEEL\r\n", G::OptionFlag)
        .within(0, 1)
        .shownBy(Page::Special, "chk_ISPEEL", B::Check),

    // The Wi-Fi group hangs on the option flag only: IP, mask and gateway are
    // asked even when the DHCP query failed.
    text(&P::wifiSsid, "wifiSsid").withQuery(Query::WifiSsid, "DIAGNOSTIC REPORT WIFISSID\r\n", G::Text)
        .readWhen(&P::hasWifi)
        .withSetting(Setting::WifiSsid, [](const P &p) -> Opt { return quoted("WLAN SSID", p.wifiSsid); })
        .writeWhen(&P::hasWifi)
        .shownBy(Page::Wifi, "cb_wifi_name", B::Text).typed(Entry::Quotable),
    text(&P::wifiPassword, "wifiPassword").withQuery(Query::WifiPassword, "DIAGNOSTIC REPORT WIFIPWD\r\n", G::Text)
        .readWhen(&P::hasWifi)
        .withSetting(Setting::WifiPassword, [](const P &p) -> Opt { return quoted("WLAN PWD", p.wifiPassword); })
        .writeWhen(&P::hasWifi)
        .shownBy(Page::Wifi, "edit_wifi_password", B::Text).typed(Entry::Quotable),
    number(&P::wifiDhcp, "wifiDhcp").withQuery(Query::WifiDhcp, "DIAGNOSTIC REPORT WIFIDHCP\r\n", G::Integer)
        .within(0, 1)
        .answering(&P::wifiQueried, "wifi").readWhen(&P::hasWifi)
        .withSetting(Setting::WifiNetwork, [](const P &p) -> Opt {
            return addressCommand("WLAN", p.wifiDhcp != 0, p.wifiIp, p.wifiMask, p.wifiGateway); })
        .writeWhen(&P::hasWifi, &P::wifiQueried)
        .shownBy(Page::Wifi, "chk_prt_wifi_dhcp", B::Check),
    text(&P::wifiIp, "wifiIp").withQuery(Query::WifiIp, "DIAGNOSTIC REPORT WIFIIP\r\n", G::Text)
        .sentWith(Setting::WifiNetwork)
        .readWhen(&P::hasWifi)
        .shownBy(Page::Wifi, "ipaddr_prt_wifi_ip", B::Text).typed(Entry::Address, true, &P::wifiDhcp),
    text(&P::wifiMask, "wifiMask").withQuery(Query::WifiMask, "DIAGNOSTIC REPORT WIFIMASK\r\n", G::Text)
        .sentWith(Setting::WifiNetwork)
        .readWhen(&P::hasWifi)
        .shownBy(Page::Wifi, "ipaddr_prt_wifi_mask", B::Text).typed(Entry::Address, true, &P::wifiDhcp),
    text(&P::wifiGateway, "wifiGateway").withQuery(Query::WifiGateway, "DIAGNOSTIC REPORT WIFIGATEWAY\r\n", G::Text)
        .sentWith(Setting::WifiNetwork)
        .readWhen(&P::hasWifi)
        .shownBy(Page::Wifi, "ipaddr_prt_wifi_gateway", B::Text).typed(Entry::Address, true, &P::wifiDhcp),

    number(&P::cutMode, "cutMode").withQuery(Query::CutMode, "READC CUTMODE\r\n", G::Token)
        .within(0, 2).withTokens(cutModeTokens)
        .readWhen(&P::hasCutter)
        .withSetting(Setting::CutMode, [](const P &p) { return cutterWord("WRITEC CUTMODE", cutModeTokens, p.cutMode); })
        .writeWhen(&P::hasCutter)
        .shownBy(Page::Cutter, "cb_cutter_mode", B::ItemValue),
    number(&P::cutBack, "cutBack").withQuery(Query::CutBack, "READC CUTBACK\r\n", G::Token)
        .within(0, 2).withTokens(cutBackTokens)
        .readWhen(&P::hasCutter)
        .withSetting(Setting::CutBack, [](const P &p) { return cutterWord("WRITEC ", cutBackTokens, p.cutBack); })
        .writeWhen(&P::hasCutter)
        .shownBy(Page::Cutter, "cb_cutter_first_page_rollback", B::ItemValue),
    number(&P::cutReverse, "cutReverse").withQuery(Query::CutReverse, "READC CUTREVERSE\r\n", G::Token)
        .within(0, 2).withTokens(cutReverseTokens)
        .readWhen(&P::hasCutter)
        .withSetting(Setting::CutReverse, [](const P &p) {
            return cutterWord("WRITEC ", cutReverseTokens, p.cutReverse); })
        .writeWhen(&P::hasCutter)
        .shownBy(Page::Cutter, "cb_cutter_reverse_display", B::ItemValue),
    number(&P::cutBackLen, "cutBackLen_dots").withQuery(Query::CutBackLen, "READC CUTBACKLEN\r\n", G::CutBackLength)
        .readWhen(&P::hasCutter)
        .withSetting(Setting::CutBackLen, [](const P &p) -> Opt {
            return line("WRITEC CUTBACKLEN,%d\r\n", p.cutBackLen); })
        .writeWhen(&P::hasCutter)
        .shownBy(Page::Cutter, "cb_cutter_offset", B::IntegerText).typed(Entry::Digits, true),
};
// clang-format on

// One row per step of the reading pass after the status query; the range is
// one more than the last position, as the form has always shown it.
static_assert(std::size(table) + 2 == readPassRange);

constexpr std::size_t queryCount = static_cast<std::size_t>(Query::CutBackLen) + 1;
constexpr std::size_t settingCount = static_cast<std::size_t>(Setting::CutMode) + 1;

// Row index of every query and every setting, -1 until found; a value with
// no row or with two stops the build.
template <typename Enum, std::size_t count, typename Member> constexpr std::array<int, count> indexBy(Member member)
{
    std::array<int, count> index {};
    index.fill(-1);
    for (std::size_t i = 0; i < std::size(table); ++i) {
        if (const auto value = table[i].*member) {
            int &row = index[static_cast<std::size_t>(*value)];
            row = row == -1 ? static_cast<int>(i) : -2;
        }
    }
    return index;
}

constexpr auto queryRows = indexBy<Query, queryCount>(&ParameterRow::query);
constexpr auto settingRows = indexBy<Setting, settingCount>(&ParameterRow::setting);

constexpr bool everyValueHasOneRow(const auto &index)
{
    for (int row : index) {
        if (row < 0)
            return false;
    }
    return true;
}
static_assert(everyValueHasOneRow(queryRows), "a query has no row, or two");
static_assert(everyValueHasOneRow(settingRows), "a setting has no row, or two");

// A snapshot file finds its fields by these names, so none may be missing or
// taken twice.
constexpr bool everyFieldHasItsOwnName()
{
    std::array<std::string_view, 2 * std::size(table)> names {};
    std::size_t count = 0;
    for (const ParameterRow &row : table) {
        if (!row.json || (row.baseNumber && !row.baseJson))
            return false;
        names[count++] = row.json;
        if (row.baseJson)
            names[count++] = row.baseJson;
    }
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t j = i + 1; j < count; ++j) {
            if (names[i] == names[j])
                return false;
        }
    }
    return true;
}
static_assert(everyFieldHasItsOwnName(), "a field has no snapshot name, or shares one");

} // namespace

std::span<const ParameterRow> parameterTable()
{
    return table;
}

const ParameterRow &rowOf(Query query)
{
    return table[queryRows[static_cast<std::size_t>(query)]];
}

const ParameterRow &rowOf(Setting setting)
{
    return table[settingRows[static_cast<std::size_t>(setting)]];
}

} // namespace protocol
