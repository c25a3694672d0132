#pragma once

#include <QByteArray>

namespace printersim {

// Everything the printer keeps that a setting command can change. Lengths are
// in dots, as the printer stores them.
struct MediaSettings {
    int speed = 4;
    int density = 8;
    int paperWidthDots = 0;
    int paperHeightDots = 0;
    int sensorMode = 0; // 0 gap, 1 black mark, 2 continuous
    int gapDots = 0;
    int gapOffsetDots = 0;
    int printOut = 1; // 0 none, 1 tear, 2 cut, 3 peel
    int offset = 0;
    int offsetBase = 0;
    int direction = 0;
    int mirror = 0;
    int referenceX = 0;
    int referenceY = 0;
    int shiftX = 0;
    int shiftY = 0;
    int shiftXBase = 0;
    int shiftYBase = 0;
    int gapIntensity = 5;
    int blineIntensity = 5;
    int conIntensity = 3;
    int ribbon = 1;
    QByteArray ribbonErrLen = "MIDDLE";
    int sensorRef = 1;
    int sensorSta = 0;
    int ribbonEnd = 1;
    // second label dialect
    int zSpeed = 4;
    int zDarkness = 15;
    char zFeedHeadClose = 'F';
    int zPosition = 0;
    int zLabelWidth = 832;
    int zLabelTop = 0;
    int zLabelShift = 0;
    // cutter
    QByteArray cutMode = "NORMAL";
    QByteArray cutBack = "CUTBACKYES";
    QByteArray cutReverse = "CUTREVERSENO";
    int cutBackLen = 40;
};

struct LinkSettings {
    int baudRate = 115200;
    int parity = 0;
    int dataBits = 8;
    int stopBits = 1;
    int dhcp = 1;
    QByteArray netIp = "127.0.0.1";
    QByteArray netMask = "255.0.0.0";
    QByteArray netGateway = "0.0.0.0";
    QByteArray btName = "OX-420T-BT";
    QByteArray btPinCode = "0000";
    QByteArray wifiSsid = "";
    QByteArray wifiPassword = "";
    int wifiDhcp = 1;
    QByteArray wifiIp = "0.0.0.0";
    QByteArray wifiMask = "0.0.0.0";
    QByteArray wifiGateway = "0.0.0.0";
};

struct PrinterSettings {
    MediaSettings media;
    LinkSettings link;
};

// Millimetres to dots, one above the exact value so that the program's truncating
// conversion back (dots / (dpi / 25.4)) gives the same millimetres.
int millimetresToDots(double mm, int dpi);
double dotsToMillimetres(int dots, int dpi);

// Factory media settings for a printer of this resolution (100 x 50 mm labels,
// 3 mm gap).
MediaSettings defaultMediaSettings(int dpi);

} // namespace printersim
