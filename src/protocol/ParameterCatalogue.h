#pragma once

#include <QString>

#include <optional>

class CDeviceInterface;
struct PrinterParameters;

// Every parameter the printer reports or accepts, one operation per
// catalogue row. Queries store into the record and return true on success (a
// failure keeps the field); settings format their text from the record.
namespace protocol {

enum class Query {
    Model,
    Version,
    Serial,
    Mileage,
    CutCounter,
    Dpi,
    Speed,
    Density,
    PaperWidth,
    PaperHeight,
    SensorMode,
    GapSize,
    GapOffset,
    PrintOut,
    Offset, // then OFFSETBASE
    Direction,
    Mirror,
    ReferenceX,
    ReferenceY,
    ShiftY, // then SHIFTBASE
    ShiftX, // then SHIFTXBASE
    GapIntensity,
    BlineIntensity,
    Ribbon,
    RibbonErrLen,
    SensorRef,
    SensorSta,
    ConIntensity,
    RibbonEnd,
    ZSpeed,
    ZDarkness,
    ZFeedHeadClose,
    ZPosition,
    ZLabelWidth,
    ZLabelTop,
    ZLabelShift,
    BaudRate, // also sets serialQueried
    Parity,
    DataBits,
    StopBits,
    Dhcp, // also sets networkQueried
    NetIp,
    NetMask,
    NetGateway,
    BtName, // also sets bluetoothQueried
    BtPinCode,
    HasBluetooth,
    HasWifi,
    HasEthernet,
    HasSerial,
    HasCutter,
    HasPeeler,
    WifiSsid,
    WifiPassword,
    WifiDhcp, // also sets wifiQueried
    WifiIp,
    WifiMask,
    WifiGateway,
    CutMode,
    CutBack,
    CutReverse,
    CutBackLen,
};

enum class Setting {
    Speed,
    Density,
    Size, // paperWidth and paperHeight
    Offset,
    Shift, // shiftX and shiftY
    Ribbon,
    RibbonErrLen,
    SensorRef,
    SensorSta,
    RibbonEnd,
    ZDarkness,
    ZFeedHeadClose,
    ZSpeed,
    ZPosition,
    ZLabelWidth,
    ZLabelTop,
    ZLabelShift,
    BaudRate,
    Network, // NET DHCP or NET IP with address, mask and gateway
    WifiSsid,
    WifiPassword,
    WifiNetwork, // WLAN DHCP or WLAN IP
    CutBack,
    CutReverse,
    CutBackLen,
    CutMode,
};

bool runQuery(CDeviceInterface &port, PrinterParameters &params, Query query);

// The text a setting sends, or nothing when the value has no command (an
// unknown cutter mode); sending nothing counts as success.
std::optional<QString> settingText(const PrinterParameters &params, Setting setting);
bool sendSetting(CDeviceInterface &port, const PrinterParameters &params, Setting setting);

// Media calibration by the sensor dialog's choice: 0 automatic, 1 gap,
// 2 black mark, 3 continuous. Another choice sends nothing and fails.
bool calibrate(CDeviceInterface &port, int choice);
bool initialisePrinter(CDeviceInterface &port);
bool restartPrinter(CDeviceInterface &port);
bool printSelfTest(CDeviceInterface &port);
// Six lines in one write; the year is sent modulo 100.
QString clockText(int year, int month, int day, int hour, int minute, int second);
bool setClock(CDeviceInterface &port, int year, int month, int day, int hour, int minute, int second);
// Byte sequences with no reply: skip the start-up program AUTO.BAS, enter HEX mode.
bool ignoreAutoBas(CDeviceInterface &port);
bool enterHexMode(CDeviceInterface &port);

} // namespace protocol
