#include "support/SimPrinterProcess.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

namespace {

struct Run {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

Run runProgram(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Run run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

Run cli(const QStringList &arguments, const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    return runProgram(QStringLiteral(CLI_EXECUTABLE), arguments, environment);
}

// The program with files limited to limitKb: past it a write fails with "File
// too large", or, unless ignored, the signal kills the program mid-write.
Run cliWithFileLimit(const QStringList &arguments, int limitKb, bool killedAtTheLimit)
{
    const QString limit = QStringLiteral("ulimit -f %1; exec \"$0\" \"$@\"").arg(limitKb);
    return runProgram(QStringLiteral("bash"),
        QStringList { QStringLiteral("-c"), killedAtTheLimit ? limit : QStringLiteral("trap '' XFSZ; ") + limit,
            QStringLiteral(CLI_EXECUTABLE) }
            + arguments,
        QProcessEnvironment::systemEnvironment());
}

QString describe(const Run &run)
{
    return QStringLiteral("exit %1\nstdout: %2\nstderr: %3")
        .arg(run.code)
        .arg(QString::fromLocal8Bit(run.out), QString::fromLocal8Bit(run.err));
}

#define CLI_EXPECT(run, expected) QVERIFY2((run).code == (expected), qPrintable(describe(run)))

// Per character code of a BCF file: its glyph table entry up to the length
// field and its bitmap data.
QMap<unsigned, QByteArray> bcfGlyphs(const QByteArray &bcf)
{
    QMap<unsigned, QByteArray> glyphs;
    const auto u16 = [&](qsizetype at) { return unsigned(quint8(bcf[at])) | unsigned(quint8(bcf[at + 1])) << 8; };
    if (bcf.size() < 12 || !bcf.startsWith(QByteArray("\x02\x02\x02\x01", 4)))
        return glyphs;
    const unsigned ranges = u16(10);
    unsigned codes = 0;
    for (unsigned r = 0; r < ranges; ++r)
        codes += u16(12 + 4 * r + 2) - u16(12 + 4 * r) + 1;
    const qsizetype table = 12 + 4 * qsizetype(ranges);
    const qsizetype data = table + 16 * qsizetype(codes);
    const qsizetype offsetBase = table + 8 * qsizetype(codes);
    qsizetype entry = table;
    for (unsigned r = 0; r < ranges; ++r) {
        for (unsigned code = u16(12 + 4 * r); code <= u16(12 + 4 * r + 2); ++code, entry += 16) {
            // An entry without a valid glyph is 16 zero bytes.
            if (bcf.mid(entry, 16) == QByteArray(16, '\0'))
                continue;
            const unsigned length = u16(entry + 8);
            quint32 offset = 0;
            std::memcpy(&offset, bcf.constData() + entry + 12, 4);
            glyphs.insert(code, bcf.mid(entry, 10) + bcf.mid(data + (qsizetype(offset) - offsetBase), length));
        }
    }
    return glyphs;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const QString font = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");

} // namespace

// ostrel-cli as a technician runs it, against simulated printers on loopback
// addresses of their own.
class CliTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void linksNoWindowLibrary();
    void refusesBadCommandLines_data();
    void refusesBadCommandLines();
    void statusOverNetworkAndUsb();
    void filesPutAndRemove();
    void sendAndClock();
    void discoverFindsThePrinter();
    void snapshotClonesToAnotherPrinter();
    void writeSendsOnlyTheGroupsBothPrintersHave_data();
    void writeSendsOnlyTheGroupsBothPrintersHave();
    void dryRunPrintsTheExactBytes_data();
    void dryRunPrintsTheExactBytes();
    void badSnapshotsSendNothing_data();
    void badSnapshotsSendNothing();
    void fontBuildKeepsTheChosenGlyphs_data();
    void fontBuildKeepsTheChosenGlyphs();
    void fontPutDownloadsTheBcf();
    void interruptedSavesKeepTheEarlierFile_data();
    void interruptedSavesKeepTheEarlierFile();
    void upgradeOverUsb_data();
    void upgradeOverUsb();

private:
    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }
    QStringList on(const SimPrinterProcess &sim, QStringList arguments) const
    {
        return QStringList { QStringLiteral("--net"), sim.address() } + arguments;
    }

    QTemporaryDir m_dir;
    SimPrinterProcess m_a;
    SimPrinterProcess m_b;
    SimPrinterProcess m_usb;
    SimPrinterProcess m_bare; // no Wi-Fi, cutter nor serial port
    QMap<unsigned, QByteArray> m_fullGlyphs;
};

void CliTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(m_a.start(QStringLiteral(SIM_EXECUTABLE)), qPrintable(m_a.errorText()));
    QVERIFY2(m_b.start(QStringLiteral(SIM_EXECUTABLE)), qPrintable(m_b.errorText()));
    QVERIFY(m_a.address() != m_b.address());
    QVERIFY2(m_bare.start(QStringLiteral(SIM_EXECUTABLE),
                 { QStringLiteral("--no-wifi"), QStringLiteral("--no-cutter"), QStringLiteral("--no-serial") }),
        qPrintable(m_bare.errorText()));
    // The whole font once, for the builds of chosen codes to compare with.
    const Run full = cli({ QStringLiteral("font"), QStringLiteral("build"), font, QStringLiteral("--size"),
        QStringLiteral("16"), QStringLiteral("--bcf"), path("full.bcf") });
    CLI_EXPECT(full, 0);
    m_fullGlyphs = bcfGlyphs(fileBytes(path("full.bcf")));
    QVERIFY(m_fullGlyphs.size() > 3000);
}

void CliTest::linksNoWindowLibrary()
{
    QProcess readelf;
    readelf.start(QStringLiteral("readelf"), { QStringLiteral("-d"), QStringLiteral(CLI_EXECUTABLE) });
    QVERIFY(readelf.waitForFinished(30000));
    const QByteArray needed = readelf.readAllStandardOutput();
    QVERIFY(needed.contains("libQt6Core"));
    QVERIFY2(!needed.contains("libQt6Widgets"), needed.constData());
}

void CliTest::refusesBadCommandLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("help") << QStringList { QStringLiteral("--help") } << 0 << QStringLiteral("Exit status:");
    QTest::newRow("command help") << QStringList { QStringLiteral("font"), QStringLiteral("build"),
        QStringLiteral("--help") } << 0
                                  << QStringLiteral("--null-count N");
    QTest::newRow("no command") << QStringList {} << 2 << QStringLiteral("no command given");
    QTest::newRow("unknown command") << QStringList { QStringLiteral("print") } << 2
                                     << QStringLiteral("unknown command print");
    QTest::newRow("upgrade without image") << QStringList { QStringLiteral("--usb"),
        QStringLiteral("upgrade") } << 2 << QStringLiteral("usage: ostrel-cli --usb [ID] | --net IP upgrade IMAGE.bin");
    QTest::newRow("no port") << QStringList { QStringLiteral("status") } << 2
                             << QStringLiteral("status wants --usb [ID] | --net IP");
    QTest::newRow("unknown option") << QStringList { QStringLiteral("--net"), QStringLiteral("127.0.0.1"),
        QStringLiteral("files"), QStringLiteral("--plcae"), QStringLiteral("dram") }
                                    << 2 << QStringLiteral("files: Unknown option 'plcae'");
    QTest::newRow("bad place") << QStringList { QStringLiteral("--net"), QStringLiteral("127.0.0.1"),
        QStringLiteral("files"), QStringLiteral("--place"), QStringLiteral("rom") }
                               << 2 << QStringLiteral("--place wants dram, flash or card");
    QTest::newRow("nobody there") << QStringList { QStringLiteral("--net"), QStringLiteral("127.0.0.254"),
        QStringLiteral("status") } << 3
                                  << QStringLiteral("no printer answers at 127.0.0.254 (TCP port 9100)");
    QTest::newRow("font without size") << QStringList { QStringLiteral("font"), QStringLiteral("build"), font,
        QStringLiteral("--bcf"), QStringLiteral("/tmp/x.bcf") }
                                       << 2 << QStringLiteral("font build wants --size");
    QTest::newRow("font that is none") << QStringList { QStringLiteral("font"), QStringLiteral("build"),
        QStringLiteral("/etc/hostname"), QStringLiteral("--size"), QStringLiteral("16"), QStringLiteral("--bcf"),
        QStringLiteral("/tmp/x.bcf") } << 2
                                       << QStringLiteral("/etc/hostname cannot be opened as a font");
}

void CliTest::refusesBadCommandLines()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, text);
    const Run run = cli(arguments);
    CLI_EXPECT(run, code);
    const QString shown = QString::fromLocal8Bit(code == 0 ? run.out : run.err);
    QVERIFY2(shown.contains(text), qPrintable(describe(run)));
    if (code != 0)
        QCOMPARE(run.err.count('\n'), 1); // one line a technician reads
}

void CliTest::statusOverNetworkAndUsb()
{
    const Run net = cli(on(m_a, { QStringLiteral("status") }));
    CLI_EXPECT(net, 0);
    QCOMPARE(net.out, QByteArray("0x00 Normal\n"));

    const QString sysfs = path("sys");
    QVERIFY2(m_usb.start(QStringLiteral(SIM_EXECUTABLE),
                 { QStringLiteral("--usb-sysfs"), sysfs, QStringLiteral("--status"), QStringLiteral("0x05") }),
        qPrintable(m_usb.errorText()));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OSTREL_SYSFS_ROOT"), sysfs);
    const Run usb = cli({ QStringLiteral("--usb"), QStringLiteral("status") }, environment);
    CLI_EXPECT(usb, 0);
    QCOMPARE(usb.out, QByteArray("0x05 Cover opened Out of paper\n"));
    const Run byName = cli({ QStringLiteral("--usb"), QStringLiteral("lp0"), QStringLiteral("status") }, environment);
    CLI_EXPECT(byName, 0);
    const Run other = cli({ QStringLiteral("--usb"), QStringLiteral("lp7"), QStringLiteral("status") }, environment);
    CLI_EXPECT(other, 3);
    m_usb.stop();
}

void CliTest::filesPutAndRemove()
{
    QVERIFY(writeFile(path("LOGO.PCX"), QByteArray(9000, 'x')));
    QVERIFY(writeFile(path("FORM.BAS"), QByteArray("PRINT 1\r\n")));
    for (const char *file : { "LOGO.PCX", "FORM.BAS" }) {
        const Run put
            = cli(on(m_a, { QStringLiteral("put"), path(file), QStringLiteral("--place"), QStringLiteral("dram") }));
        CLI_EXPECT(put, 0);
    }
    Run files = cli(on(m_a, { QStringLiteral("files"), QStringLiteral("--place"), QStringLiteral("dram") }));
    CLI_EXPECT(files, 0);
    QVERIFY2(files.out.startsWith("DRAM total "), files.out.constData());
    QVERIFY2(files.out.contains("LOGO.PCX") && files.out.contains(" 9000\n") && files.out.contains("FORM.BAS"),
        files.out.constData());

    CLI_EXPECT(
        cli(on(m_a,
            { QStringLiteral("rm"), QStringLiteral("LOGO.PCX"), QStringLiteral("--place"), QStringLiteral("dram") })),
        0);
    files = cli(on(m_a, { QStringLiteral("files"), QStringLiteral("--place"), QStringLiteral("dram") }));
    QVERIFY2(!files.out.contains("LOGO.PCX") && files.out.contains("FORM.BAS"), files.out.constData());

    CLI_EXPECT(
        cli(on(
            m_a, { QStringLiteral("rm"), QStringLiteral("--all"), QStringLiteral("--place"), QStringLiteral("dram") })),
        0);
    files = cli(on(m_a, { QStringLiteral("files") }));
    CLI_EXPECT(files, 0);
    QVERIFY2(!files.out.contains("FORM.BAS") && files.out.contains("FLASH total") && files.out.contains("CARD total"),
        files.out.constData());

    const Run badName
        = cli(on(m_a, { QStringLiteral("put"), path("FORM.BAS"), QStringLiteral("--name"), QStringLiteral("A,B") }));
    CLI_EXPECT(badName, 2);
    const Run missing = cli(on(m_a, { QStringLiteral("put"), path("NONE.BAS") }));
    CLI_EXPECT(missing, 2);
}

void CliTest::sendAndClock()
{
    const Run speed = cli(on(m_a, { QStringLiteral("send"), QStringLiteral("DIAGNOSTIC REPORT SPEED") }));
    CLI_EXPECT(speed, 0);
    QCOMPARE(speed.out.trimmed(), QByteArray("4"));
    // The log lines are the port object's own.
    const Run hex = cli(on(m_a,
        { QStringLiteral("--log"), QStringLiteral("send"), QStringLiteral("--hex"), QStringLiteral("1B 21 3F"),
            QStringLiteral("--wait"), QStringLiteral("500") }));
    CLI_EXPECT(hex, 0);
    QVERIFY2(hex.err.contains(" : Write: ( Hex: 1B 21 3F"), hex.err.constData());
    CLI_EXPECT(cli(on(m_a, { QStringLiteral("send"), QStringLiteral("--hex"), QStringLiteral("1B2") })), 2);

    const Run clock = cli(on(m_a,
        { QStringLiteral("--log"), QStringLiteral("clock"), QStringLiteral("--set"),
            QStringLiteral("2031-02-03 04:05:06") }));
    CLI_EXPECT(clock, 0);
    QVERIFY2(
        clock.err.contains(
            "Write: YEAR = 31[CRLF]MONTH = 02[CRLF]DATE = 03[CRLF]HOUR = 04[CRLF]MINUTE = 05[CRLF]SECOND = 06[CRLF]"),
        clock.err.constData());
    CLI_EXPECT(cli(on(m_a, { QStringLiteral("clock"), QStringLiteral("--now") })), 0);
    CLI_EXPECT(cli(on(m_a, { QStringLiteral("clock") })), 2);
}

void CliTest::discoverFindsThePrinter()
{
    // A printer with discovery on a loopback address of its own; the search asks that address directly.
    const qint64 pid = QCoreApplication::applicationPid();
    const QString address = QStringLiteral("127.66.%1.%2").arg((pid >> 8) & 0xff).arg(1 + (pid & 0xff) % 254);
    const QString udpPort = QString::number(30000 + pid % 15000);
    const QString localPort = QString::number(45000 + pid % 15000);
    QProcess sim;
    sim.start(QStringLiteral(SIM_EXECUTABLE),
        { QStringLiteral("--address"), address, QStringLiteral("--port"), QStringLiteral("0"),
            QStringLiteral("--udp-port"), udpPort, QStringLiteral("--mac"), QStringLiteral("00:11:22:33:44:55") });
    QVERIFY(sim.waitForReadyRead(5000));
    const QStringList search { QStringLiteral("discover"), QStringLiteral("--address"), address,
        QStringLiteral("--local"), QStringLiteral("127.0.0.1"), QStringLiteral("--udp-port"), udpPort,
        QStringLiteral("--local-port"), localPort, QStringLiteral("--timeout"), QStringLiteral("1.5") };
    const Run json = cli(search + QStringList { QStringLiteral("--json") });
    const Run table = cli(search);
    sim.terminate();
    sim.waitForFinished(5000);
    CLI_EXPECT(json, 0);
    const QJsonArray found = QJsonDocument::fromJson(json.out).array();
    QCOMPARE(found.size(), 1);
    const QJsonObject printer = found.first().toObject();
    QCOMPARE(printer.value(QStringLiteral("model")).toString(), QStringLiteral("OX-420T"));
    QCOMPARE(printer.value(QStringLiteral("mac")).toString(), QStringLiteral("00:11:22:33:44:55"));
    QCOMPARE(printer.value(QStringLiteral("firmware")).toString(), QStringLiteral("V1.21"));
    CLI_EXPECT(table, 0);
    QVERIFY2(table.out.startsWith("NAME") && table.out.contains("00:11:22:33:44:55"), table.out.constData());

    // Nobody there.
    const Run none = cli({ QStringLiteral("discover"), QStringLiteral("--address"), QStringLiteral("127.66.0.0"),
        QStringLiteral("--local"), QStringLiteral("127.0.0.1"), QStringLiteral("--udp-port"), udpPort,
        QStringLiteral("--local-port"), localPort, QStringLiteral("--timeout"), QStringLiteral("0.5") });
    CLI_EXPECT(none, 3);
}

void CliTest::snapshotClonesToAnotherPrinter()
{
    const QString snapshot = path("a.json");
    CLI_EXPECT(cli(on(m_a, { QStringLiteral("read"), QStringLiteral("--json"), snapshot })), 0);
    const QJsonObject json = QJsonDocument::fromJson(fileBytes(snapshot)).object();
    QCOMPARE(json.value(QStringLiteral("parameters")).toObject().value(QStringLiteral("paperWidth_mm")).toInt(), 100);
    QCOMPARE(json.value(QStringLiteral("groupsAnswered")).toObject().value(QStringLiteral("serial")).toBool(), true);

    // The second printer gets other settings by hand first.
    for (const char *command :
        { "SPEED 2", "DENSITY 3", "SIZE 60mm,30mm", "~SD25", "SET COM1 96", "WRITEC CUTBACKLEN,70" }) {
        CLI_EXPECT(
            cli(on(m_b,
                { QStringLiteral("send"), QLatin1String(command), QStringLiteral("--wait"), QStringLiteral("0") })),
            0);
    }
    const Run before = cli(on(m_b, { QStringLiteral("diff"), snapshot }));
    CLI_EXPECT(before, 5);
    for (const char *line :
        { "speed: file 4, printer 2\n", "density: file 8, printer 3\n", "paperWidth_mm: file 100, printer 60\n",
            "paperHeight_mm: file 50, printer 30\n", "zDarkness: file 15, printer 25\n",
            "baudRate_bps: file 115200, printer 9600\n", "cutBackLen_dots: file 40, printer 70\n" })
        QVERIFY2(before.out.contains(line), before.out.constData());
    QCOMPARE(before.out.count('\n'), 7);

    const Run write = cli(on(m_b, { QStringLiteral("--log"), QStringLiteral("write"), snapshot }));
    CLI_EXPECT(write, 0);
    QVERIFY2(write.err.contains(" : Write: SPEED 4[CRLF]"), write.err.constData());
    QVERIFY2(!write.err.contains("Write: NET "), write.err.constData()); // the wired network page stays out
    const Run after = cli(on(m_b, { QStringLiteral("diff"), snapshot }));
    CLI_EXPECT(after, 0);
    QCOMPARE(after.out, QByteArray());
}

void CliTest::writeSendsOnlyTheGroupsBothPrintersHave_data()
{
    QTest::addColumn<bool>("fromBare");
    // A printer with every option cloned to one without: the target lacks them.
    QTest::newRow("to a bare printer") << false;
    // The other way: the file's values of the missing groups are only defaults.
    QTest::newRow("from a bare printer") << true;
}

void CliTest::writeSendsOnlyTheGroupsBothPrintersHave()
{
    QFETCH(bool, fromBare);
    const SimPrinterProcess &source = fromBare ? m_bare : m_a;
    const SimPrinterProcess &target = fromBare ? m_a : m_bare;
    const QString snapshot = path("groups.json");
    CLI_EXPECT(cli(on(source, { QStringLiteral("read"), QStringLiteral("--json"), snapshot })), 0);
    const QJsonObject json = QJsonDocument::fromJson(fileBytes(snapshot)).object();
    QCOMPARE(
        json.value(QStringLiteral("parameters")).toObject().value(QStringLiteral("hasWifi")).toInt(), fromBare ? 0 : 1);

    const Run write = cli(on(target, { QStringLiteral("--log"), QStringLiteral("write"), snapshot }));
    CLI_EXPECT(write, 0);
    QVERIFY2(write.err.contains(" : Write: SPEED "), write.err.constData());
    for (const char *group : { "Write: WLAN ", "Write: WRITEC ", "Write: SET COM1 " })
        QVERIFY2(!write.err.contains(group), write.err.constData());
}

void CliTest::dryRunPrintsTheExactBytes_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("default pages") << QStringList {}
                                   << QByteArray(
                                          "SPEED 6\r\nDENSITY 11\r\nSIZE 80mm,40mm\r\nSET RIBBONERRLEN LOW\r\n~SD20\r\n"
                                          "SET COM1 96\r\nWRITEC CUTBACKLEN,50\r\n");
    QTest::newRow("second dialect") << QStringList { QStringLiteral("--pages"), QStringLiteral("1") }
                                    << QByteArray("~SD20\r\n");
    QTest::newRow("network asked for") << QStringList { QStringLiteral("--pages"), QStringLiteral("4,3") }
                                       << QByteArray("NET DHCP\r\nSET COM1 96\r\n");
}

void CliTest::dryRunPrintsTheExactBytes()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, bytes);
    // shiftX without shiftY, Wi-Fi without the option: not sent.
    const QByteArray snapshot = R"({"groupsAnswered": {"serial": true, "network": true},
        "parameters": {"speed": 6, "density": 11, "paperWidth_mm": 80, "paperHeight_mm": 40, "shiftX": 3,
        "ribbonErrLen": "LOW", "zDarkness": 20, "baudRate_bps": 9600, "hasCutter": 1, "cutBackLen_dots": 50,
        "wifiSsid": "lab", "dhcp": 1, "netIp": "10.0.0.9", "netMask": "255.0.0.0", "netGateway": "10.0.0.1"}})";
    QVERIFY(writeFile(path("dry.json"), snapshot));
    const Run run
        = cli(QStringList { QStringLiteral("write"), path("dry.json"), QStringLiteral("--dry-run") } + options);
    CLI_EXPECT(run, 0);
    QCOMPARE(run.out, bytes);
}

void CliTest::badSnapshotsSendNothing_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("reason");
    QTest::newRow("broken") << QByteArray("{\"parameters\": {\"speed\": 3,") << QStringList {}
                            << QStringLiteral("not JSON");
    QTest::newRow("out of range") << QByteArray(R"({"parameters": {"speed": 3, "density": 40}})") << QStringList {}
                                  << QStringLiteral("density: 40 is outside 0..15");
    QTest::newRow("bad address") << QByteArray(R"({"parameters": {"speed": 3, "netIp": "10.0.0"}})") << QStringList {}
                                 << QStringLiteral("netIp: \"10.0.0\" is not a dotted address");
    QTest::newRow("bad pages") << QByteArray(R"({"parameters": {"speed": 3}})")
                               << QStringList { QStringLiteral("--pages"), QStringLiteral("0,12") }
                               << QStringLiteral("--pages wants page numbers 0 to 8");
}

void CliTest::badSnapshotsSendNothing()
{
    QFETCH(QByteArray, json);
    QFETCH(QStringList, options);
    QFETCH(QString, reason);
    QVERIFY(writeFile(path("bad.json"), json));
    const Run run
        = cli(on(m_b, QStringList { QStringLiteral("--log"), QStringLiteral("write"), path("bad.json") } + options));
    CLI_EXPECT(run, 2);
    QVERIFY2(run.err.contains(reason.toLocal8Bit()), run.err.constData());
    QVERIFY2(!run.err.contains("Write: "), run.err.constData());
    QCOMPARE(run.err.count('\n'), 1);
}

void CliTest::fontBuildKeepsTheChosenGlyphs_data()
{
    QTest::addColumn<QStringList>("selection");
    QTest::addColumn<QList<unsigned>>("codes");
    QTest::newRow("chars") << QStringList { QStringLiteral("--chars"), QStringLiteral("Hello, Wörld 20 €") }
                           << QList<unsigned> { ' ', ',', '0', '2', 'H', 'W', 'd', 'e', 'l', 'o', 'r', 0xF6, 0x20AC };
    // 0x4E00 is not in the font: no glyph for it.
    QTest::newRow("ranges") << QStringList { QStringLiteral("--ranges"), QStringLiteral("0x41-0x44,0x61,0x4E00") }
                            << QList<unsigned> { 'A', 'B', 'C', 'D', 'a' };
}

void CliTest::fontBuildKeepsTheChosenGlyphs()
{
    QFETCH(QStringList, selection);
    QFETCH(QList<unsigned>, codes);
    const Run run = cli(QStringList { QStringLiteral("font"), QStringLiteral("build"), font, QStringLiteral("--size"),
                            QStringLiteral("16"), QStringLiteral("--bcf"), path("part.bcf"),
                            QStringLiteral("--project"), path("part.bfproj") }
        + selection);
    CLI_EXPECT(run, 0);
    QVERIFY2(run.out.contains(QStringLiteral("%1 glyphs").arg(codes.size()).toUtf8()), run.out.constData());
    QVERIFY2(run.out.contains("smaller than the whole font"), run.out.constData());
    QVERIFY(QFile::exists(path("part.bfproj")));
    const QMap<unsigned, QByteArray> part = bcfGlyphs(fileBytes(path("part.bcf")));
    QCOMPARE(part.keys(), codes);
    for (const unsigned code : codes)
        QVERIFY2(part.value(code) == m_fullGlyphs.value(code), qPrintable(QString::number(code, 16)));
}

void CliTest::interruptedSavesKeepTheEarlierFile_data()
{
    QTest::addColumn<QStringList>("command"); // %1: the row's folder
    QTest::addColumn<QString>("kept"); // the file that must stay as it was
    QTest::addColumn<int>("limitKb"); // 0: half the whole font's BCF
    QTest::addColumn<bool>("killed");
    QTest::addColumn<QString>("reason");
    const QStringList build { "font", "build", font, "--size", "16", "--bcf", "%1/font.bcf" };
    const QStringList buildWithProject = build + QStringList { "--project", "%1/font.bfproj" };
    for (const bool killed : { false, true }) {
        const char *how = killed ? "killed" : "refused";
        QTest::addRow("BCF %s", how) << build << "font.bcf" << 0 << killed << "BCF not written";
        // The BCF fits; the project, many times its size, does not.
        QTest::addRow("project %s", how) << buildWithProject << "font.bfproj" << 1024 << killed << "Project not saved";
        QTest::addRow("snapshot %s", how)
            << QStringList { "read", "--json", "%1/snapshot.json" } << "snapshot.json" << 1 << killed << "cannot write";
    }
}

void CliTest::interruptedSavesKeepTheEarlierFile()
{
    QFETCH(QStringList, command);
    QFETCH(QString, kept);
    QFETCH(int, limitKb);
    QFETCH(bool, killed);
    QFETCH(QString, reason);
    const QDir folder(m_dir.filePath(QString::fromLatin1(QTest::currentDataTag())));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    const QByteArray earlier("the earlier file, which no failed save may touch\n");
    QVERIFY(writeFile(folder.filePath(kept), earlier));
    if (limitKb == 0)
        limitKb = int(QFileInfo(path("full.bcf")).size() / 2048);
    QVERIFY(limitKb > 0);
    for (QString &argument : command)
        argument.replace(QLatin1String("%1"), folder.path());
    if (command.first() == QLatin1String("read"))
        command = on(m_a, command);

    const Run run = cliWithFileLimit(command, limitKb, killed);
    CLI_EXPECT(run, killed ? -1 : 1);
    if (!killed)
        QVERIFY2(run.err.contains(reason.toUtf8()) && run.err.contains("File too large"), qPrintable(describe(run)));
    QCOMPARE(fileBytes(folder.filePath(kept)), earlier);
    // Nothing half-written is left beside it either.
    const QStringList files = folder.entryList(QDir::Files);
    for (const QString &file : files)
        QVERIFY2(file == kept || file == QLatin1String("font.bcf"), qPrintable(files.join(u' ')));
    if (files.contains(QLatin1String("font.bcf")) && kept != QLatin1String("font.bcf"))
        QCOMPARE(QFileInfo(folder.filePath(QStringLiteral("font.bcf"))).size(), QFileInfo(path("full.bcf")).size());
}

void CliTest::fontPutDownloadsTheBcf()
{
    const Run build
        = cli({ QStringLiteral("font"), QStringLiteral("build"), font, QStringLiteral("--size"), QStringLiteral("16"),
            QStringLiteral("--chars"), QStringLiteral("0123456789"), QStringLiteral("--bcf"), path("digits.bcf") });
    CLI_EXPECT(build, 0);
    const Run put = cli(on(m_a,
        { QStringLiteral("font"), QStringLiteral("put"), path("digits.bcf"), QStringLiteral("--name"),
            QStringLiteral("DIGITS.BCF") }));
    CLI_EXPECT(put, 0);
    const Run files = cli(on(m_a, { QStringLiteral("files"), QStringLiteral("--place"), QStringLiteral("flash") }));
    const QString listed = QStringLiteral("DIGITS.BCF").leftJustified(24)
        + QStringLiteral(" %1\n").arg(fileBytes(path("digits.bcf")).size());
    QVERIFY2(files.out.contains(listed.toUtf8()), files.out.constData());
    CLI_EXPECT(cli(on(m_a,
                   { QStringLiteral("font"), QStringLiteral("put"), path("digits.bcf"), QStringLiteral("--name"),
                       QStringLiteral("A,B") })),
        2);
}

void CliTest::upgradeOverUsb_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<bool>("imageExists");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text"); // on standard output when upgraded, else the error line
    QTest::newRow("upgraded and back") << QStringList {} << true << 0
                                       << QStringLiteral("Upgrade completed, firmware version: V2.00\n");
    QTest::newRow("no image") << QStringList {} << false << 2
                              << QStringLiteral("ostrel-cli: upgrade: Failed to load file\n");
    QTest::newRow("erase refused") << QStringList { QStringLiteral("--fail-erase") } << true << 4
                                   << QStringLiteral("ostrel-cli: upgrade: Erasing space failed\n");
    QTest::newRow("no boot mode") << QStringList { QStringLiteral("--never-enter-boot") } << true << 3
                                  << QStringLiteral("ostrel-cli: upgrade: The printer failed to enter BOOT mode\n");
}

// The upgrade job through the program, against the simulated printer's USB
// emulation with its pauses shortened.
void CliTest::upgradeOverUsb()
{
    QFETCH(QStringList, faults);
    QFETCH(bool, imageExists);
    QFETCH(int, code);
    QFETCH(QString, text);
    QTemporaryDir sysfs;
    QVERIFY(sysfs.isValid());
    SimPrinterProcess printer;
    QVERIFY2(printer.start(QStringLiteral(SIM_EXECUTABLE),
                 QStringList { QStringLiteral("--usb-sysfs"), sysfs.path(), QStringLiteral("--boot-delay"),
                     QStringLiteral("100"), QStringLiteral("--boot-leave-delay"), QStringLiteral("100") }
                     + faults),
        qPrintable(printer.errorText()));
    // Three blocks and a part, the version where the printer looks for it.
    QByteArray image(3 * 8192 + 100, '\0');
    QRandomGenerator generator(7);
    for (char &c : image)
        c = char(generator.bounded(256));
    image.replace(0, 16, QByteArray("FWVERSION:V2.00;").leftJustified(16, ' '));
    const QString imagePath = path("firmware.bin");
    QFile::remove(imagePath);
    if (imageExists)
        QVERIFY(writeFile(imagePath, image));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OSTREL_SYSFS_ROOT"), sysfs.path());
    environment.insert(QStringLiteral("OSTREL_UPGRADE_WAIT_PERCENT"), QStringLiteral("5"));
    const Run run = cli({ QStringLiteral("--usb"), QStringLiteral("upgrade"), imagePath }, environment);
    CLI_EXPECT(run, code);
    QCOMPARE(QString::fromUtf8(code == 0 ? run.out : run.err), text);
    if (code == 0) // back on its USB port, answering
        CLI_EXPECT(cli({ QStringLiteral("--usb"), QStringLiteral("status") }, environment), 0);
}

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
