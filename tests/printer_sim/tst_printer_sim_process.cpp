#include "platform/HardwareId.h"
#include "platform/UsbPrinters.h"
#include "printer-sim/BootFrame.h"
#include "printer-sim/CommandLine.h"
#include "printer-sim/SimServer.h"

#include <QDeadlineTimer>
#include <QNetworkDatagram>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr int waitMs = 5000;

// The program's side of the USB device node.
class DeviceNode
{
public:
    explicit DeviceNode(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC))
    { }
    ~DeviceNode()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    bool write(const QByteArray &bytes) { return ::write(m_fd, bytes.constData(), bytes.size()) == bytes.size(); }
    // Reads until `count` bytes came, the line dropped or the wait ran out;
    // keeps the event loop going for a printer served in this process.
    QByteArray read(qsizetype count, int ms = waitMs)
    {
        QByteArray data;
        QDeadlineTimer deadline(ms);
        while (data.size() < count && !deadline.hasExpired()) {
            pollfd entry { m_fd, POLLIN, 0 };
            if (::poll(&entry, 1, 0) == 0) {
                QTest::qWait(5);
                continue;
            }
            char buffer[4096];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0) {
                m_hungUp = true;
                break;
            }
            data.append(buffer, n);
        }
        return data;
    }
    bool hungUp() const { return m_hungUp; }

private:
    int m_fd;
    bool m_hungUp = false;
};

} // namespace

class TestPrinterSimProcess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void helpNamesWhatItEmulates();
    void commandLineSwitches();
    void commandLineRefusals_data();
    void commandLineRefusals();
    void answersOverTcp();
    void answersDiscoveryOverUdp();
    void usbEntryFollowsBootMode();
    void faultsReachTheWire();
    void followsLoopbackAddressChange();

private:
    QString usbHardwareId() const;
    QString usbDevicePath() const;
    bool waitForUsbId(const QString &needle);

    QTemporaryDir m_sysfs;
    QProcess m_sim;
    quint16 m_tcpPort = 0;
    quint16 m_udpPort = 0;
};

void TestPrinterSimProcess::initTestCase()
{
    QVERIFY(m_sysfs.isValid());
    m_sim.start(QStringLiteral(SIM_EXECUTABLE),
        { QStringLiteral("--address"), QStringLiteral("127.0.0.1"), QStringLiteral("--port"), QStringLiteral("0"),
            QStringLiteral("--udp-port"), QStringLiteral("0"), QStringLiteral("--usb-sysfs"), m_sysfs.path(),
            QStringLiteral("--boot-delay"), QStringLiteral("300"), QStringLiteral("--boot-leave-delay"),
            QStringLiteral("300") });
    QVERIFY(m_sim.waitForStarted(waitMs));
    QDeadlineTimer deadline(waitMs);
    while (!m_sim.canReadLine() && !deadline.hasExpired())
        m_sim.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    const QString ready = QString::fromLocal8Bit(m_sim.readLine());
    const auto match
        = QRegularExpression(QStringLiteral("TCP 127\\.0\\.0\\.1:(\\d+), UDP 127\\.0\\.0\\.1:(\\d+), USB "))
              .match(ready);
    QVERIFY2(match.hasMatch(), qPrintable(ready + QString::fromLocal8Bit(m_sim.readAllStandardError())));
    m_tcpPort = static_cast<quint16>(match.captured(1).toUInt());
    m_udpPort = static_cast<quint16>(match.captured(2).toUInt());
}

void TestPrinterSimProcess::cleanupTestCase()
{
    m_sim.terminate();
    QVERIFY(m_sim.waitForFinished(waitMs));
    QCOMPARE(m_sim.exitCode(), 0);
    // The USB entry leaves with the printer.
    QVERIFY(platform::scanUsbPrinters(platform::SysfsDeviceTree(m_sysfs.path())).isEmpty());
}

void TestPrinterSimProcess::helpNamesWhatItEmulates()
{
    QProcess help;
    help.start(QStringLiteral(SIM_EXECUTABLE), { QStringLiteral("--help") });
    QVERIFY(help.waitForFinished(waitMs));
    QCOMPARE(help.exitCode(), 0);
    const QString text = QString::fromLocal8Bit(help.readAllStandardOutput());
    QVERIFY(text.contains(QLatin1String("It emulates")));
    QVERIFY(text.contains(QLatin1String("departs from a real printer")));
    QVERIFY(text.contains(QLatin1String("--close-mid-transfer")));
}

void TestPrinterSimProcess::commandLineSwitches()
{
    const printersim::CommandLine command = printersim::parseCommandLine(
        { QStringLiteral("sim"), QStringLiteral("--address"), QStringLiteral("127.0.0.7"), QStringLiteral("--no-wifi"),
            QStringLiteral("--peeler"), QStringLiteral("--slow"), QStringLiteral("250"), QStringLiteral("--garbage"),
            QStringLiteral("--wrong-verify-sum"), QStringLiteral("--status"), QStringLiteral("0x05"),
            QStringLiteral("--boot-delay"), QStringLiteral("10") });
    QVERIFY2(command.error.isEmpty(), qPrintable(command.error));
    QCOMPARE(command.server.address, QHostAddress(QStringLiteral("127.0.0.7")));
    QCOMPARE(command.config.identity.ipAddress, QByteArray("127.0.0.7"));
    QVERIFY(!command.config.options.wifi && command.config.options.bluetooth && command.config.options.peeler);
    QCOMPARE(command.config.faults.answerDelayMs, 250);
    QVERIFY(command.config.faults.garbage && command.config.faults.wrongVerifySum && !command.config.faults.failErase);
    QCOMPARE(command.config.statusByte, quint8(0x05));
    QCOMPARE(command.config.timings.bootEnterMs, 10);
    QCOMPARE(command.server.tcpPort, quint16(9100));
}

void TestPrinterSimProcess::commandLineRefusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    // Serving anything but loopback could answer hosts on a real network.
    QTest::newRow("lan address") << QStringList { QStringLiteral("--address"), QStringLiteral("192.168.1.5") };
    QTest::newRow("any address") << QStringList { QStringLiteral("--address"), QStringLiteral("0.0.0.0") };
    QTest::newRow("port") << QStringList { QStringLiteral("--port"), QStringLiteral("70000") };
    QTest::newRow("status") << QStringList { QStringLiteral("--status"), QStringLiteral("256") };
    QTest::newRow("unknown") << QStringList { QStringLiteral("--colour") };
}

void TestPrinterSimProcess::commandLineRefusals()
{
    QFETCH(QStringList, arguments);
    QVERIFY(!printersim::parseCommandLine(QStringList { QStringLiteral("sim") } + arguments).error.isEmpty());
}

void TestPrinterSimProcess::answersOverTcp()
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, m_tcpPort);
    QVERIFY(socket.waitForConnected(waitMs));
    socket.write("SPEED 7\r\nDIAGNOSTIC REPORT SPEED\r\n\x1B!?");
    QByteArray reply;
    QDeadlineTimer deadline(waitMs);
    while (reply.size() < 4 && socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
        reply += socket.readAll();
    QCOMPARE(reply, QByteArray("7\r\n\x00", 4));

    socket.write("DOWNLOAD F,NET.TXT,4,\r\n\r\n\r\nDIAGNOSTIC REPORT FFILELIST\r\n");
    reply.clear();
    while (!reply.endsWith("\r\n\r\n") && socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
        reply += socket.readAll();
    QCOMPARE(reply, QByteArray("NET.TXT 4\r\n\r\n"));
}

void TestPrinterSimProcess::answersDiscoveryOverUdp()
{
    QUdpSocket socket;
    QVERIFY(socket.bind(QHostAddress::LocalHost, 0));
    socket.writeDatagram("DIAGNOSTIC REPORT NETBROADCAST\r\n", QHostAddress::LocalHost, m_udpPort);
    QVERIFY(socket.waitForReadyRead(waitMs));
    const QByteArray reply = socket.receiveDatagram().data();
    QVERIFY(reply.startsWith("NET BROADCAST,"));
    for (const char *key :
        { "NET NAME:", "MODEL:", "SOFT:", "DHCP ", "IP ADDR:127.0.0.1,", "SUBNET:", "GATEWAY:", "MAC:" })
        QVERIFY2(reply.contains(key), key);

    // A settings datagram is applied without an answer; the next record shows it.
    socket.writeDatagram(
        "NET IP \"127.0.0.1\",\"255.255.255.0\",\"127.0.0.254\"\r\n", QHostAddress::LocalHost, m_udpPort);
    socket.writeDatagram("DIAGNOSTIC REPORT NETBROADCAST\r\n", QHostAddress::LocalHost, m_udpPort);
    QVERIFY(socket.waitForReadyRead(waitMs));
    const QByteArray changed = socket.receiveDatagram().data();
    QVERIFY2(changed.contains(",DHCP OFF,") && changed.contains(",GATEWAY:127.0.0.254,"), changed.constData());
}

QString TestPrinterSimProcess::usbDevicePath() const
{
    const auto printers = platform::scanUsbPrinters(platform::SysfsDeviceTree(m_sysfs.path()));
    return printers.size() == 1 ? printers.first().devicePath : QString();
}

QString TestPrinterSimProcess::usbHardwareId() const
{
    const auto printers = platform::scanUsbPrinters(platform::SysfsDeviceTree(m_sysfs.path()));
    return printers.size() == 1 ? printers.first().hardwareId : QString();
}

bool TestPrinterSimProcess::waitForUsbId(const QString &needle)
{
    QDeadlineTimer deadline(waitMs);
    while (!usbHardwareId().contains(needle)) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(20);
    }
    return true;
}

void TestPrinterSimProcess::usbEntryFollowsBootMode()
{
    const auto printers = platform::scanUsbPrinters(platform::SysfsDeviceTree(m_sysfs.path()));
    QCOMPARE(printers.size(), 1);
    const QString normalId = printers.first().hardwareId;
    QVERIFY(normalId.startsWith(QLatin1String("USBPRINT\\OXAL")));
    DeviceNode node(printers.first().devicePath);
    QVERIFY(node.isOpen());
    QVERIFY(node.write("DIAGNOSTIC REPORT DPI\r\n"));
    QCOMPARE(node.read(5), QByteArray("203\r\n"));

    // Each mode change takes the old node away and shows the printer on a new one.
    QVERIFY(node.write("INIAP OXALBOOT\r\n"));
    QVERIFY(waitForUsbId(QStringLiteral("USBPRINT\\OXAL_Printer_Boot")));
    QVERIFY(node.read(1, 200).isEmpty() && node.hungUp());
    DeviceNode boot(usbDevicePath());
    QVERIFY(boot.write(printersim::BootFrame { 2, {} }.encode()));
    const QByteArray reply = boot.read(13);
    QVERIFY(reply.size() > 12);
    QCOMPARE(int(reply[12]), 0);

    QVERIFY(boot.write(printersim::BootFrame { 7, {} }.encode()));
    QVERIFY(waitForUsbId(normalId));
    DeviceNode normal(usbDevicePath());
    QVERIFY(normal.write("DIAGNOSTIC REPORT DPI\r\n"));
    QCOMPARE(normal.read(5), QByteArray("203\r\n"));
}

// The transports carry out the fault switches: a dropped connection, a late
// reply, a scrambled discovery record.
void TestPrinterSimProcess::faultsReachTheWire()
{
    QTemporaryDir sysfs;
    printersim::SimConfig config;
    config.faults.closeMidTransfer = true;
    printersim::ServerOptions options;
    options.tcpPort = 0;
    options.udpPort = 0;
    options.usbSysfsRoot = sysfs.path();
    printersim::SimServer server(config, options);
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    const QByteArray download = "DOWNLOAD F,BIG.BIN,1000," + QByteArray(1000, 'b') + "\r\n";

    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server.tcpPort());
    QVERIFY(QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, waitMs));
    socket.write(download);
    QVERIFY(QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, waitMs));

    const QString oldPath = server.usbDevicePath();
    {
        DeviceNode node(oldPath);
        QVERIFY(node.write(download));
        node.read(1);
        QVERIFY(node.hungUp());
    }
    QCOMPARE(server.printer().store().find(printersim::Place::Flash, "BIG.BIN"), nullptr);
    // The printer is back on a fresh device node, and the scan points there.
    const auto printers = platform::scanUsbPrinters(platform::SysfsDeviceTree(sysfs.path()));
    QCOMPARE(printers.size(), 1);
    QVERIFY(printers.first().devicePath != oldPath);
    QCOMPARE(printers.first().devicePath, server.usbDevicePath());

    server.printer().faults().closeMidTransfer = false;
    server.printer().faults().answerDelayMs = 300;
    DeviceNode node(server.usbDevicePath());
    QVERIFY(node.write("DIAGNOSTIC REPORT DPI\r\n"));
    QCOMPARE(node.read(5, 150), QByteArray());
    QCOMPARE(node.read(5), QByteArray("203\r\n"));

    server.printer().faults().answerDelayMs = 0;
    server.printer().faults().garbage = true;
    QUdpSocket udp;
    QVERIFY(udp.bind(QHostAddress::LocalHost, 0));
    udp.writeDatagram("DIAGNOSTIC REPORT NETBROADCAST\r\n", QHostAddress::LocalHost, server.udpPort());
    QVERIFY(QTest::qWaitFor([&] { return udp.hasPendingDatagrams(); }, waitMs));
    const QByteArray scrambled = udp.receiveDatagram().data();
    QVERIFY(!scrambled.isEmpty() && !scrambled.contains("NET BROADCAST") && !scrambled.endsWith("\r\n"));
}

void TestPrinterSimProcess::followsLoopbackAddressChange()
{
    printersim::ServerOptions options;
    options.tcpPort = 0;
    options.udpPort = 0;
    printersim::SimServer server(printersim::SimConfig {}, options);
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    const quint16 port = server.tcpPort();
    QTcpSocket before;
    before.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(QTest::qWaitFor([&] { return before.state() == QAbstractSocket::ConnectedState; }, waitMs));

    QUdpSocket udp;
    QVERIFY(udp.bind(QHostAddress::LocalHost, 0));
    udp.writeDatagram(
        "NET IP \"127.0.0.9\",\"255.0.0.0\",\"127.0.0.1\"\r\n", QHostAddress::LocalHost, server.udpPort());
    QVERIFY(QTest::qWaitFor([&] { return server.describe().contains(QLatin1String("127.0.0.9")); }, waitMs));

    QTcpSocket after;
    after.connectToHost(QHostAddress(QStringLiteral("127.0.0.9")), port);
    QVERIFY(QTest::qWaitFor([&] { return after.state() == QAbstractSocket::ConnectedState; }, waitMs));
    // The connection made before the move still works.
    before.write("DIAGNOSTIC REPORT IP ADDRESS\r\n");
    QVERIFY(QTest::qWaitFor([&] { return before.bytesAvailable() >= 11; }, waitMs));
    QCOMPARE(before.readAll(), QByteArray("127.0.0.9\r\n"));

    // The printer still hears discovery where the program asks, and at its new
    // address; the record shows the new address.
    for (const char *asked : { "127.0.0.1", "127.0.0.9" }) {
        udp.writeDatagram(
            "DIAGNOSTIC REPORT NETBROADCAST\r\n", QHostAddress(QString::fromLatin1(asked)), server.udpPort());
        QVERIFY2(QTest::qWaitFor([&] { return udp.hasPendingDatagrams(); }, waitMs), asked);
        const QByteArray record = udp.receiveDatagram().data();
        QVERIFY2(record.contains(",IP ADDR:127.0.0.9,"), record.constData());
    }
}

QTEST_GUILESS_MAIN(TestPrinterSimProcess)
#include "tst_printer_sim_process.moc"
