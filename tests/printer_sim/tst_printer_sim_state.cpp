#include "platform/HardwareId.h"
#include "printer-sim/BootFrame.h"
#include "printer-sim/PrinterSession.h"
#include "printer-sim/SimulatedPrinter.h"

#include <QTest>

using namespace printersim;

namespace {

// One connection to an in-process printer with a hand-driven clock.
struct Link {
    explicit Link(SimConfig config = {}, PrinterSession::Link kind = PrinterSession::Link::Usb)
        : printer(std::move(config))
        , session(printer, kind)
    { }
    QByteArray send(const QByteArray &bytes)
    {
        session.receive(bytes, now);
        return session.takeOutput(now);
    }
    void wait(qint64 ms)
    {
        now += ms;
        printer.advance(now);
    }
    SimulatedPrinter printer;
    PrinterSession session;
    qint64 now = 1000;
};

// The program's reading of a discovery reply: the value after a key runs to
// the next comma and never includes the text's last character.
QString discoveryField(const QString &reply, const QString &key)
{
    const qsizetype at = reply.indexOf(key);
    if (at < 0)
        return {};
    const qsizetype start = at + key.size();
    qsizetype end = reply.indexOf(QLatin1Char(','), start);
    if (end < 0 || end > reply.size() - 1)
        end = reply.size() - 1;
    return reply.mid(start, end - start);
}

QByteArray bootFrame(quint8 code, const QByteArray &payload = {})
{
    return BootFrame { code, payload }.encode();
}

QByteArray rangePayload(quint32 length)
{
    QByteArray payload(1, '\0');
    appendBigEndian32(payload, BootLoader::flashBase);
    appendBigEndian32(payload, BootLoader::flashBase + length);
    return payload;
}

QByteArray blockPayload(int number, const QByteArray &data)
{
    QByteArray payload(4, '\0');
    payload.append(static_cast<char>(number & 0xFF));
    appendBigEndian16(payload, static_cast<quint16>(data.size()));
    return payload + data;
}

// Status byte of a boot reply frame, as the program reads it (payload byte 0).
int replyStatus(const QByteArray &reply)
{
    return reply.size() > 12 ? static_cast<quint8>(reply[12]) : -1;
}

} // namespace

class TestPrinterSimState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyQueryGetsOneLine_data();
    void everyQueryGetsOneLine();
    void settingIsReadBack_data();
    void settingIsReadBack();
    void paperSizeSurvivesTheProgramsConversion_data();
    void paperSizeSurvivesTheProgramsConversion();
    void identityAndOptionReplies();
    void missingOptionsStayUnanswered();
    void statusSensorsAndActions();
    void restartComesBackWithoutDram();
    void downloadListAndKill();
    void downloadArrivingInPieces();
    void fullPlaceRefusesDownload();
    void bootFramesMatchTheWireExamples_data();
    void bootFramesMatchTheWireExamples();
    void bootSessionWithMatchingChecksum();
    void bootSessionWithWrongChecksum_data();
    void bootSessionWithWrongChecksum();
    void discoveryReplyAndNetSettings();
    void faultSwitches();
};

void TestPrinterSimState::everyQueryGetsOneLine_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::newRow("OUT GETSETTING$(SYSTEM,INFORMATION,MODEL)")
        << QByteArray("OUT GETSETTING$(\"SYSTEM\",\"INFORMATION\",\"MODEL\")");
    QTest::newRow("OUT GETSETTING$(SYSTEM,INFORMATION,VERSION)")
        << QByteArray("OUT GETSETTING$(\"SYSTEM\",\"INFORMATION\",\"VERSION\")");
    QTest::newRow("OUT GETSETTING$(SYSTEM,INFORMATION,SERIAL)")
        << QByteArray("OUT GETSETTING$(\"SYSTEM\",\"INFORMATION\",\"SERIAL\")");
    QTest::newRow("DIAGNOSTIC REPORT MILAGE") << QByteArray("DIAGNOSTIC REPORT MILAGE");
    QTest::newRow("DIAGNOSTIC REPORT CUTCOUNTER") << QByteArray("DIAGNOSTIC REPORT CUTCOUNTER");
    QTest::newRow("DIAGNOSTIC REPORT DPI") << QByteArray("DIAGNOSTIC REPORT DPI");
    QTest::newRow("DIAGNOSTIC REPORT SPEED") << QByteArray("DIAGNOSTIC REPORT SPEED");
    QTest::newRow("DIAGNOSTIC REPORT DENSITY") << QByteArray("DIAGNOSTIC REPORT DENSITY");
    QTest::newRow("DIAGNOSTIC REPORT PAPERWIDTH") << QByteArray("DIAGNOSTIC REPORT PAPERWIDTH");
    QTest::newRow("DIAGNOSTIC REPORT PAPERHEIGHT") << QByteArray("DIAGNOSTIC REPORT PAPERHEIGHT");
    QTest::newRow("DIAGNOSTIC REPORT SENSORMODE") << QByteArray("DIAGNOSTIC REPORT SENSORMODE");
    QTest::newRow("DIAGNOSTIC REPORT GAPSIZE") << QByteArray("DIAGNOSTIC REPORT GAPSIZE");
    QTest::newRow("DIAGNOSTIC REPORT GAPOFFSET") << QByteArray("DIAGNOSTIC REPORT GAPOFFSET");
    QTest::newRow("DIAGNOSTIC REPORT PRINTOUT") << QByteArray("DIAGNOSTIC REPORT PRINTOUT");
    QTest::newRow("DIAGNOSTIC REPORT OFFSET") << QByteArray("DIAGNOSTIC REPORT OFFSET");
    QTest::newRow("DIAGNOSTIC REPORT OFFSETBASE") << QByteArray("DIAGNOSTIC REPORT OFFSETBASE");
    QTest::newRow("DIAGNOSTIC REPORT DIRCTION") << QByteArray("DIAGNOSTIC REPORT DIRCTION");
    QTest::newRow("DIAGNOSTIC REPORT MIRROR") << QByteArray("DIAGNOSTIC REPORT MIRROR");
    QTest::newRow("DIAGNOSTIC REPORT REFERENCEX") << QByteArray("DIAGNOSTIC REPORT REFERENCEX");
    QTest::newRow("DIAGNOSTIC REPORT REFERENCEY") << QByteArray("DIAGNOSTIC REPORT REFERENCEY");
    QTest::newRow("DIAGNOSTIC REPORT SHIFT") << QByteArray("DIAGNOSTIC REPORT SHIFT");
    QTest::newRow("DIAGNOSTIC REPORT SHIFTBASE") << QByteArray("DIAGNOSTIC REPORT SHIFTBASE");
    QTest::newRow("DIAGNOSTIC REPORT SHIFTX") << QByteArray("DIAGNOSTIC REPORT SHIFTX");
    QTest::newRow("DIAGNOSTIC REPORT SHIFTXBASE") << QByteArray("DIAGNOSTIC REPORT SHIFTXBASE");
    QTest::newRow("DIAGNOSTIC REPORT GAPINTEN") << QByteArray("DIAGNOSTIC REPORT GAPINTEN");
    QTest::newRow("DIAGNOSTIC REPORT BLINEINTEN") << QByteArray("DIAGNOSTIC REPORT BLINEINTEN");
    QTest::newRow("DIAGNOSTIC REPORT RIBBON") << QByteArray("DIAGNOSTIC REPORT RIBBON");
    QTest::newRow("DIAGNOSTIC REPORT RIBBONERRLEN") << QByteArray("DIAGNOSTIC REPORT RIBBONERRLEN");
    QTest::newRow("DIAGNOSTIC REPORT AUTOTHRESHOLD") << QByteArray("DIAGNOSTIC REPORT AUTOTHRESHOLD");
    QTest::newRow("DIAGNOSTIC REPORT SENSORSTA") << QByteArray("DIAGNOSTIC REPORT SENSORSTA");
    QTest::newRow("DIAGNOSTIC REPORT CONINTEN") << QByteArray("DIAGNOSTIC REPORT CONINTEN");
    QTest::newRow("DIAGNOSTIC REPORT RIBBONEND") << QByteArray("DIAGNOSTIC REPORT RIBBONEND");
    QTest::newRow("DIAGNOSTIC REPORT ZSPEED") << QByteArray("DIAGNOSTIC REPORT ZSPEED");
    QTest::newRow("DIAGNOSTIC REPORT ZDARKNESS") << QByteArray("DIAGNOSTIC REPORT ZDARKNESS");
    QTest::newRow("DIAGNOSTIC REPORT ZFEEDHEADCLOSE") << QByteArray("DIAGNOSTIC REPORT ZFEEDHEADCLOSE");
    QTest::newRow("DIAGNOSTIC REPORT ZPOSITION") << QByteArray("DIAGNOSTIC REPORT ZPOSITION");
    QTest::newRow("DIAGNOSTIC REPORT ZLABELWIDTH") << QByteArray("DIAGNOSTIC REPORT ZLABELWIDTH");
    QTest::newRow("DIAGNOSTIC REPORT ZLABELTOP") << QByteArray("DIAGNOSTIC REPORT ZLABELTOP");
    QTest::newRow("DIAGNOSTIC REPORT ZLABELSHIFT") << QByteArray("DIAGNOSTIC REPORT ZLABELSHIFT");
    QTest::newRow("DIAGNOSTIC REPORT BAUDRATE") << QByteArray("DIAGNOSTIC REPORT BAUDRATE");
    QTest::newRow("DIAGNOSTIC REPORT PARITY") << QByteArray("DIAGNOSTIC REPORT PARITY");
    QTest::newRow("DIAGNOSTIC REPORT DATABIT") << QByteArray("DIAGNOSTIC REPORT DATABIT");
    QTest::newRow("DIAGNOSTIC REPORT STOPBIT") << QByteArray("DIAGNOSTIC REPORT STOPBIT");
    QTest::newRow("DIAGNOSTIC REPORT DHCP") << QByteArray("DIAGNOSTIC REPORT DHCP");
    QTest::newRow("DIAGNOSTIC REPORT IP ADDRESS") << QByteArray("DIAGNOSTIC REPORT IP ADDRESS");
    QTest::newRow("DIAGNOSTIC REPORT SUBNET MASK") << QByteArray("DIAGNOSTIC REPORT SUBNET MASK");
    QTest::newRow("DIAGNOSTIC REPORT DEFAULT GATEWAY") << QByteArray("DIAGNOSTIC REPORT DEFAULT GATEWAY");
    QTest::newRow("DIAGNOSTIC REPORT BTNAME") << QByteArray("DIAGNOSTIC REPORT BTNAME");
    QTest::newRow("DIAGNOSTIC REPORT BTPINCODE") << QByteArray("DIAGNOSTIC REPORT BTPINCODE");
    QTest::newRow("DIAGNOSTIC REPORT ISBT") << QByteArray("DIAGNOSTIC REPORT ISBT");
    QTest::newRow("DIAGNOSTIC REPORT ISWIFI") << QByteArray("DIAGNOSTIC REPORT ISWIFI");
    QTest::newRow("DIAGNOSTIC REPORT ISETH") << QByteArray("DIAGNOSTIC REPORT ISETH");
    QTest::newRow("DIAGNOSTIC REPORT ISSERIAL") << QByteArray("DIAGNOSTIC REPORT ISSERIAL");
    QTest::newRow("DIAGNOSTIC REPORT ISCUT") << QByteArray("DIAGNOSTIC REPORT ISCUT");
    QTest::newRow("DIAGNOSTIC REPORT ISPEEL") << QByteArray("DIAGNOSTIC REPORT ISPEEL");
    QTest::newRow("DIAGNOSTIC REPORT WIFISSID") << QByteArray("DIAGNOSTIC REPORT WIFISSID");
    QTest::newRow("DIAGNOSTIC REPORT WIFIPWD") << QByteArray("DIAGNOSTIC REPORT WIFIPWD");
    QTest::newRow("DIAGNOSTIC REPORT WIFIDHCP") << QByteArray("DIAGNOSTIC REPORT WIFIDHCP");
    QTest::newRow("DIAGNOSTIC REPORT WIFIIP") << QByteArray("DIAGNOSTIC REPORT WIFIIP");
    QTest::newRow("DIAGNOSTIC REPORT WIFIMASK") << QByteArray("DIAGNOSTIC REPORT WIFIMASK");
    QTest::newRow("DIAGNOSTIC REPORT WIFIGATEWAY") << QByteArray("DIAGNOSTIC REPORT WIFIGATEWAY");
    QTest::newRow("READC CUTMODE") << QByteArray("READC CUTMODE");
    QTest::newRow("READC CUTBACK") << QByteArray("READC CUTBACK");
    QTest::newRow("READC CUTREVERSE") << QByteArray("READC CUTREVERSE");
    QTest::newRow("READC CUTBACKLEN") << QByteArray("READC CUTBACKLEN");
    QTest::newRow("DIAGNOSTIC REPORT DPHYSPACE") << QByteArray("DIAGNOSTIC REPORT DPHYSPACE");
    QTest::newRow("DIAGNOSTIC REPORT FPHYSPACE") << QByteArray("DIAGNOSTIC REPORT FPHYSPACE");
    QTest::newRow("DIAGNOSTIC REPORT CPHYSPACE") << QByteArray("DIAGNOSTIC REPORT CPHYSPACE");
    QTest::newRow("DIAGNOSTIC REPORT DFREESPACE") << QByteArray("DIAGNOSTIC REPORT DFREESPACE");
    QTest::newRow("DIAGNOSTIC REPORT FFREESPACE") << QByteArray("DIAGNOSTIC REPORT FFREESPACE");
    QTest::newRow("DIAGNOSTIC REPORT CFREESPACE") << QByteArray("DIAGNOSTIC REPORT CFREESPACE");
    QTest::newRow("DIAGNOSTIC REPORT DFILELIST") << QByteArray("DIAGNOSTIC REPORT DFILELIST");
    QTest::newRow("DIAGNOSTIC REPORT FFILELIST") << QByteArray("DIAGNOSTIC REPORT FFILELIST");
    QTest::newRow("DIAGNOSTIC REPORT CFILELIST") << QByteArray("DIAGNOSTIC REPORT CFILELIST");
}

// With every option fitted, each query of the program's catalogue gets exactly one
// reply ending in CR LF (file lists: lines ending with an empty one).
void TestPrinterSimState::everyQueryGetsOneLine()
{
    QFETCH(QByteArray, query);
    SimConfig config;
    config.options.peeler = true;
    Link link(config);
    const QByteArray reply = link.send(query + "\r\n");
    QVERIFY(reply.endsWith("\r\n"));
    if (query.endsWith("FILELIST"))
        QCOMPARE(reply, QByteArray("\r\n"));
    else
        QCOMPARE(reply.count("\r\n"), 1);
}

void TestPrinterSimState::settingIsReadBack_data()
{
    QTest::addColumn<QByteArray>("setting");
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("speed") << QByteArray("SPEED 6") << QByteArray("DIAGNOSTIC REPORT SPEED") << QByteArray("6");
    QTest::newRow("density") << QByteArray("DENSITY 12") << QByteArray("DIAGNOSTIC REPORT DENSITY") << QByteArray("12");
    QTest::newRow("size width") << QByteArray("SIZE 60mm,40mm") << QByteArray("DIAGNOSTIC REPORT PAPERWIDTH")
                                << QByteArray("480");
    QTest::newRow("size height") << QByteArray("SIZE 60mm,40mm") << QByteArray("DIAGNOSTIC REPORT PAPERHEIGHT")
                                 << QByteArray("320");
    QTest::newRow("offset") << QByteArray("OFFSET -3 dot") << QByteArray("DIAGNOSTIC REPORT OFFSET")
                            << QByteArray("-3");
    QTest::newRow("shift x") << QByteArray("SHIFT 5,-7") << QByteArray("DIAGNOSTIC REPORT SHIFTX") << QByteArray("5");
    QTest::newRow("shift y") << QByteArray("SHIFT 5,-7") << QByteArray("DIAGNOSTIC REPORT SHIFT") << QByteArray("-7");
    QTest::newRow("ribbon") << QByteArray("SET RIBBON OFF") << QByteArray("DIAGNOSTIC REPORT RIBBON")
                            << QByteArray("0");
    QTest::newRow("ribbon err word") << QByteArray("SET RIBBONERRLEN HIGHT")
                                     << QByteArray("DIAGNOSTIC REPORT RIBBONERRLEN") << QByteArray("HIGHT");
    QTest::newRow("ribbon err number") << QByteArray("SET RIBBONERRLEN 12")
                                       << QByteArray("DIAGNOSTIC REPORT RIBBONERRLEN") << QByteArray("12");
    QTest::newRow("sensor ref") << QByteArray("SET SENSOR_REF MANUAL") << QByteArray("DIAGNOSTIC REPORT AUTOTHRESHOLD")
                                << QByteArray("0");
    QTest::newRow("sensor sta") << QByteArray("SET SENSOR_STA SPECIAL") << QByteArray("DIAGNOSTIC REPORT SENSORSTA")
                                << QByteArray("1");
    QTest::newRow("ribbon end") << QByteArray("SET RIBBONEND OFF") << QByteArray("DIAGNOSTIC REPORT RIBBONEND")
                                << QByteArray("0");
    QTest::newRow("continuous") << QByteArray("GAP 0 mm, 0 mm") << QByteArray("DIAGNOSTIC REPORT SENSORMODE")
                                << QByteArray("2");
    QTest::newRow("black mark") << QByteArray("BLINEDETECT") << QByteArray("DIAGNOSTIC REPORT SENSORMODE")
                                << QByteArray("1");
    QTest::newRow("z speed") << QByteArray("^PR7") << QByteArray("DIAGNOSTIC REPORT ZSPEED") << QByteArray("7");
    QTest::newRow("z darkness") << QByteArray("~SD25") << QByteArray("DIAGNOSTIC REPORT ZDARKNESS") << QByteArray("25");
    QTest::newRow("z head close") << QByteArray("^MF,C") << QByteArray("DIAGNOSTIC REPORT ZFEEDHEADCLOSE")
                                  << QByteArray("C");
    QTest::newRow("z position") << QByteArray("~TA-05") << QByteArray("DIAGNOSTIC REPORT ZPOSITION")
                                << QByteArray("-5");
    QTest::newRow("z width") << QByteArray("~PW07") << QByteArray("DIAGNOSTIC REPORT ZLABELWIDTH") << QByteArray("7");
    QTest::newRow("z top") << QByteArray("~LT-12") << QByteArray("DIAGNOSTIC REPORT ZLABELTOP") << QByteArray("-12");
    QTest::newRow("z shift") << QByteArray("~LS3") << QByteArray("DIAGNOSTIC REPORT ZLABELSHIFT") << QByteArray("3");
    QTest::newRow("com 96") << QByteArray("SET COM1 96") << QByteArray("DIAGNOSTIC REPORT BAUDRATE")
                            << QByteArray("9600");
    QTest::newRow("com 230") << QByteArray("SET COM1 230") << QByteArray("DIAGNOSTIC REPORT BAUDRATE")
                             << QByteArray("230400");
    QTest::newRow("net ip") << QByteArray("NET IP \"192.168.5.7\",\"255.255.255.0\",\"192.168.5.1\"")
                            << QByteArray("DIAGNOSTIC REPORT IP ADDRESS") << QByteArray("192.168.5.7");
    QTest::newRow("net mask") << QByteArray("NET IP \"192.168.5.7\",\"255.255.255.0\",\"192.168.5.1\"")
                              << QByteArray("DIAGNOSTIC REPORT SUBNET MASK") << QByteArray("255.255.255.0");
    QTest::newRow("net gateway") << QByteArray("NET IP \"192.168.5.7\",\"255.255.255.0\",\"192.168.5.1\"")
                                 << QByteArray("DIAGNOSTIC REPORT DEFAULT GATEWAY") << QByteArray("192.168.5.1");
    QTest::newRow("net ip clears dhcp") << QByteArray("NET IP \"192.168.5.7\",\"255.255.255.0\",\"192.168.5.1\"")
                                        << QByteArray("DIAGNOSTIC REPORT DHCP") << QByteArray("0");
    QTest::newRow("wifi ssid with quote") << QByteArray("WLAN SSID \"Lab \"5G\"\"")
                                          << QByteArray("DIAGNOSTIC REPORT WIFISSID") << QByteArray("Lab \"5G\"");
    QTest::newRow("wifi password") << QByteArray("WLAN PWD \"s3cret,x\"") << QByteArray("DIAGNOSTIC REPORT WIFIPWD")
                                   << QByteArray("s3cret,x");
    QTest::newRow("wifi ip") << QByteArray("WLAN IP \"10.0.0.9\",\"255.0.0.0\",\"10.0.0.1\"")
                             << QByteArray("DIAGNOSTIC REPORT WIFIIP") << QByteArray("10.0.0.9");
    QTest::newRow("wifi gateway") << QByteArray("WLAN IP \"10.0.0.9\",\"255.0.0.0\",\"10.0.0.1\"")
                                  << QByteArray("DIAGNOSTIC REPORT WIFIGATEWAY") << QByteArray("10.0.0.1");
    QTest::newRow("wifi ip clears dhcp") << QByteArray("WLAN IP \"10.0.0.9\",\"255.0.0.0\",\"10.0.0.1\"")
                                         << QByteArray("DIAGNOSTIC REPORT WIFIDHCP") << QByteArray("0");
    QTest::newRow("cut mode") << QByteArray("WRITEC CUTMODENOBACK") << QByteArray("READC CUTMODE")
                              << QByteArray("NOBACK");
    QTest::newRow("cut back") << QByteArray("WRITEC CUTBACKNO") << QByteArray("READC CUTBACK")
                              << QByteArray("CUTBACKNO");
    QTest::newRow("cut reverse") << QByteArray("WRITEC CUTREVERSEYES") << QByteArray("READC CUTREVERSE")
                                 << QByteArray("CUTREVERSEYES");
    QTest::newRow("cut back len") << QByteArray("WRITEC CUTBACKLEN,55") << QByteArray("READC CUTBACKLEN")
                                  << QByteArray("55 dot");
}

void TestPrinterSimState::settingIsReadBack()
{
    QFETCH(QByteArray, setting);
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, reply);
    Link link;
    QVERIFY(link.send(query + "\r\n") != reply + "\r\n");
    QCOMPARE(link.send(setting + "\r\n"), QByteArray()); // settings are never answered
    QCOMPARE(link.send(query + "\r\n"), reply + "\r\n");
}

void TestPrinterSimState::paperSizeSurvivesTheProgramsConversion_data()
{
    QTest::addColumn<int>("dpi");
    QTest::newRow("203") << 203;
    QTest::newRow("300") << 300;
    QTest::newRow("600") << 600;
}

void TestPrinterSimState::paperSizeSurvivesTheProgramsConversion()
{
    QFETCH(int, dpi);
    SimConfig config;
    config.identity.dpi = dpi;
    Link link(config);
    for (int mm = 1; mm <= 250; ++mm) {
        link.send("SIZE " + QByteArray::number(mm) + "mm," + QByteArray::number(mm) + "mm\r\n");
        const int dots = link.send("DIAGNOSTIC REPORT PAPERWIDTH\r\n").trimmed().toInt();
        QCOMPARE(static_cast<int>(dots / (dpi / 25.4)), mm);
    }
}

void TestPrinterSimState::identityAndOptionReplies()
{
    SimConfig config;
    config.options.peeler = false;
    Link link(config);
    QCOMPARE(link.send("OUT GETSETTING$(\"SYSTEM\",\"INFORMATION\",\"MODEL\")\r\n"), QByteArray("OX-420T\r\n"));
    QCOMPARE(link.send("OUT GETSETTING$(\"SYSTEM\",\"INFORMATION\",\"VERSION\")\r\n"), QByteArray("V1.21\r\n"));
    QCOMPARE(link.send("DIAGNOSTIC REPORT DPI\r\n"), QByteArray("203\r\n"));
    QCOMPARE(link.send("DIAGNOSTIC REPORT ISCUT\r\n"), QByteArray("1\r\n"));
    QCOMPARE(link.send("DIAGNOSTIC REPORT ISPEEL\r\n"), QByteArray("0\r\n"));
    // Several commands in one write are answered in order.
    QCOMPARE(link.send("DIAGNOSTIC REPORT SPEED\r\nDIAGNOSTIC REPORT DENSITY\r\n"), QByteArray("4\r\n8\r\n"));
}

void TestPrinterSimState::missingOptionsStayUnanswered()
{
    SimConfig config;
    config.options = PrinterOptions { false, false, false, false, false, false, false };
    Link link(config);
    for (const char *query : { "DIAGNOSTIC REPORT BAUDRATE", "DIAGNOSTIC REPORT DHCP", "DIAGNOSTIC REPORT BTNAME",
             "DIAGNOSTIC REPORT WIFIDHCP", "READC CUTMODE" })
        QVERIFY2(link.send(QByteArray(query) + "\r\n").isEmpty(), query);
    QCOMPARE(link.send("DIAGNOSTIC REPORT ISBT\r\nDIAGNOSTIC REPORT ISWIFI\r\n"), QByteArray("0\r\n0\r\n"));
    link.send("SET COM1 96\r\n");
    QCOMPARE(link.printer.settings().link.baudRate, 115200);
    QCOMPARE(link.send("DIAGNOSTIC REPORT CPHYSPACE\r\n"), QByteArray("0\r\n"));
}

void TestPrinterSimState::statusSensorsAndActions()
{
    SimConfig config;
    config.statusByte = 0x05;
    Link link(config);
    QCOMPARE(link.send("\x1B!?"), QByteArray("\x05"));
    link.send("SELFTEST\r\n");
    QCOMPARE(link.send("\x1B!?"), QByteArray("\x25")); // printing
    link.wait(config.timings.selfTestMs);
    QCOMPARE(link.send("\x1B!?"), QByteArray("\x05"));

    const QByteArray first = link.send("SENSORCHECK\r\n");
    QCOMPARE(first.size(), 48);
    link.wait(200);
    const QByteArray second = link.send("SENSORCHECK\r\n");
    QCOMPARE(second.size(), 48);
    QVERIFY(first != second);

    link.send("SPEED 9\r\n");
    link.send("INITALPRINTER\r\n");
    QCOMPARE(link.send("DIAGNOSTIC REPORT SPEED\r\n"), QByteArray("4\r\n"));

    link.send(QByteArray("\x1B!C~!D", 6));
    QVERIFY(link.printer.ignoresAutoBas());
    QVERIFY(link.printer.hexMode());

    link.send("YEAR = 24\r\nMONTH = 03\r\nDATE = 05\r\nHOUR = 07\r\nMINUTE = 08\r\nSECOND = 09\r\n");
    QCOMPARE(link.printer.clockAt(link.now), QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9)));
    link.wait(61000);
    QCOMPARE(link.printer.clockAt(link.now), QDateTime(QDate(2024, 3, 5), QTime(7, 9, 10)));

    const QList<QByteArray> expected = { "SELFTEST", "INITALPRINTER", "IGNORE AUTO.BAS", "HEX MODE", "YEAR = 24",
        "MONTH = 03", "DATE = 05", "HOUR = 07", "MINUTE = 08", "SECOND = 09" };
    QCOMPARE(link.printer.actions(), expected);
}

void TestPrinterSimState::restartComesBackWithoutDram()
{
    Link link;
    link.send("DOWNLOAD A,TMP.BAS,3,abc\r\nDOWNLOAD F,KEEP.BAS,3,xyz\r\n");
    link.send(QByteArray("\x1B!R\r\n"));
    QVERIFY(!link.printer.isPresent());
    QCOMPARE(link.send("DIAGNOSTIC REPORT SPEED\r\n"), QByteArray()); // away
    link.wait(link.printer.config().timings.restartMs);
    QVERIFY(link.printer.isPresent());
    QCOMPARE(link.send("DIAGNOSTIC REPORT DFILELIST\r\n"), QByteArray("\r\n"));
    QCOMPARE(link.send("DIAGNOSTIC REPORT FFILELIST\r\n"), QByteArray("KEEP.BAS 3\r\n\r\n"));
}

void TestPrinterSimState::downloadListAndKill()
{
    Link link;
    const int freeBefore = link.send("DIAGNOSTIC REPORT FFREESPACE\r\n").trimmed().toInt();
    const QByteArray data = QByteArray("AB\r\nC") + QByteArray(4096, '\x1B');
    // The payload holds CR LF and ESC bytes; only the announced count decides where it ends.
    QCOMPARE(link.send("DOWNLOAD F,TEST.TXT," + QByteArray::number(data.size()) + "," + data + "\r\n"), QByteArray());
    QCOMPARE(link.send("DOWNLOAD F,LOGO.BMP,2,xy\r\n"), QByteArray());
    QCOMPARE(link.send("DIAGNOSTIC REPORT FFILELIST\r\n"),
        "TEST.TXT " + QByteArray::number(data.size()) + "\r\nLOGO.BMP 2\r\n\r\n");
    QCOMPARE(link.printer.store().find(Place::Flash, "TEST.TXT")->data, data);
    QCOMPARE(link.send("DIAGNOSTIC REPORT FFREESPACE\r\n").trimmed().toInt(), freeBefore - 5);

    QCOMPARE(link.send("KILL F,\"TEST.TXT\"\r\n"), QByteArray("OK\r\n"));
    QCOMPARE(link.send("KILL F,\"TEST.TXT\"\r\n"), QByteArray("FILE NOT FOUND\r\n"));
    QCOMPARE(link.send("DIAGNOSTIC REPORT FFILELIST\r\n"), QByteArray("LOGO.BMP 2\r\n\r\n"));
    QCOMPARE(link.send("KILL F,\"*.*\"\r\n"), QByteArray()); // never answered
    QCOMPARE(link.send("DIAGNOSTIC REPORT FFILELIST\r\n"), QByteArray("\r\n"));
    QCOMPARE(link.send("DIAGNOSTIC REPORT FFREESPACE\r\n").trimmed().toInt(), freeBefore);
}

void TestPrinterSimState::downloadArrivingInPieces()
{
    Link link;
    const QByteArray wire = "DOWNLOAD E,F1,10,0123456789\r\nDIAGNOSTIC REPORT CFILELIST\r\n";
    QByteArray replies;
    for (char c : wire)
        replies += link.send(QByteArray(1, c));
    QCOMPARE(replies, QByteArray("F1 10\r\n\r\n"));
}

void TestPrinterSimState::fullPlaceRefusesDownload()
{
    SimConfig config;
    config.memory.dramKb = 1;
    config.options.card = false;
    Link link(config);
    QCOMPARE(link.send("DOWNLOAD A,A.BIN,1000," + QByteArray(1000, 'a') + "\r\n"), QByteArray());
    QCOMPARE(link.send("DIAGNOSTIC REPORT DFREESPACE\r\n"), QByteArray("0\r\n"));
    QCOMPARE(link.send("DOWNLOAD A,B.BIN,25," + QByteArray(25, 'b') + "\r\n"), QByteArray("ERROR: DRAM FULL\r\n"));
    QCOMPARE(link.send("DOWNLOAD E,C.BIN,1,c\r\n"), QByteArray("ERROR: NO CARD\r\n"));
    // Replacing a file counts the space it frees.
    QCOMPARE(link.send("DOWNLOAD A,A.BIN,1024," + QByteArray(1024, 'z') + "\r\n"), QByteArray());
    QCOMPARE(link.send("DIAGNOSTIC REPORT DFILELIST\r\n"), QByteArray("A.BIN 1024\r\n\r\n"));
}

void TestPrinterSimState::bootFramesMatchTheWireExamples_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("wire");
    QTest::newRow("query") << bootFrame(2) << QByteArray::fromHex("1B1000060000020000000000 33");
    QTest::newRow("restart") << bootFrame(7) << QByteArray::fromHex("1B1000060000070000000000 38");
    QTest::newRow("erase") << bootFrame(3, rangePayload(0x12345))
                           << QByteArray::fromHex("1B10000F00000300000000090060020000600323 45 73");
    QTest::newRow("verify") << bootFrame(6, rangePayload(0x12345))
                            << QByteArray::fromHex("1B10000F00000600000000090060020000600323 45 76");
    QTest::newRow("block") << bootFrame(4, blockPayload(5, "ABC"))
                           << QByteArray::fromHex("1B10001000000400000000 0A 00000000050003414243 17");
}

void TestPrinterSimState::bootFramesMatchTheWireExamples()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, wire);
    QCOMPARE(frame.toHex(' '), wire.toHex(' '));
    const BootFrame::ScanResult scan = BootFrame::scan(wire + "tail");
    QCOMPARE(scan.scan, BootFrame::Scan::Complete);
    QCOMPARE(scan.length, wire.size());
    QVERIFY(scan.sumMatches);
}

void TestPrinterSimState::bootSessionWithMatchingChecksum()
{
    Link link;
    const QByteArray normalId = link.printer.ieee1284Id();
    QVERIFY(!platform::usbPrintHardwareId(normalId).contains(QLatin1String("Boot")));
    link.send("INIAP OXALBOOT\r\n");
    QVERIFY(link.printer.ieee1284Id().isEmpty());
    link.wait(link.printer.config().timings.bootEnterMs);
    QCOMPARE(link.printer.mode(), PrinterMode::Boot);
    QVERIFY(
        platform::usbPrintHardwareId(link.printer.ieee1284Id()).contains(QLatin1String("USBPRINT\\OXAL_Printer_Boot")));

    QByteArray image = QByteArray(8192 + 300, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = static_cast<char>((i * 7) & 0xFF);
    image.replace(100, 16, QByteArray("FWVERSION:V2.07", 16));

    QCOMPARE(replyStatus(link.send(bootFrame(2))), 0);
    QCOMPARE(replyStatus(link.send(bootFrame(3, rangePayload(image.size())))), 0);
    // A whole block frame arrives in pieces, as from a USB pipe.
    const QByteArray first = bootFrame(4, blockPayload(0, image.left(8192)));
    QCOMPARE(first.size(), 8212);
    QCOMPARE(link.send(first.left(5000)), QByteArray());
    QCOMPARE(replyStatus(link.send(first.mid(5000))), 0);
    QCOMPARE(replyStatus(link.send(bootFrame(4, blockPayload(1, image.mid(8192))))), 0);
    const QByteArray verify = link.send(bootFrame(6, rangePayload(image.size())));
    QCOMPARE(replyStatus(verify), 0);
    QCOMPARE(bigEndian32(verify, 13), imageSum(image));
    QCOMPARE(link.send(bootFrame(7)), QByteArray()); // restart is not answered

    link.wait(link.printer.config().timings.bootLeaveMs);
    QCOMPARE(link.printer.mode(), PrinterMode::Normal);
    QCOMPARE(link.printer.ieee1284Id(), normalId);
    QCOMPARE(link.send("OUT GETSETTING$(\"SYSTEM\",\"INFORMATION\",\"VERSION\")\r\n"), QByteArray("V2.07\r\n"));
}

void TestPrinterSimState::bootSessionWithWrongChecksum_data()
{
    QTest::addColumn<bool>("wrongSumFault");
    QTest::addColumn<bool>("skipSecondBlock");
    QTest::newRow("verify fault") << true << false;
    QTest::newRow("block lost") << false << true;
}

void TestPrinterSimState::bootSessionWithWrongChecksum()
{
    QFETCH(bool, wrongSumFault);
    QFETCH(bool, skipSecondBlock);
    Link link;
    link.printer.faults().wrongVerifySum = wrongSumFault;
    link.send("INIAP OXALBOOT\r\n");
    link.wait(link.printer.config().timings.bootEnterMs);
    const QByteArray image(3 * 8192, 'i');
    QCOMPARE(replyStatus(link.send(bootFrame(3, rangePayload(image.size())))), 0);
    for (int block = 0; block < 3; ++block) {
        if (skipSecondBlock && block == 1)
            continue;
        const QByteArray reply = link.send(bootFrame(4, blockPayload(block, image.mid(block * 8192, 8192))));
        // A block out of sequence is refused, and the ones after it stay unwritten.
        QCOMPARE(replyStatus(reply) == 0, !skipSecondBlock || block == 0);
    }
    const QByteArray verify = link.send(bootFrame(6, rangePayload(image.size())));
    QCOMPARE(replyStatus(verify), 0);
    QVERIFY(bigEndian32(verify, 13) != imageSum(image));
}

void TestPrinterSimState::discoveryReplyAndNetSettings()
{
    Link link;
    QVERIFY(!link.printer.answerDatagram("HELLO", link.now));
    const auto reply = link.printer.answerDatagram("DIAGNOSTIC REPORT NETBROADCAST\r\n", link.now);
    QVERIFY(reply);
    const QString text = QString::fromLatin1(*reply);
    QVERIFY(text.startsWith(QLatin1String("NET BROADCAST,")));
    QCOMPARE(discoveryField(text, QStringLiteral("NET NAME:")), QStringLiteral("OX-420T-SIM"));
    QCOMPARE(discoveryField(text, QStringLiteral("MODEL:")), QStringLiteral("OX-420T"));
    QCOMPARE(discoveryField(text, QStringLiteral("SOFT:")), QStringLiteral("V1.21"));
    QCOMPARE(discoveryField(text, QStringLiteral("DHCP ")), QStringLiteral("ON"));
    QCOMPARE(discoveryField(text, QStringLiteral("IP ADDR:")), QStringLiteral("127.0.0.1"));
    QCOMPARE(discoveryField(text, QStringLiteral("SUBNET:")), QStringLiteral("255.0.0.0"));
    QCOMPARE(discoveryField(text, QStringLiteral("GATEWAY:")), QStringLiteral("127.0.0.1"));
    QCOMPARE(discoveryField(text, QStringLiteral("MAC:")), QStringLiteral("00-1B-82-5E-00-01\r"));

    QVERIFY(!link.printer.answerDatagram("NET IP \"127.0.0.9\",\"255.255.0.0\",\"127.0.0.254\"\r\n", link.now));
    const QString changed
        = QString::fromLatin1(*link.printer.answerDatagram("DIAGNOSTIC REPORT NETBROADCAST\r\n", link.now));
    QCOMPARE(discoveryField(changed, QStringLiteral("DHCP ")), QStringLiteral("OFF"));
    QCOMPARE(discoveryField(changed, QStringLiteral("IP ADDR:")), QStringLiteral("127.0.0.9"));
    QCOMPARE(discoveryField(changed, QStringLiteral("SUBNET:")), QStringLiteral("255.255.0.0"));
    QCOMPARE(discoveryField(changed, QStringLiteral("GATEWAY:")), QStringLiteral("127.0.0.254"));
    QCOMPARE(link.send("DIAGNOSTIC REPORT IP ADDRESS\r\n"), QByteArray("127.0.0.9\r\n"));

    QVERIFY(!link.printer.answerDatagram("NET DHCP\r\n", link.now));
    QCOMPARE(link.send("DIAGNOSTIC REPORT DHCP\r\n"), QByteArray("1\r\n"));
}

void TestPrinterSimState::faultSwitches()
{
    Link link;
    link.printer.faults().answerDelayMs = 300;
    link.session.receive("DIAGNOSTIC REPORT DPI\r\n", link.now);
    QCOMPARE(link.session.takeOutput(link.now + 299), QByteArray());
    QCOMPARE(link.session.nextOutputMs(), link.now + 300);
    QCOMPARE(link.session.takeOutput(link.now + 300), QByteArray("203\r\n"));
    link.printer.faults().answerDelayMs = 0;

    link.printer.faults().garbage = true;
    const QByteArray garbage = link.send("DIAGNOSTIC REPORT DPI\r\n");
    QCOMPARE(garbage.size(), 5);
    QVERIFY(!garbage.endsWith("\r\n"));
    link.printer.faults().garbage = false;

    link.printer.faults().noAnswer = true;
    QCOMPARE(link.send("DIAGNOSTIC REPORT DPI\r\n\x1B!?"), QByteArray());
    link.printer.faults().noAnswer = false;

    link.printer.faults().closeMidTransfer = true;
    link.send("DOWNLOAD F,HALF.BIN,100," + QByteArray(100, 'h') + "\r\n");
    QVERIFY(link.session.disconnectRequested());
    QCOMPARE(link.printer.store().find(Place::Flash, "HALF.BIN"), nullptr);

    link.printer.faults().closeMidTransfer = false;
    link.printer.faults().failErase = true;
    PrinterSession boot(link.printer, PrinterSession::Link::Usb);
    boot.receive("INIAP OXALBOOT\r\n", link.now);
    link.wait(link.printer.config().timings.bootEnterMs);
    boot.receive(bootFrame(3, rangePayload(100)), link.now);
    QVERIFY(replyStatus(boot.takeOutput(link.now)) > 0);
    // Out of range: beyond the flash.
    link.printer.faults().failErase = false;
    boot.receive(bootFrame(3, rangePayload(0x7FFFFFFF)), link.now);
    QVERIFY(replyStatus(boot.takeOutput(link.now)) > 0);
}

QTEST_GUILESS_MAIN(TestPrinterSimState)
#include "tst_printer_sim_state.moc"
