#include "connection/CDeviceInterface.h"
#include "platform/HardwareId.h"
#include "support/FakeUsbTree.h"
#include "support/PseudoTerminal.h"
#include "support/TrafficLogRecorder.h"

#include <QtTest>

namespace {

PortSettings pathPort(const QString &path, const QString &pipe = {})
{
    PortSettings settings;
    settings.kind = PortKind::Path;
    settings.path = path;
    settings.pipe = pipe;
    return settings;
}

} // namespace

class TestDeviceInterface : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pathWriteAndRead()
    {
        PseudoTerminal printer;
        QVERIFY(printer.isValid());
        TrafficLogRecorder log;
        CDeviceInterface port;
        QVERIFY(port.Open(pathPort(printer.devicePath())));
        QVERIFY(port.IsOpen());

        QCOMPARE(port.Write("SELFTEST\r\n", 10), 10);
        QCOMPARE(printer.takeWritten(), QByteArray("SELFTEST\r\n"));
        QVERIFY(printer.answer("OK\r\n"));
        char reply[16];
        QCOMPARE(port.Read(reply, sizeof reply, 1000), 4);
        QCOMPARE(QByteArray(reply, 4), QByteArray("OK\r\n"));
        QTRY_COMPARE(log.lines(), QStringList({"Write: SELFTEST[CRLF]( Hex: 53 45 4C 46 54 45 53 54 0D 0A  )",
                                               "Read: OK[CRLF]( Hex: 4F 4B 0D 0A  )"}));
        port.Close();
        QVERIFY(!port.IsOpen());
        QCOMPARE(port.Write("X", 1), 0);
    }

    // Reads go to the read pipe, writes to the write pipe; pipe names are
    // compared without regard to case.
    void pipesRouteReadsAndWrites()
    {
        PseudoTerminal readSide;
        PseudoTerminal writeSide;
        CDeviceInterface port;
        QVERIFY(port.Open(pathPort(readSide.devicePath(), QStringLiteral("pipe00"))));
        QVERIFY(port.Open(pathPort(writeSide.devicePath(), QStringLiteral("PIPE01"))));

        QCOMPARE(port.Write("AB", 2), 2);
        QCOMPARE(writeSide.takeWritten(), QByteArray("AB"));
        QCOMPARE(readSide.takeWritten(100), QByteArray());

        QVERIFY(readSide.answer("R"));
        QVERIFY(writeSide.answer("W"));
        char byte = 0;
        QCOMPARE(port.Read(&byte, 1, 1000), 1);
        QCOMPARE(byte, 'R');
    }

    // With a write pipe open, reads go to the read pipe even when it is empty
    // and the main handle has data waiting.
    void writePipeAloneReadsNothing()
    {
        PseudoTerminal main;
        PseudoTerminal writeSide;
        CDeviceInterface port;
        QVERIFY(port.Open(pathPort(main.devicePath())));
        QVERIFY(port.Open(pathPort(writeSide.devicePath(), QStringLiteral("PIPE01"))));
        QVERIFY(main.answer("X"));
        char byte = 0;
        QCOMPARE(port.Read(&byte, 1, 100), 0);
    }

    void timeOutsReturnZeroWithoutLogLine()
    {
        PseudoTerminal printer;
        TrafficLogRecorder log;
        CDeviceInterface port;
        QVERIFY(port.Open(pathPort(printer.devicePath())));
        char buffer[8];
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(port.Read(buffer, sizeof buffer, 200), 0);
        QVERIFY(clock.elapsed() >= 190);

        // Nobody drains the terminal: the write stalls and is given up.
        const QByteArray big(4 * 1024 * 1024, 'x');
        clock.restart();
        QCOMPARE(port.Write(big.constData(), big.size()), 0);
        QVERIFY(clock.elapsed() >= CDeviceInterface::writeTimeoutMs - 10);
        QVERIFY(clock.elapsed() < CDeviceInterface::writeTimeoutMs + 2000);
        QCoreApplication::processEvents();
        QVERIFY(log.lines().isEmpty());
    }

    void failedOpens()
    {
        CDeviceInterface port;
        PortSettings lpt;
        lpt.kind = PortKind::Lpt;
        QVERIFY(!port.Open(lpt));
        QVERIFY(!port.IsOpen());
        QVERIFY(!port.Open(pathPort(QStringLiteral("/nonexistent/device"))));
        QVERIFY(!port.IsOpen());
        char byte = 0;
        QCOMPARE(port.Read(&byte, 1, 10), 0);
    }

    // Two printers with one id: the one listed last is opened. A printer
    // that cannot tell its id hides the ones after it.
    void usbOpensLastExactMatch()
    {
        PseudoTerminal first;
        PseudoTerminal second;
        PseudoTerminal hidden;
        FakeUsbTree tree;
        const QByteArray id = "MFG:OXAL;MDL:LP-42;";
        tree.addPrinter(0, id, first.devicePath());
        tree.addPrinter(1, id, second.devicePath());
        tree.addPrinter(2, "", QStringLiteral("/dev/null"));
        tree.addPrinter(3, "MFG:OXAL;MDL:Other;", hidden.devicePath());
        qputenv("OSTREL_SYSFS_ROOT", QFile::encodeName(tree.root()));

        const QList<UsbPrinterEntry> printers = CDeviceInterface::ScanUsbPrinters();
        QCOMPARE(printers.size(), 2);

        PortSettings usb;
        usb.usbDeviceId = platform::usbPrintHardwareId(id);
        CDeviceInterface port;
        QVERIFY(port.Open(usb));
        QCOMPARE(port.Write("Z", 1), 1);
        QCOMPARE(second.takeWritten(), QByteArray("Z"));
        QCOMPARE(first.takeWritten(50), QByteArray());
        port.Close();

        usb.usbDeviceId = usb.usbDeviceId.toLower();
        QVERIFY(!port.Open(usb));
        usb.usbDeviceId = platform::usbPrintHardwareId("MFG:OXAL;MDL:Other;");
        QVERIFY(!port.Open(usb));
        qunsetenv("OSTREL_SYSFS_ROOT");
    }

    void netOpensAtOnceAndConnectsLater()
    {
        PortSettings net;
        net.kind = PortKind::Net;
        net.ipAddress = QStringLiteral("127.0.0.77"); // nothing listens there
        CDeviceInterface port;
        QVERIFY(port.Open(net));
        QVERIFY(!port.IsOpen());
        char byte = 0;
        TrafficLogRecorder log;
        QCOMPARE(port.Read(&byte, 1, 5000), 0);
        QCOMPARE(log.lines(), QStringList{"Read: ( Hex:  )"});
        port.Close();
    }
};

QTEST_GUILESS_MAIN(TestDeviceInterface)
#include "tst_deviceinterface.moc"
