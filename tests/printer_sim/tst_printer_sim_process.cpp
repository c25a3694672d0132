#include "platform/HardwareId.h"
#include "platform/UsbPrinters.h"
#include "printer-sim/BootFrame.h"
#include "printer-sim/CommandLine.h"

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
    {
    }
    ~DeviceNode()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    bool write(const QByteArray &bytes) { return ::write(m_fd, bytes.constData(), bytes.size()) == bytes.size(); }
    // Reads until `count` bytes came or the wait ran out.
    QByteArray read(qsizetype count, int ms = waitMs)
    {
        QByteArray data;
        QDeadlineTimer deadline(ms);
        pollfd entry{m_fd, POLLIN, 0};
        while (data.size() < count && ::poll(&entry, 1, static_cast<int>(deadline.remainingTime())) > 0) {
            char buffer[4096];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            data.append(buffer, n);
        }
        return data;
    }

private:
    int m_fd;
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

private:
    QString usbHardwareId() const;
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
                {QStringLiteral("--address"), QStringLiteral("127.0.0.1"), QStringLiteral("--port"), QStringLiteral("0"),
                 QStringLiteral("--udp-port"), QStringLiteral("0"), QStringLiteral("--usb-sysfs"), m_sysfs.path(),
                 QStringLiteral("--boot-delay"), QStringLiteral("300"), QStringLiteral("--boot-leave-delay"),
                 QStringLiteral("300")});
    QVERIFY(m_sim.waitForStarted(waitMs));
    QDeadlineTimer deadline(waitMs);
    while (!m_sim.canReadLine() && !deadline.hasExpired())
        m_sim.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    const QString ready = QString::fromLocal8Bit(m_sim.readLine());
    const auto match = QRegularExpression(QStringLiteral("TCP 127\\.0\\.0\\.1:(\\d+), UDP 127\\.0\\.0\\.1:(\\d+), USB ")).match(ready);
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
    help.start(QStringLiteral(SIM_EXECUTABLE), {QStringLiteral("--help")});
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
        {QStringLiteral("sim"), QStringLiteral("--address"), QStringLiteral("127.0.0.7"), QStringLiteral("--no-wifi"),
         QStringLiteral("--peeler"), QStringLiteral("--slow"), QStringLiteral("250"), QStringLiteral("--garbage"),
         QStringLiteral("--wrong-verify-sum"), QStringLiteral("--status"), QStringLiteral("0x05"),
         QStringLiteral("--boot-delay"), QStringLiteral("10")});
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
    QTest::newRow("lan address") << QStringList{QStringLiteral("--address"), QStringLiteral("192.168.1.5")};
    QTest::newRow("any address") << QStringList{QStringLiteral("--address"), QStringLiteral("0.0.0.0")};
    QTest::newRow("port") << QStringList{QStringLiteral("--port"), QStringLiteral("70000")};
    QTest::newRow("status") << QStringList{QStringLiteral("--status"), QStringLiteral("256")};
    QTest::newRow("unknown") << QStringList{QStringLiteral("--colour")};
}

void TestPrinterSimProcess::commandLineRefusals()
{
    QFETCH(QStringList, arguments);
    QVERIFY(!printersim::parseCommandLine(QStringList{QStringLiteral("sim")} + arguments).error.isEmpty());
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
    for (const char *key : {"NET NAME:", "MODEL:", "SOFT:", "DHCP ", "IP ADDR:127.0.0.1,", "SUBNET:", "GATEWAY:", "MAC:"})
        QVERIFY2(reply.contains(key), key);

    // A settings datagram is applied without an answer; the next record shows it.
    socket.writeDatagram("NET IP \"127.0.0.1\",\"255.255.255.0\",\"127.0.0.254\"\r\n", QHostAddress::LocalHost, m_udpPort);
    socket.writeDatagram("DIAGNOSTIC REPORT NETBROADCAST\r\n", QHostAddress::LocalHost, m_udpPort);
    QVERIFY(socket.waitForReadyRead(waitMs));
    const QByteArray changed = socket.receiveDatagram().data();
    QVERIFY2(changed.contains(",DHCP OFF,") && changed.contains(",GATEWAY:127.0.0.254,"), changed.constData());
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

    QVERIFY(node.write("INIAP OXALBOOT\r\n"));
    QVERIFY(waitForUsbId(QStringLiteral("USBPRINT\\OXAL_Printer_Boot")));
    QVERIFY(node.write(printersim::BootFrame{2, {}}.encode()));
    const QByteArray reply = node.read(13);
    QVERIFY(reply.size() > 12);
    QCOMPARE(int(reply[12]), 0);

    QVERIFY(node.write(printersim::BootFrame{7, {}}.encode()));
    QVERIFY(waitForUsbId(normalId));
    QVERIFY(node.write("DIAGNOSTIC REPORT DPI\r\n"));
    QCOMPARE(node.read(5), QByteArray("203\r\n"));
}

QTEST_GUILESS_MAIN(TestPrinterSimProcess)
#include "tst_printer_sim_process.moc"
