#include "protocol/CommandChannel.h"
#include "protocol/ParameterCatalogue.h"
#include "protocol/PrinterParameters.h"
#include "support/ScriptedPort.h"

#include <QTest>

#include <functional>

using namespace protocol;

using Field = std::function<QVariant(const PrinterParameters &)>;
using Setup = std::function<void(PrinterParameters &)>;

class CatalogueTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resetKeepsTheFiveBesideTheRecord();
    void queryWordsAndGrammars_data();
    void queryWordsAndGrammars();
    void failedQueryKeepsField();
    void groupFlagsFollowTheirQuery_data();
    void groupFlagsFollowTheirQuery();
    void pairedQueries();
    void optionFlags_data();
    void optionFlags();
    void settings_data();
    void settings();
    void settingWithoutCommandSucceedsSilently();
    void actions();
};

void CatalogueTest::resetKeepsTheFiveBesideTheRecord()
{
    PrinterParameters params;
    params.speed = 4;
    params.mileage = QStringLiteral("12.5");
    params.ribbonErrLen = QStringLiteral("LOW");
    params.dataBits = 7;
    params.stopBits = 2;
    params.flashFiles.append(FileEntry { QStringLiteral("A.BAS"), 3 });
    params.sensorReflective[3] = 9;
    params.serialQueried = params.networkQueried = params.bluetoothQueried = params.wifiQueried = 1;
    params.statusByte = 0x20;
    params.reset();
    QCOMPARE(params.speed, 0);
    QCOMPARE(params.mileage, QStringLiteral("0"));
    QCOMPARE(params.ribbonErrLen, QStringLiteral("0"));
    QCOMPARE(params.dataBits, 8);
    QCOMPARE(params.stopBits, 1);
    QVERIFY(params.flashFiles.isEmpty());
    QCOMPARE(params.sensorReflective[3], 0);
    QCOMPARE(params.serialQueried + params.networkQueried + params.bluetoothQueried + params.wifiQueried, 4);
    QCOMPARE(params.statusByte, 0x20);
}

#define FIELD(name) Field([](const PrinterParameters &p) { return QVariant::fromValue(p.name); })

void CatalogueTest::queryWordsAndGrammars_data()
{
    QTest::addColumn<Query>("query");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<Field>("field");
    QTest::addColumn<QVariant>("expected");

    auto row = [](const char *name, Query q, const char *command, const char *reply, Field field, QVariant value) {
        QTest::newRow(name) << q << QByteArray(command) << QByteArray(reply) << field << value;
    };
    // The printer's words are exact, misspellings included.
    row("model", Query::Model, "OUT GETSETTING$(\"SYSTEM\",\"INFORMATION\",\"MODEL\")\r\n", " TX-200 \r\n",
        FIELD(model), QStringLiteral(" TX-200 "));
    row("version", Query::Version, "OUT GETSETTING$(\"SYSTEM\",\"INFORMATION\",\"VERSION\")\r\n", "V1.2\r\n",
        FIELD(version), QStringLiteral("V1.2"));
    row("serial", Query::Serial, "OUT GETSETTING$(\"SYSTEM\",\"INFORMATION\",\"SERIAL\")\r\n", "S123\r\n",
        FIELD(serial), QStringLiteral("S123"));
    row("mileage", Query::Mileage, "DIAGNOSTIC REPORT MILAGE\r\n", "1.5\r\n", FIELD(mileage), QStringLiteral("1.5"));
    row("cut counter", Query::CutCounter, "DIAGNOSTIC REPORT CUTCOUNTER\r\n", "17\r\n", FIELD(cutCounter), 17);
    row("dpi", Query::Dpi, "DIAGNOSTIC REPORT DPI\r\n", "300 DPI\r\n", FIELD(dpi), 300);
    row("speed with blanks and sign", Query::Speed, "DIAGNOSTIC REPORT SPEED\r\n", "  +6\r\n", FIELD(speed), 6);
    row("density", Query::Density, "DIAGNOSTIC REPORT DENSITY\r\n", "8\r\n", FIELD(density), 8);
    row("paper width in mm", Query::PaperWidth, "DIAGNOSTIC REPORT PAPERWIDTH\r\n", "800\r\n", FIELD(paperWidth), 100);
    row("paper height in mm", Query::PaperHeight, "DIAGNOSTIC REPORT PAPERHEIGHT\r\n", "400 dot\r\n",
        FIELD(paperHeight), 50);
    row("sensor mode", Query::SensorMode, "DIAGNOSTIC REPORT SENSORMODE\r\n", "1\r\n", FIELD(sensorMode), 1);
    row("gap size in mm", Query::GapSize, "DIAGNOSTIC REPORT GAPSIZE\r\n", "24\r\n", FIELD(gapSize), 3);
    row("gap offset in mm", Query::GapOffset, "DIAGNOSTIC REPORT GAPOFFSET\r\n", "-16\r\n", FIELD(gapOffset), -2);
    row("print out", Query::PrintOut, "DIAGNOSTIC REPORT PRINTOUT\r\n", "2\r\n", FIELD(printOut), 2);
    row("direction", Query::Direction, "DIAGNOSTIC REPORT DIRCTION\r\n", "1\r\n", FIELD(direction), 1);
    row("mirror", Query::Mirror, "DIAGNOSTIC REPORT MIRROR\r\n", "1\r\n", FIELD(mirror), 1);
    row("reference x", Query::ReferenceX, "DIAGNOSTIC REPORT REFERENCEX\r\n", "10\r\n", FIELD(referenceX), 10);
    row("reference y", Query::ReferenceY, "DIAGNOSTIC REPORT REFERENCEY\r\n", "20\r\n", FIELD(referenceY), 20);
    row("gap intensity", Query::GapIntensity, "DIAGNOSTIC REPORT GAPINTEN\r\n", "5\r\n", FIELD(gapIntensity), 5);
    row("black-mark intensity", Query::BlineIntensity, "DIAGNOSTIC REPORT BLINEINTEN\r\n", "6\r\n",
        FIELD(blineIntensity), 6);
    row("ribbon", Query::Ribbon, "DIAGNOSTIC REPORT RIBBON\r\n", "1\r\n", FIELD(ribbon), 1);
    row("ribbon sensitivity", Query::RibbonErrLen, "DIAGNOSTIC REPORT RIBBONERRLEN\r\n", "HIGHT\r\n",
        FIELD(ribbonErrLen), QStringLiteral("HIGHT"));
    row("sensor threshold", Query::SensorRef, "DIAGNOSTIC REPORT AUTOTHRESHOLD\r\n", "1\r\n", FIELD(sensorRef), 1);
    row("sensor state", Query::SensorSta, "DIAGNOSTIC REPORT SENSORSTA\r\n", "1\r\n", FIELD(sensorSta), 1);
    row("continuous intensity", Query::ConIntensity, "DIAGNOSTIC REPORT CONINTEN\r\n", "3\r\n", FIELD(conIntensity), 3);
    row("ribbon end 1", Query::RibbonEnd, "DIAGNOSTIC REPORT RIBBONEND\r\n", "1\r\n", FIELD(ribbonEnd), 1);
    row("ribbon end ON is not 1", Query::RibbonEnd, "DIAGNOSTIC REPORT RIBBONEND\r\n", "ON\r\n", FIELD(ribbonEnd), 0);
    row("ribbon end 11 is not 1", Query::RibbonEnd, "DIAGNOSTIC REPORT RIBBONEND\r\n", "11\r\n", FIELD(ribbonEnd), 0);
    row("second speed", Query::ZSpeed, "DIAGNOSTIC REPORT ZSPEED\r\n", "4\r\n", FIELD(zSpeed), 4);
    row("second darkness", Query::ZDarkness, "DIAGNOSTIC REPORT ZDARKNESS\r\n", "30\r\n", FIELD(zDarkness), 30);
    row("head close L", Query::ZFeedHeadClose, "DIAGNOSTIC REPORT ZFEEDHEADCLOSE\r\n", "L\r\n", FIELD(zFeedHeadClose),
        3);
    row("head close unknown keeps value", Query::ZFeedHeadClose, "DIAGNOSTIC REPORT ZFEEDHEADCLOSE\r\n", "X\r\n",
        FIELD(zFeedHeadClose), 99);
    row("tear-off position", Query::ZPosition, "DIAGNOSTIC REPORT ZPOSITION\r\n", "-5\r\n", FIELD(zPosition), -5);
    row("print width", Query::ZLabelWidth, "DIAGNOSTIC REPORT ZLABELWIDTH\r\n", "812\r\n", FIELD(zLabelWidth), 812);
    row("label top", Query::ZLabelTop, "DIAGNOSTIC REPORT ZLABELTOP\r\n", "-3\r\n", FIELD(zLabelTop), -3);
    row("label shift", Query::ZLabelShift, "DIAGNOSTIC REPORT ZLABELSHIFT\r\n", "7\r\n", FIELD(zLabelShift), 7);
    row("baud rate", Query::BaudRate, "DIAGNOSTIC REPORT BAUDRATE\r\n", "115200\r\n", FIELD(baudRate), 115200);
    row("parity", Query::Parity, "DIAGNOSTIC REPORT PARITY\r\n", "2\r\n", FIELD(parity), 2);
    row("data bits", Query::DataBits, "DIAGNOSTIC REPORT DATABIT\r\n", "7\r\n", FIELD(dataBits), 7);
    row("stop bits", Query::StopBits, "DIAGNOSTIC REPORT STOPBIT\r\n", "2\r\n", FIELD(stopBits), 2);
    row("dhcp", Query::Dhcp, "DIAGNOSTIC REPORT DHCP\r\n", "1\r\n", FIELD(dhcp), 1);
    row("ip", Query::NetIp, "DIAGNOSTIC REPORT IP ADDRESS\r\n", "127.0.0.9\r\n", FIELD(netIp),
        QStringLiteral("127.0.0.9"));
    row("mask", Query::NetMask, "DIAGNOSTIC REPORT SUBNET MASK\r\n", "255.0.0.0\r\n", FIELD(netMask),
        QStringLiteral("255.0.0.0"));
    row("gateway", Query::NetGateway, "DIAGNOSTIC REPORT DEFAULT GATEWAY\r\n", "127.0.0.1\r\n", FIELD(netGateway),
        QStringLiteral("127.0.0.1"));
    row("bt name", Query::BtName, "DIAGNOSTIC REPORT BTNAME\r\n", "Label BT\r\n", FIELD(btName),
        QStringLiteral("Label BT"));
    row("bt pin", Query::BtPinCode, "DIAGNOSTIC REPORT BTPINCODE\r\n", "0000\r\n", FIELD(btPinCode),
        QStringLiteral("0000"));
    row("wifi ssid", Query::WifiSsid, "DIAGNOSTIC REPORT WIFISSID\r\n", "Shop\r\n", FIELD(wifiSsid),
        QStringLiteral("Shop"));
    row("wifi password", Query::WifiPassword, "DIAGNOSTIC REPORT WIFIPWD\r\n", "pa ss\r\n", FIELD(wifiPassword),
        QStringLiteral("pa ss"));
    row("wifi dhcp", Query::WifiDhcp, "DIAGNOSTIC REPORT WIFIDHCP\r\n", "0\r\n", FIELD(wifiDhcp), 0);
    row("wifi ip", Query::WifiIp, "DIAGNOSTIC REPORT WIFIIP\r\n", "127.0.0.8\r\n", FIELD(wifiIp),
        QStringLiteral("127.0.0.8"));
    row("wifi mask", Query::WifiMask, "DIAGNOSTIC REPORT WIFIMASK\r\n", "255.255.0.0\r\n", FIELD(wifiMask),
        QStringLiteral("255.255.0.0"));
    row("wifi gateway", Query::WifiGateway, "DIAGNOSTIC REPORT WIFIGATEWAY\r\n", "127.0.0.2\r\n", FIELD(wifiGateway),
        QStringLiteral("127.0.0.2"));
    row("cut mode NOBACK", Query::CutMode, "READC CUTMODE\r\n", "NOBACK\r\n", FIELD(cutMode), 2);
    row("cut mode lower case is unknown", Query::CutMode, "READC CUTMODE\r\n", "normal\r\n", FIELD(cutMode), 0);
    row("cut back NO", Query::CutBack, "READC CUTBACK\r\n", "CUTBACKNO\r\n", FIELD(cutBack), 2);
    row("cut reverse YES", Query::CutReverse, "READC CUTREVERSE\r\n", "CUTREVERSEYES\r\n", FIELD(cutReverse), 2);
    row("cut back length with dot", Query::CutBackLen, "READC CUTBACKLEN\r\n", "40 dot\r\n", FIELD(cutBackLen), 40);
    row("cut back length glued dot", Query::CutBackLen, "READC CUTBACKLEN\r\n", " 25dots \r\n", FIELD(cutBackLen), 25);
    row("cut back length word alone", Query::CutBackLen, "READC CUTBACKLEN\r\n", "dot\r\n", FIELD(cutBackLen), 0);
}

void CatalogueTest::queryWordsAndGrammars()
{
    QFETCH(Query, query);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QFETCH(Field, field);
    QFETCH(QVariant, expected);

    ScriptedPort port;
    port.answer(command, reply);
    PrinterParameters params;
    params.dpi = 203;
    params.zFeedHeadClose = 99;
    params.cutMode = 1;
    if (query == Query::GapSize || query == Query::GapOffset)
        params.dpi = 200;
    QVERIFY(runQuery(port, params, query));
    QCOMPARE(port.writes(), QList<QByteArray> { command });
    QCOMPARE(field(params), expected);
    QCOMPARE(port.readWaits(), QList<quint32> { queryWaitMs });
}

void CatalogueTest::failedQueryKeepsField()
{
    ScriptedPort port;
    PrinterParameters params;
    params.speed = 3;
    params.model = QStringLiteral("old");
    port.queueReply("5");
    QVERIFY(!runQuery(port, params, Query::Speed));
    port.queueReply("new\n\r");
    QVERIFY(!runQuery(port, params, Query::Model));
    QVERIFY(!runQuery(port, params, Query::Speed)); // no answer at all
    QCOMPARE(params.speed, 3);
    QCOMPARE(params.model, QStringLiteral("old"));

    // Without a resolution the millimetre fields read 0 rather than garbage.
    params.dpi = 0;
    port.queueReply("800\r\n");
    QVERIFY(runQuery(port, params, Query::PaperWidth));
    QCOMPARE(params.paperWidth, 0);
}

void CatalogueTest::groupFlagsFollowTheirQuery_data()
{
    QTest::addColumn<Query>("query");
    QTest::addColumn<Field>("flag");
    QTest::newRow("serial") << Query::BaudRate << FIELD(serialQueried);
    QTest::newRow("network") << Query::Dhcp << FIELD(networkQueried);
    QTest::newRow("bluetooth") << Query::BtName << FIELD(bluetoothQueried);
    QTest::newRow("wifi") << Query::WifiDhcp << FIELD(wifiQueried);
}

void CatalogueTest::groupFlagsFollowTheirQuery()
{
    QFETCH(Query, query);
    QFETCH(Field, flag);
    ScriptedPort port;
    PrinterParameters params;
    port.queueReply("1\r\n");
    QVERIFY(runQuery(port, params, query));
    QCOMPARE(flag(params), QVariant(1));
    QVERIFY(!runQuery(port, params, query));
    QCOMPARE(flag(params), QVariant(0));
}

void CatalogueTest::pairedQueries()
{
    const QByteArray offset = "DIAGNOSTIC REPORT OFFSET\r\n";
    const QByteArray offsetBase = "DIAGNOSTIC REPORT OFFSETBASE\r\n";
    {
        ScriptedPort port;
        PrinterParameters params;
        port.answer(offset, "-3\r\n");
        port.answer(offsetBase, "12\r\n");
        QVERIFY(runQuery(port, params, Query::Offset));
        QCOMPARE(port.writes(), (QList<QByteArray> { offset, offsetBase }));
        QCOMPARE(params.offset, -3);
        QCOMPARE(params.offsetBase, 12);
    }
    {
        // The first reply fails: the base is not asked.
        ScriptedPort port;
        PrinterParameters params;
        QVERIFY(!runQuery(port, params, Query::ShiftY));
        QCOMPARE(port.writes(), QList<QByteArray> { "DIAGNOSTIC REPORT SHIFT\r\n" });
    }
    {
        // The first command could not be sent: the base is still asked.
        ScriptedPort port;
        PrinterParameters params;
        port.failWriteOf("DIAGNOSTIC REPORT SHIFTX\r\n");
        port.answer("DIAGNOSTIC REPORT SHIFTXBASE\r\n", "4\r\n");
        QVERIFY(!runQuery(port, params, Query::ShiftX));
        QCOMPARE(
            port.writes(), (QList<QByteArray> { "DIAGNOSTIC REPORT SHIFTX\r\n", "DIAGNOSTIC REPORT SHIFTXBASE\r\n" }));
        QCOMPARE(params.shiftXBase, 4);
        QCOMPARE(port.readWaits().size(), 1);
    }
}

void CatalogueTest::optionFlags_data()
{
    QTest::addColumn<Query>("query");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<Field>("field");
    QTest::addColumn<qint32>("readResult"); // when no reply: 0 a time-out, negative an error
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QVariant>("flag");

    QTest::newRow("1 without line end") << Query::HasWifi << QByteArray("DIAGNOSTIC REPORT ISWIFI\r\n")
                                        << FIELD(hasWifi) << 0 << QByteArray("1") << true << QVariant(1);
    QTest::newRow("0 with line end") << Query::HasCutter << QByteArray("DIAGNOSTIC REPORT ISCUT\r\n")
                                     << FIELD(hasCutter) << 0 << QByteArray("0\r\n") << true << QVariant(0);
    QTest::newRow("other first byte") << Query::HasBluetooth << QByteArray("DIAGNOSTIC REPORT ISBT\r\n")
                                      << FIELD(hasBluetooth) << 0 << QByteArray(" 1\r\n") << true << QVariant(0);
    QTest::newRow("no answer keeps") << Query::HasEthernet << QByteArray("DIAGNOSTIC REPORT ISETH\r\n")
                                     << FIELD(hasEthernet) << 0 << QByteArray() << false << QVariant(7);
    QTest::newRow("connection error keeps") << Query::HasSerial << QByteArray("DIAGNOSTIC REPORT ISSERIAL\r\n")
                                            << FIELD(hasSerial) << -1 << QByteArray() << false << QVariant(7);
    QTest::newRow("peeler") << Query::HasPeeler << QByteArray("DIAGNOSTIC REPORT ISPEEL\r\n") << FIELD(hasPeeler) << 0
                            << QByteArray("1\r\n") << true << QVariant(1);
}

void CatalogueTest::optionFlags()
{
    QFETCH(Query, query);
    QFETCH(QByteArray, command);
    QFETCH(Field, field);
    QFETCH(qint32, readResult);
    QFETCH(QByteArray, reply);
    QFETCH(bool, answered);
    QFETCH(QVariant, flag);

    ScriptedPort port;
    if (reply.isEmpty())
        port.queueReadResult(readResult);
    else
        port.queueReply(reply);
    PrinterParameters params;
    params.hasWifi = params.hasCutter = params.hasBluetooth = params.hasEthernet = params.hasSerial = params.hasPeeler
        = 7;
    QCOMPARE(runQuery(port, params, query), answered);
    QCOMPARE(port.writes(), QList<QByteArray> { command });
    QCOMPARE(port.readCapacities(), QList<qint32> { 255 });
    QCOMPARE(port.readWaits(), QList<quint32> { queryWaitMs });
    QCOMPARE(field(params), flag);
}

void CatalogueTest::settings_data()
{
    QTest::addColumn<Setting>("setting");
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QByteArray>("sent"); // empty: nothing is sent

    auto row = [](const char *name, Setting s, Setup setup, const char *sent) {
        QTest::newRow(name) << s << setup << QByteArray(sent);
    };
    row(
        "speed", Setting::Speed, [](PrinterParameters &p) { p.speed = 5; }, "SPEED 5\r\n");
    row(
        "density", Setting::Density, [](PrinterParameters &p) { p.density = 12; }, "DENSITY 12\r\n");
    row(
        "size", Setting::Size, [](PrinterParameters &p) { p.paperWidth = 100, p.paperHeight = 50; },
        "SIZE 100mm,50mm\r\n");
    row(
        "offset", Setting::Offset, [](PrinterParameters &p) { p.offset = -3; }, "OFFSET -3 dot\r\n");
    row(
        "shift x then y", Setting::Shift, [](PrinterParameters &p) { p.shiftX = 2, p.shiftY = -1; }, "SHIFT 2,-1\r\n");
    row(
        "ribbon on", Setting::Ribbon, [](PrinterParameters &p) { p.ribbon = 2; }, "SET RIBBON ON\r\n");
    row(
        "ribbon off", Setting::Ribbon, [](PrinterParameters &p) { p.ribbon = 0; }, "SET RIBBON OFF\r\n");
    row(
        "ribbon sensitivity word", Setting::RibbonErrLen,
        [](PrinterParameters &p) { p.ribbonErrLen = QStringLiteral("MIDDLE"); }, "SET RIBBONERRLEN MIDDLE\r\n");
    row(
        "ribbon sensitivity HIGHT", Setting::RibbonErrLen,
        [](PrinterParameters &p) { p.ribbonErrLen = QStringLiteral("HIGHT"); }, "SET RIBBONERRLEN HIGHT\r\n");
    row(
        "ribbon sensitivity number", Setting::RibbonErrLen,
        [](PrinterParameters &p) { p.ribbonErrLen = QStringLiteral("12"); }, "SET RIBBONERRLEN 12\r\n");
    row(
        "ribbon sensitivity lower case", Setting::RibbonErrLen,
        [](PrinterParameters &p) { p.ribbonErrLen = QStringLiteral("low"); }, "SET RIBBONERRLEN 0\r\n");
    row(
        "sensor ref auto", Setting::SensorRef, [](PrinterParameters &p) { p.sensorRef = 1; },
        "SET SENSOR_REF AUTO\r\n");
    row(
        "sensor ref manual", Setting::SensorRef, [](PrinterParameters &) {}, "SET SENSOR_REF MANUAL\r\n");
    row(
        "sensor state special", Setting::SensorSta, [](PrinterParameters &p) { p.sensorSta = 1; },
        "SET SENSOR_STA SPECIAL\r\n");
    row(
        "sensor state normal", Setting::SensorSta, [](PrinterParameters &) {}, "SET SENSOR_STA NORMAL\r\n");
    row(
        "ribbon end on", Setting::RibbonEnd, [](PrinterParameters &p) { p.ribbonEnd = 1; }, "SET RIBBONEND ON\r\n");
    row(
        "ribbon end off", Setting::RibbonEnd, [](PrinterParameters &) {}, "SET RIBBONEND OFF\r\n");
    row(
        "darkness", Setting::ZDarkness, [](PrinterParameters &p) { p.zDarkness = 30; }, "~SD30\r\n");
    row(
        "head close feed", Setting::ZFeedHeadClose, [](PrinterParameters &p) { p.zFeedHeadClose = 1; }, "^MF,F\r\n");
    row(
        "head close out of range", Setting::ZFeedHeadClose, [](PrinterParameters &p) { p.zFeedHeadClose = 4; },
        "^MF,\r\n");
    row(
        "second speed", Setting::ZSpeed, [](PrinterParameters &p) { p.zSpeed = 4; }, "^PR4\r\n");
    row(
        "tear-off negative", Setting::ZPosition, [](PrinterParameters &p) { p.zPosition = -5; }, "~TA-05\r\n");
    row(
        "tear-off positive", Setting::ZPosition, [](PrinterParameters &p) { p.zPosition = 12; }, "~TA012\r\n");
    row(
        "print width", Setting::ZLabelWidth, [](PrinterParameters &p) { p.zLabelWidth = 7; }, "~PW07\r\n");
    row(
        "label top", Setting::ZLabelTop, [](PrinterParameters &p) { p.zLabelTop = -3; }, "~LT-3\r\n");
    row(
        "label shift", Setting::ZLabelShift, [](PrinterParameters &p) { p.zLabelShift = 8; }, "~LS8\r\n");
    row(
        "baud 9600", Setting::BaudRate, [](PrinterParameters &p) { p.baudRate = 9600; }, "SET COM1 96\r\n");
    row(
        "baud 230400", Setting::BaudRate, [](PrinterParameters &p) { p.baudRate = 230400; }, "SET COM1 230\r\n");
    row(
        "baud 19200", Setting::BaudRate, [](PrinterParameters &p) { p.baudRate = 19200; }, "SET COM1 115\r\n");
    row(
        "net dhcp", Setting::Network, [](PrinterParameters &p) { p.dhcp = 1; }, "NET DHCP\r\n");
    row(
        "net fixed", Setting::Network,
        [](PrinterParameters &p) {
            p.netIp = QStringLiteral("127.0.0.5");
            p.netMask = QStringLiteral("255.0.0.0");
            p.netGateway = QStringLiteral("127.0.0.1");
        },
        "NET IP \"127.0.0.5\",\"255.0.0.0\",\"127.0.0.1\"\r\n");
    row(
        "wifi ssid unescaped", Setting::WifiSsid, [](PrinterParameters &p) { p.wifiSsid = QStringLiteral("a\"%1"); },
        "WLAN SSID \"a\"%1\"\r\n");
    row(
        "wifi password", Setting::WifiPassword, [](PrinterParameters &p) { p.wifiPassword = QStringLiteral("pw"); },
        "WLAN PWD \"pw\"\r\n");
    row(
        "wifi dhcp", Setting::WifiNetwork, [](PrinterParameters &p) { p.wifiDhcp = 1; }, "WLAN DHCP\r\n");
    row(
        "wifi fixed", Setting::WifiNetwork,
        [](PrinterParameters &p) {
            p.wifiIp = QStringLiteral("%2");
            p.wifiMask = QStringLiteral("m");
            p.wifiGateway = QStringLiteral("g");
        },
        "WLAN IP \"%2\",\"m\",\"g\"\r\n");
    row(
        "cut back yes", Setting::CutBack, [](PrinterParameters &p) { p.cutBack = 1; }, "WRITEC CUTBACKYES\r\n");
    row(
        "cut back no", Setting::CutBack, [](PrinterParameters &p) { p.cutBack = 2; }, "WRITEC CUTBACKNO\r\n");
    row(
        "cut back unknown", Setting::CutBack, [](PrinterParameters &) {}, "");
    row(
        "cut reverse no", Setting::CutReverse, [](PrinterParameters &p) { p.cutReverse = 1; },
        "WRITEC CUTREVERSENO\r\n");
    row(
        "cut reverse yes", Setting::CutReverse, [](PrinterParameters &p) { p.cutReverse = 2; },
        "WRITEC CUTREVERSEYES\r\n");
    row(
        "cut back length", Setting::CutBackLen, [](PrinterParameters &p) { p.cutBackLen = 40; },
        "WRITEC CUTBACKLEN,40\r\n");
    row(
        "cut mode normal", Setting::CutMode, [](PrinterParameters &p) { p.cutMode = 1; }, "WRITEC CUTMODENORMAL\r\n");
    row(
        "cut mode no back", Setting::CutMode, [](PrinterParameters &p) { p.cutMode = 2; }, "WRITEC CUTMODENOBACK\r\n");
    row(
        "cut mode 0", Setting::CutMode, [](PrinterParameters &) {}, "");
}

void CatalogueTest::settings()
{
    QFETCH(Setting, setting);
    QFETCH(Setup, setup);
    QFETCH(QByteArray, sent);
    ScriptedPort port;
    PrinterParameters params;
    setup(params);
    QVERIFY(sendSetting(port, params, setting));
    QCOMPARE(port.written(), sent);
    QCOMPARE(port.writes().size(), sent.isEmpty() ? 0 : 1);
    QVERIFY(port.readWaits().isEmpty());
}

void CatalogueTest::settingWithoutCommandSucceedsSilently()
{
    ScriptedPort port;
    port.setWriteResult(0);
    PrinterParameters params;
    QVERIFY(sendSetting(port, params, Setting::CutMode)); // nothing to send
    QVERIFY(!sendSetting(port, params, Setting::Speed)); // the write failed
}

void CatalogueTest::actions()
{
    ScriptedPort port;
    QVERIFY(setClock(port, 2024, 3, 5, 7, 8, 9));
    QVERIFY(setClock(port, 2031, 12, 31, 23, 59, 0));
    for (int choice = 0; choice <= 4; ++choice)
        QCOMPARE(calibrate(port, choice), choice < 4);
    QVERIFY(!calibrate(port, -1));
    QVERIFY(initialisePrinter(port));
    QVERIFY(restartPrinter(port));
    QVERIFY(printSelfTest(port));
    QVERIFY(ignoreAutoBas(port));
    QVERIFY(enterHexMode(port));
    const QList<QByteArray> expected = {
        "YEAR = 24\r\nMONTH = 03\r\nDATE = 05\r\nHOUR = 07\r\nMINUTE = 08\r\nSECOND = 09\r\n",
        "YEAR = 31\r\nMONTH = 12\r\nDATE = 31\r\nHOUR = 23\r\nMINUTE = 59\r\nSECOND = 00\r\n",
        "AUTODETECT\r\n",
        "GAPDETECT\r\n",
        "BLINEDETECT\r\n",
        "GAP 0 mm, 0 mm\r\n",
        "INITALPRINTER\r\n",
        QByteArray::fromHex("1b21520d0a"),
        "SELFTEST\r\n",
        QByteArray::fromHex("1b2143"),
        QByteArray::fromHex("7e2144"),
    };
    QCOMPARE(port.writes(), expected);
    QVERIFY(port.readWaits().isEmpty());
}

QTEST_GUILESS_MAIN(CatalogueTest)
#include "tst_catalogue.moc"
