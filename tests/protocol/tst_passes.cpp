#include "protocol/ParameterPasses.h"
#include "protocol/PrinterParameters.h"
#include "support/RecordingProgress.h"
#include "support/ScriptedPort.h"

#include <QTest>

#include <functional>
#include <limits>

using namespace protocol;

using Progress = RecordingProgress::Reports;
using Report = RecordingProgress::Report;
using Setup = std::function<void(PrinterParameters &)>;

namespace {

QByteArray report(const char *keyword)
{
    return QByteArray("DIAGNOSTIC REPORT ") + keyword + "\r\n";
}

QByteArray setting(const char *name)
{
    return QByteArray("OUT GETSETTING$(\"SYSTEM\",\"INFORMATION\",\"") + name + "\")\r\n";
}

// What every printer is asked, up to and including the option queries, when
// each group's first query is answered.
QList<QByteArray> commonQueries(bool answered)
{
    QList<QByteArray> q { "\x1b!?", setting("MODEL"), setting("VERSION"), setting("SERIAL"), report("MILAGE"),
        report("CUTCOUNTER"), report("DPI"), report("SPEED"), report("DENSITY"), report("PAPERWIDTH"),
        report("PAPERHEIGHT"), report("SENSORMODE"), report("REFERENCEX"), report("REFERENCEY"), report("GAPSIZE"),
        report("GAPOFFSET"), report("PRINTOUT"), report("DIRCTION"), report("MIRROR") };
    q += answered ? QList<QByteArray> { report("OFFSET"), report("OFFSETBASE"), report("SHIFT"), report("SHIFTBASE"),
        report("SHIFTX"), report("SHIFTXBASE") }
                  : QList<QByteArray> { report("OFFSET"), report("SHIFT"), report("SHIFTX") };
    q += { report("GAPINTEN"), report("BLINEINTEN"), report("RIBBON"), report("RIBBONERRLEN"), report("AUTOTHRESHOLD"),
        report("SENSORSTA"), report("CONINTEN"), report("RIBBONEND"), report("ZSPEED"), report("ZDARKNESS"),
        report("ZFEEDHEADCLOSE"), report("ZPOSITION"), report("ZLABELWIDTH"), report("ZLABELTOP"),
        report("ZLABELSHIFT"), report("BAUDRATE") };
    if (answered)
        q += { report("PARITY"), report("DATABIT"), report("STOPBIT") };
    q += report("DHCP");
    if (answered)
        q += { report("IP ADDRESS"), report("SUBNET MASK"), report("DEFAULT GATEWAY") };
    q += { report("BTNAME"), report("BTPINCODE"), report("ISBT"), report("ISWIFI"), report("ISETH"), report("ISSERIAL"),
        report("ISCUT"), report("ISPEEL") };
    return q;
}

const QList<QByteArray> wifiQueries { report("WIFISSID"), report("WIFIPWD"), report("WIFIDHCP"), report("WIFIIP"),
    report("WIFIMASK"), report("WIFIGATEWAY") };
const QList<QByteArray> cutterQueries { "READC CUTMODE\r\n", "READC CUTBACK\r\n", "READC CUTREVERSE\r\n",
    "READC CUTBACKLEN\r\n" };

// A printer with every option, answering every query.
void answerEverything(ScriptedPort &port)
{
    port.answer("\x1b!?", QByteArray(1, '\x00'));
    port.answer(setting("MODEL"), "TX-200\r\n");
    port.answer(setting("VERSION"), "V2.1\r\n");
    port.answer(setting("SERIAL"), "SN42\r\n");
    port.answer(report("MILAGE"), "12.3\r\n");
    port.answer(report("CUTCOUNTER"), "77\r\n");
    port.answer(report("DPI"), "203\r\n");
    port.answer(report("SPEED"), "4\r\n");
    port.answer(report("DENSITY"), "8\r\n");
    port.answer(report("PAPERWIDTH"), "800\r\n");
    port.answer(report("PAPERHEIGHT"), "480\r\n");
    port.answer(report("SENSORMODE"), "0\r\n");
    port.answer(report("REFERENCEX"), "0\r\n");
    port.answer(report("REFERENCEY"), "0\r\n");
    port.answer(report("GAPSIZE"), "24\r\n");
    port.answer(report("GAPOFFSET"), "0\r\n");
    port.answer(report("PRINTOUT"), "2\r\n");
    port.answer(report("DIRCTION"), "1\r\n");
    port.answer(report("MIRROR"), "0\r\n");
    port.answer(report("OFFSET"), "-3\r\n");
    port.answer(report("OFFSETBASE"), "10\r\n");
    port.answer(report("SHIFT"), "2\r\n");
    port.answer(report("SHIFTBASE"), "5\r\n");
    port.answer(report("SHIFTX"), "-1\r\n");
    port.answer(report("SHIFTXBASE"), "6\r\n");
    port.answer(report("GAPINTEN"), "3\r\n");
    port.answer(report("BLINEINTEN"), "4\r\n");
    port.answer(report("RIBBON"), "1\r\n");
    port.answer(report("RIBBONERRLEN"), "MIDDLE\r\n");
    port.answer(report("AUTOTHRESHOLD"), "1\r\n");
    port.answer(report("SENSORSTA"), "0\r\n");
    port.answer(report("CONINTEN"), "2\r\n");
    port.answer(report("RIBBONEND"), "1\r\n");
    port.answer(report("ZSPEED"), "4\r\n");
    port.answer(report("ZDARKNESS"), "20\r\n");
    port.answer(report("ZFEEDHEADCLOSE"), "C\r\n");
    port.answer(report("ZPOSITION"), "-5\r\n");
    port.answer(report("ZLABELWIDTH"), "812\r\n");
    port.answer(report("ZLABELTOP"), "0\r\n");
    port.answer(report("ZLABELSHIFT"), "0\r\n");
    port.answer(report("BAUDRATE"), "9600\r\n");
    port.answer(report("PARITY"), "0\r\n");
    port.answer(report("DATABIT"), "7\r\n");
    port.answer(report("STOPBIT"), "2\r\n");
    port.answer(report("DHCP"), "0\r\n");
    port.answer(report("IP ADDRESS"), "127.0.0.7\r\n");
    port.answer(report("SUBNET MASK"), "255.0.0.0\r\n");
    port.answer(report("DEFAULT GATEWAY"), "127.0.0.1\r\n");
    port.answer(report("BTNAME"), "BT-1\r\n");
    port.answer(report("BTPINCODE"), "1234\r\n");
    for (const char *option : { "ISBT", "ISWIFI", "ISETH", "ISSERIAL", "ISCUT", "ISPEEL" })
        port.answer(report(option), "1");
    port.answer(report("WIFISSID"), "Shop\r\n");
    port.answer(report("WIFIPWD"), "secret\r\n");
    port.answer(report("WIFIDHCP"), "1\r\n");
    port.answer(report("WIFIIP"), "127.0.0.8\r\n");
    port.answer(report("WIFIMASK"), "255.0.0.0\r\n");
    port.answer(report("WIFIGATEWAY"), "127.0.0.1\r\n");
    port.answer("READC CUTMODE\r\n", "NOBACK\r\n");
    port.answer("READC CUTBACK\r\n", "CUTBACKYES\r\n");
    port.answer("READC CUTREVERSE\r\n", "CUTREVERSEYES\r\n");
    port.answer("READC CUTBACKLEN\r\n", "40 dot\r\n");
}

Progress passProgress(qint32 range, qint32 lastPosition)
{
    Progress expected { { Report::Minimum, 0 }, { Report::Maximum, range } };
    for (qint32 position = 1; position <= lastPosition; ++position)
        expected.append({ Report::Position, position });
    return expected;
}

} // namespace

class PassesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readingSilentPrinter();
    void readingCountsAndStops_data();
    void readingCountsAndStops();
    void readingPrinterWithEveryOption();
    void readingWifiWhoseDhcpFails();
    void writingPage_data();
    void writingPage();
    void writingStopsAtFailedSetting();

private:
    RecordingProgress m_recorder;
    RecordingProgress &record()
    {
        m_recorder = RecordingProgress();
        return m_recorder;
    }
};

void PassesTest::readingSilentPrinter()
{
    ScriptedPort port;
    PrinterParameters params;
    params.serialQueried = params.networkQueried = params.bluetoothQueried = params.wifiQueried = 1;
    const ReadPassOutcome outcome = readAllParameters(port, params, record());

    QCOMPARE(port.writes(), commonQueries(false).first(1 + silentQueriesBeforeEnd));
    QCOMPARE(m_recorder.reports, passProgress(65, silentQueriesBeforeEnd));
    QCOMPARE(outcome.end, ReadPassOutcome::End::NoAnswer);
    QCOMPARE(outcome.queries, 1 + silentQueriesBeforeEnd);
    QCOMPARE(outcome.unanswered, outcome.queries);
    PrinterParameters fresh;
    QCOMPARE(params.model, fresh.model);
    QCOMPARE(params.mileage, QStringLiteral("0"));
    QCOMPARE(params.dataBits, 8);
    QCOMPARE(params.statusByte, -1);
    QCOMPARE(params.serialQueried + params.networkQueried + params.bluetoothQueried, 3);
    QCOMPARE(params.wifiQueried, 0);
}

// One answer is enough to keep the pass going to its end; it counts what
// went unanswered. A cancel request stops it before the next query.
void PassesTest::readingCountsAndStops_data()
{
    QTest::addColumn<bool>("everyOption");
    QTest::addColumn<qint32>("stopBefore");
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::addColumn<qint32>("lastPosition");
    QTest::addColumn<ReadPassOutcome::End>("end");
    QTest::addColumn<qint32>("unanswered");

    const QList<QByteArray> statusOnly = commonQueries(false);
    QTest::newRow("only the status answered") << false << std::numeric_limits<qint32>::max() << statusOnly << 64
                                              << ReadPassOutcome::End::Complete << qint32(statusOnly.size() - 1);
    QTest::newRow("cancelled before step 10")
        << true << 10 << commonQueries(true).first(8) << 9 << ReadPassOutcome::End::Cancelled << 0;
    QTest::newRow("cancelled before the first query")
        << true << 2 << commonQueries(true).first(1) << 1 << ReadPassOutcome::End::Cancelled << 0;
}

void PassesTest::readingCountsAndStops()
{
    QFETCH(bool, everyOption);
    QFETCH(qint32, stopBefore);
    QFETCH(QList<QByteArray>, sent);
    QFETCH(qint32, lastPosition);
    ScriptedPort port;
    if (everyOption)
        answerEverything(port);
    else
        port.answer("\x1b!?", QByteArray(1, '\x04'));
    PrinterParameters params;
    RecordingProgress &progress = record();
    progress.stopBefore(stopBefore);
    const ReadPassOutcome outcome = readAllParameters(port, params, progress);

    QCOMPARE(port.writes(), sent);
    QCOMPARE(m_recorder.reports, passProgress(65, lastPosition));
    QTEST(outcome.end, "end");
    QCOMPARE(outcome.queries, qint32(sent.size()));
    QTEST(outcome.unanswered, "unanswered");
}

void PassesTest::readingPrinterWithEveryOption()
{
    ScriptedPort port;
    answerEverything(port);
    PrinterParameters params;
    const ReadPassOutcome outcome = readAllParameters(port, params, record());

    QCOMPARE(port.writes(), commonQueries(true) + wifiQueries + cutterQueries);
    QVERIFY(port.allRepliesTaken());
    QCOMPARE(m_recorder.reports, passProgress(65, 64));
    QCOMPARE(outcome.end, ReadPassOutcome::End::Complete);
    QCOMPARE(outcome.unanswered, 0);
    QCOMPARE(params.statusByte, 0);
    QCOMPARE(params.model, QStringLiteral("TX-200"));
    QCOMPARE(params.paperWidth, 100);
    QCOMPARE(params.paperHeight, 60);
    QCOMPARE(params.gapSize, 3);
    QCOMPARE(params.offsetBase, 10);
    QCOMPARE(params.shiftXBase, 6);
    QCOMPARE(params.zFeedHeadClose, 2);
    QCOMPARE(params.zPosition, -5);
    QCOMPARE(params.dataBits, 7);
    QCOMPARE(params.netIp, QStringLiteral("127.0.0.7"));
    QCOMPARE(params.hasPeeler, 1);
    QCOMPARE(params.wifiSsid, QStringLiteral("Shop"));
    QCOMPARE(params.cutMode, 2);
    QCOMPARE(params.cutReverse, 2);
    QCOMPARE(params.cutBackLen, 40);
    QCOMPARE(params.serialQueried + params.networkQueried + params.bluetoothQueried + params.wifiQueried, 4);
}

void PassesTest::readingWifiWhoseDhcpFails()
{
    ScriptedPort port;
    port.answer("\x1b!?", QByteArray(1, '\x00'));
    port.answer(report("ISWIFI"), "1\r\n");
    port.answer(report("WIFISSID"), "Shop\r\n");
    PrinterParameters params;
    readAllParameters(port, params, record());
    QCOMPARE(port.writes(), commonQueries(false) + wifiQueries);
    QCOMPARE(params.wifiSsid, QStringLiteral("Shop"));
    QCOMPARE(params.wifiQueried, 0);
}

void PassesTest::writingPage_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QList<QByteArray>>("sent");

    const Setup everything = [](PrinterParameters &p) {
        p.serialQueried = p.networkQueried = p.wifiQueried = p.hasWifi = p.hasCutter = 1;
        p.speed = 4;
        p.density = 9;
        p.paperWidth = 100;
        p.paperHeight = 60;
        p.offset = -3;
        p.shiftX = 1;
        p.shiftY = 2;
        p.ribbon = 1;
        p.ribbonErrLen = QStringLiteral("LOW");
        p.sensorRef = 1;
        p.ribbonEnd = 0;
        p.zDarkness = 20;
        p.zFeedHeadClose = 3;
        p.zSpeed = 5;
        p.zPosition = -5;
        p.zLabelWidth = 7;
        p.zLabelTop = 1;
        p.zLabelShift = -2;
        p.baudRate = 19200;
        p.dhcp = 1;
        p.wifiSsid = QStringLiteral("Shop");
        p.wifiPassword = QStringLiteral("pw");
        p.wifiIp = QStringLiteral("127.0.0.8");
        p.wifiMask = QStringLiteral("255.0.0.0");
        p.wifiGateway = QStringLiteral("127.0.0.1");
        p.cutBack = 2;
        p.cutReverse = 1;
        p.cutBackLen = 40;
        p.cutMode = 1;
    };
    auto with = [everything](Setup change) {
        return Setup([everything, change](PrinterParameters &p) {
            everything(p);
            change(p);
        });
    };

    QTest::newRow("basic") << 0 << everything
                           << QList<QByteArray> { "SPEED 4\r\n", "DENSITY 9\r\n", "SIZE 100mm,60mm\r\n",
                                  "OFFSET -3 dot\r\n", "SHIFT 1,2\r\n", "SET RIBBON ON\r\n", "SET RIBBONERRLEN LOW\r\n",
                                  "SET SENSOR_REF AUTO\r\n", "SET SENSOR_STA NORMAL\r\n", "SET RIBBONEND OFF\r\n" };
    QTest::newRow("second dialect") << 1 << everything
                                    << QList<QByteArray> { "~SD20\r\n", "^MF,L\r\n", "^PR5\r\n", "~TA-05\r\n",
                                           "~PW07\r\n", "~LT1\r\n", "~LS-2\r\n" };
    QTest::newRow("empty page") << 2 << everything << QList<QByteArray> {};
    QTest::newRow("serial") << 3 << everything << QList<QByteArray> { "SET COM1 115\r\n" };
    QTest::newRow("serial not read") << 3 << with([](PrinterParameters &p) { p.serialQueried = 0; })
                                     << QList<QByteArray> {};
    QTest::newRow("network") << 4 << everything << QList<QByteArray> { "NET DHCP\r\n" };
    QTest::newRow("network not read") << 4 << with([](PrinterParameters &p) { p.networkQueried = 0; })
                                      << QList<QByteArray> {};
    QTest::newRow("bluetooth") << 5 << everything << QList<QByteArray> {};
    QTest::newRow("wifi fixed address") << 6 << everything
                                        << QList<QByteArray> { "WLAN SSID \"Shop\"\r\n", "WLAN PWD \"pw\"\r\n",
                                               "WLAN IP \"127.0.0.8\",\"255.0.0.0\",\"127.0.0.1\"\r\n" };
    QTest::newRow("wifi dhcp not read") << 6 << with([](PrinterParameters &p) { p.wifiQueried = 0; })
                                        << QList<QByteArray> { "WLAN SSID \"Shop\"\r\n", "WLAN PWD \"pw\"\r\n" };
    QTest::newRow("no wifi option") << 6 << with([](PrinterParameters &p) { p.hasWifi = 0; }) << QList<QByteArray> {};
    QTest::newRow("cutter") << 7 << everything
                            << QList<QByteArray> { "WRITEC CUTBACKNO\r\n", "WRITEC CUTREVERSENO\r\n",
                                   "WRITEC CUTBACKLEN,40\r\n", "WRITEC CUTMODENORMAL\r\n" };
    QTest::newRow("cutter mode not reported")
        << 7 << with([](PrinterParameters &p) { p.cutMode = 0, p.cutBack = 0; })
        << QList<QByteArray> { "WRITEC CUTREVERSENO\r\n", "WRITEC CUTBACKLEN,40\r\n" };
    QTest::newRow("no cutter option") << 7 << with([](PrinterParameters &p) { p.hasCutter = 0; })
                                      << QList<QByteArray> {};
    QTest::newRow("special") << 8 << everything << QList<QByteArray> {};
    QTest::newRow("no page") << -1 << everything << QList<QByteArray> {};
}

void PassesTest::writingPage()
{
    QFETCH(int, page);
    QFETCH(Setup, setup);
    QFETCH(QList<QByteArray>, sent);
    ScriptedPort port;
    PrinterParameters params;
    setup(params);
    const WritePassOutcome outcome = writePageParameters(port, params, page, record());
    QCOMPARE(port.writes(), sent);
    QCOMPARE(m_recorder.reports, passProgress(25, 26));
    QVERIFY(port.readWaits().isEmpty());
    QVERIFY(outcome.complete);
    QCOMPARE(outcome.sent, qint32(sent.size()));
}

void PassesTest::writingStopsAtFailedSetting()
{
    ScriptedPort port;
    port.failWriteOf("SHIFT 0,0\r\n");
    PrinterParameters params;
    const WritePassOutcome outcome = writePageParameters(port, params, 0, record());
    QCOMPARE(port.writes(),
        (QList<QByteArray> {
            "SPEED 0\r\n", "DENSITY 0\r\n", "SIZE 0mm,0mm\r\n", "OFFSET 0 dot\r\n", "SHIFT 0,0\r\n" }));
    QCOMPARE(m_recorder.reports, passProgress(25, 4));
    QVERIFY(!outcome.complete);
    QCOMPARE(outcome.sent, 4);
}

QTEST_GUILESS_MAIN(PassesTest)
#include "tst_passes.moc"
