#pragma once

#include <QList>
#include <QString>

#include <array>

// One file in a memory place, as the printer lists it.
struct FileEntry {
    QString name; // never empty
    qint32 size = 0;

    bool operator==(const FileEntry &) const = default;
};

// Everything read from the connected printer. The application keeps one
// record beside its port object for the whole run. Integers are 32-bit signed
// because the printer reports them that way; mm/dots give the unit.
struct PrinterParameters {
    std::array<qint32, 16> sensorTransmissive {};
    std::array<qint32, 16> sensorReflective {};
    std::array<qint32, 16> sensorAuxiliary {};
    QString model;
    QString version;
    QString serial;
    QString mileage = QStringLiteral("0");
    qint32 cutCounter = 0;
    qint32 labelCounter = 0; // no query fills it
    qint32 dpi = 0;
    qint32 speed = 0;
    qint32 density = 0;
    qint32 paperWidth = 0; // mm
    qint32 paperHeight = 0; // mm
    qint32 sensorMode = 0; // 0 gap, 1 black mark, 2 continuous
    qint32 gapSize = 0; // mm
    qint32 gapOffset = 0; // mm
    qint32 printOut = 0; // 0 none, 1 tear off, 2 cut, 3 peel off
    qint32 offset = 0; // dots
    qint32 offsetBase = 0; // dots, read-only
    qint32 direction = 0;
    qint32 mirror = 0;
    qint32 referenceX = 0;
    qint32 referenceY = 0;
    qint32 shiftY = 0;
    qint32 shiftX = 0;
    qint32 shiftYBase = 0;
    qint32 shiftXBase = 0;
    qint32 gapIntensity = 0;
    qint32 blineIntensity = 0;
    qint32 ribbon = 0;
    QString ribbonErrLen = QStringLiteral("0"); // "LOW", "MIDDLE", "HIGHT" or a number
    qint32 sensorRef = 0;
    qint32 sensorSta = 0;
    qint32 conIntensity = 0;
    qint32 ribbonEnd = 0;
    qint32 zSpeed = 0;
    qint32 zDarkness = 0;
    qint32 zFeedHeadClose = 0; // 0 none, 1 feed, 2 calibrate, 3 detect length
    qint32 zPosition = 0;
    qint32 zLabelWidth = 0;
    qint32 zLabelTop = 0;
    qint32 zLabelShift = 0;
    qint32 baudRate = 0;
    qint32 parity = 0; // 0 NONE, 1 ODD, 2 EVEN, 3 MASK, 4 SPACE
    qint32 dataBits = 8;
    qint32 stopBits = 1;
    qint32 dhcp = 0;
    QString netIp;
    QString netMask;
    QString netGateway;
    QString btName;
    QString btPinCode;
    QString wifiSsid;
    QString wifiPassword;
    qint32 wifiDhcp = 0;
    QString wifiIp;
    QString wifiMask;
    QString wifiGateway;
    qint32 cutMode = 0; // 0 not reported, 1 normal, 2 no rollback
    qint32 cutBack = 0; // 0 not reported, 1 rollback, 2 no rollback
    qint32 cutReverse = 0; // 0 not reported, 1 black on white, 2 white on black
    qint32 cutBackLen = 0; // dots
    qint32 dramTotal = 0;
    qint32 dramFree = 0;
    QList<FileEntry> dramFiles;
    qint32 flashTotal = 0;
    qint32 flashFree = 0;
    QList<FileEntry> flashFiles;
    qint32 cardTotal = 0;
    qint32 cardFree = 0;
    QList<FileEntry> cardFiles;
    qint32 hasBluetooth = 0;
    qint32 hasWifi = 0;
    qint32 hasEthernet = 0;
    qint32 hasSerial = 0;
    qint32 hasPeeler = 0;
    qint32 hasCutter = 0;

    // Held beside the record: the outcome of each group's first query in the
    // last reading pass, and the last status byte (-1 until one was read).
    // reset() leaves these alone.
    qint32 serialQueried = 0;
    qint32 networkQueried = 0;
    qint32 bluetoothQueried = 0;
    qint32 statusByte = -1;
    qint32 wifiQueried = 0;

    // Back to the values of a fresh record, keeping the five fields above.
    void reset();
};
