#include "connection/CDeviceInterface.h"
#include "connection/transports/SerialTransport.h"
#include "connection/transports/TcpTransport.h"
#include "platform/HardwareId.h"
#include "support/FakeTransport.h"
#include "support/FakeUsbTree.h"
#include "support/LoopbackServer.h"
#include "support/PseudoTerminal.h"
#include "support/TrafficLogRecorder.h"

#include <QtTest>

#include <chrono>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <termios.h>

namespace {

PortSettings pathPort(const QString &path, const QString &pipe = {})
{
    PortSettings settings;
    settings.kind = PortKind::Path;
    settings.path = path;
    settings.pipe = pipe;
    return settings;
}

// The output speed of a terminal as another opener sees it.
speed_t lineSpeed(const QString &devicePath)
{
    const int fd = ::open(QFile::encodeName(devicePath).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio {};
    const bool read = fd >= 0 && ::tcgetattr(fd, &tio) == 0;
    if (fd >= 0)
        ::close(fd);
    return read ? ::cfgetospeed(&tio) : speed_t(0);
}

} // namespace

class TestDeviceInterface : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The port logs every transfer its transport made, as the transport
    // reports it, and nothing for one that took no place. A transport
    // result of "none" is a transfer that took no place.
    void logsWhatTheTransportMoved_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<QByteArray>("bytes"); // written, or handed out by the read
        QTest::addColumn<QVariant>("reported"); // the transport's result when no bytes come back
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("lines");
        const QVariant none;
        QTest::newRow("command written") << true << QByteArray("SELFTEST\r\n") << QVariant(10) << 10
                                         << QStringList {
                                                "Write: SELFTEST[CRLF]( Hex: 53 45 4C 46 54 45 53 54 0D 0A  )"
                                            };
        QTest::newRow("nothing written") << true << QByteArray() << QVariant(0) << 0
                                         << QStringList { "Write: ( Hex:  )" };
        QTest::newRow("write took no place") << true << QByteArray("\x1b!?") << none << 0 << QStringList();
        QTest::newRow("failed send") << true << QByteArray("AB") << QVariant(0) << 0
                                     << QStringList { "Write failed: AB( Hex: 41 42  )" };
        QTest::newRow("short write") << true << QByteArray("AB") << QVariant(1) << 1
                                     << QStringList { "Write failed: AB( Hex: 41 42  )" };
        QTest::newRow("reply read") << false << QByteArray("OK\r\n") << none << 4
                                    << QStringList { "Read: OK[CRLF]( Hex: 4F 4B 0D 0A  )" };
        QTest::newRow("read timed out") << false << QByteArray() << none << 0 << QStringList();
        QTest::newRow("peer closed") << false << QByteArray() << QVariant(0) << 0 << QStringList { "Read: ( Hex:  )" };
        QTest::newRow("connection error")
            << false << QByteArray() << QVariant(-1) << -1 << QStringList { "Read: ( Hex:  )" };
    }
    void logsWhatTheTransportMoved()
    {
        QFETCH(bool, write);
        QFETCH(QByteArray, bytes);
        QFETCH(QVariant, reported);
        const TransferResult transportResult
            = reported.isValid() ? TransferResult(reported.toInt()) : TransferResult(std::nullopt);
        CDeviceInterface port;
        FakeTransport &line = FakeTransport::install(port, PortKind::Path);
        QVERIFY(port.Open(pathPort(QStringLiteral("/dev/fake"))));
        TrafficLogRecorder log;
        if (write) {
            line.setWriteResult(transportResult);
            QTEST(port.Write(bytes.constData(), qint32(bytes.size())), "result");
            QCOMPARE(line.writeTimeouts(), QList<int> { CDeviceInterface::writeTimeoutMs });
        } else {
            if (bytes.isEmpty())
                line.queueResult(transportResult);
            else
                line.queueRead(bytes);
            char buffer[16] = {};
            QTEST(port.Read(buffer, sizeof buffer, 750), "result");
            QCOMPARE(QByteArray(buffer, bytes.size()), bytes);
            QCOMPARE(line.readCapacities(), QList<qint32> { 16 });
            QCOMPARE(line.readWaits(), QList<int> { 750 });
        }
        QTEST(log.lines(), "lines");
    }

    // What waits in the input is dropped in one logged line, taking only what
    // has arrived; right after a read that came back empty it waits out the
    // rest of the time a late reply may take.
    void discardInputDropsWhatWaits_data()
    {
        QTest::addColumn<bool>("missedRead");
        QTest::newRow("after an answered read") << false;
        QTest::newRow("after a missed read") << true;
    }
    void discardInputDropsWhatWaits()
    {
        QFETCH(bool, missedRead);
        CDeviceInterface port;
        FakeTransport &line = FakeTransport::install(port, PortKind::Path);
        QVERIFY(port.Open(pathPort(QStringLiteral("/dev/fake"))));
        char buffer[16];
        if (missedRead)
            line.queueResult(std::nullopt);
        else
            line.queueRead("OK\r\n");
        port.Read(buffer, sizeof buffer, 500);
        line.queueRead("203\r\n");
        line.queueRead("\x05");
        TrafficLogRecorder log;
        QCOMPARE(port.DiscardInput(), 6);
        QCOMPARE(log.lines(), QStringList { "Dropped: ( Hex: 32 30 33 0D 0A 05  )" });
        const QList<int> waits = line.readWaits().mid(1);
        QCOMPARE(waits.size(), 3); // two with bytes, one that found nothing
        QCOMPARE(waits.mid(1), (QList<int> { 0, 0 }));
        if (missedRead)
            QVERIFY(waits[0] > CDeviceInterface::lateReplyMs / 2 && waits[0] <= CDeviceInterface::lateReplyMs);
        else
            QCOMPARE(waits[0], 0);

        // Nothing waiting: nothing dropped, nothing logged, no wait.
        log.clear();
        QCOMPARE(port.DiscardInput(), 0);
        QCOMPARE(line.readWaits().last(), 0);
        QVERIFY(log.lines().isEmpty());
    }

    // Each kind has a transport of its own. The kind of the last Open routes
    // writes, reads and IsOpen, also when that Open failed; an Open leaves the
    // other kinds' handles alone, and Close closes them all.
    void routesByTheKindOfTheLastOpen()
    {
        CDeviceInterface port;
        FakeTransport &usb = FakeTransport::install(port, PortKind::Usb);
        FakeTransport &net = FakeTransport::install(port, PortKind::Net);
        FakeTransport &com = FakeTransport::install(port, PortKind::Com);
        FakeTransport &path = FakeTransport::install(port, PortKind::Path);

        PortSettings serial;
        serial.kind = PortKind::Com;
        serial.comNumber = 4;
        QVERIFY(port.Open(serial));
        QCOMPARE(com.opens().size(), 1);
        QCOMPARE(com.opens().first().comNumber, 4);
        QVERIFY(port.IsOpen());
        QCOMPARE(port.Write("C", 1), 1);

        path.setOpensSucceed(false);
        QVERIFY(!port.Open(pathPort(QStringLiteral("/dev/fake"))));
        QVERIFY(!port.IsOpen());
        QCOMPARE(port.Write("P", 1), 0);
        QVERIFY(com.isOpen());
        QCOMPARE(com.written(), QByteArray("C"));

        PortSettings lpt;
        lpt.kind = PortKind::Lpt;
        QVERIFY(!port.Open(lpt));
        QVERIFY(!port.IsOpen());
        QCOMPARE(port.Write("L", 1), 0);
        QVERIFY(usb.opens().isEmpty() && net.opens().isEmpty());
        QCOMPARE(path.opens().size(), 1);

        port.Close();
        for (const FakeTransport *line : { &usb, &net, &com, &path })
            QCOMPARE(line->closes(), 1);
        QVERIFY(!com.isOpen());
    }

    // COM n on a terminal standing in for the serial line: bytes pass, and the
    // mode text is applied at open; a text that cannot be read leaves the
    // line's speed as it was.
    void serialLineTakesItsMode_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("applied");
        QTest::newRow("19200 7E1") << "baud=19200 parity=E data=7 stop=1" << true;
        QTest::newRow("unreadable") << "baud=12345" << false;
    }
    void serialLineTakesItsMode()
    {
        QFETCH(QString, mode);
        PseudoTerminal line;
        QVERIFY(line.isValid());
        const speed_t before = lineSpeed(line.devicePath());
        QVERIFY(before != B19200);
        qint32 askedFor = 0;
        CDeviceInterface port;
        port.setTransport(PortKind::Com, std::make_unique<SerialTransport>(mode, [&](qint32 comNumber) {
            askedFor = comNumber;
            return line.devicePath();
        }));
        PortSettings serial;
        serial.kind = PortKind::Com;
        serial.comNumber = 3;
        QVERIFY(port.Open(serial));
        QCOMPARE(askedFor, 3);
        QFETCH(bool, applied);
        QCOMPARE(lineSpeed(line.devicePath()), applied ? speed_t(B19200) : before);
        QCOMPARE(port.Write("AB", 2), 2);
        QCOMPARE(line.takeWritten(), QByteArray("AB"));
        QCOMPARE(SerialTransport::systemDevice(1), QStringLiteral("/dev/ttyS0"));
    }

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
        QTRY_COMPARE(log.lines(),
            QStringList({ "Write: SELFTEST[CRLF]( Hex: 53 45 4C 46 54 45 53 54 0D 0A  )",
                "Read: OK[CRLF]( Hex: 4F 4B 0D 0A  )" }));
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

    void usbNodeRemovedDuringARead_data()
    {
        QTest::addColumn<int>("removeAfterMs");
        QTest::newRow("before the read") << 0;
        QTest::newRow("while the read waits") << 200;
    }
    // The read ends when the node goes, not at the end of its wait, says so
    // once, and the port opens the printer again once its node is back.
    void usbNodeRemovedDuringARead()
    {
        QFETCH(int, removeAfterMs);
        auto printer = std::make_unique<PseudoTerminal>();
        FakeUsbTree tree;
        const QByteArray id = "MFG:OXAL;MDL:LP-42;";
        tree.addPrinter(0, id, printer->devicePath());
        qputenv("OSTREL_SYSFS_ROOT", QFile::encodeName(tree.root()));
        PortSettings usb;
        usb.usbDeviceId = platform::usbPrintHardwareId(id);
        CDeviceInterface port;
        QVERIFY(port.Open(usb));

        TrafficLogRecorder log;
        if (removeAfterMs == 0)
            printer->hangUp();
        std::thread remover([&printer, removeAfterMs] {
            if (removeAfterMs > 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(removeAfterMs));
                printer->hangUp();
            }
        });
        char buffer[16];
        QElapsedTimer clock;
        clock.start();
        const qint32 count = port.Read(buffer, sizeof buffer, 3000);
        const qint64 elapsed = clock.elapsed();
        remover.join();
        QCOMPARE(count, 0);
        QVERIFY2(elapsed < removeAfterMs + 1000, qPrintable(QString::number(elapsed)));
        QVERIFY(!port.IsOpen());
        const QString gone = QStringLiteral("The printer's device node is gone (unplugged or switched off).");
        QTRY_COMPARE(log.lines().count(gone), 1);
        QCOMPARE(port.Read(buffer, sizeof buffer, 100), 0);
        QCOMPARE(port.Write("Z", 1), 0);
        QCoreApplication::processEvents();
        QCOMPARE(log.lines().count(gone), 1);

        printer = std::make_unique<PseudoTerminal>();
        tree.addPrinter(0, id, printer->devicePath());
        QVERIFY(port.Open(usb));
        QCOMPARE(port.Write("Z", 1), 1);
        QCOMPARE(printer->takeWritten(), QByteArray("Z"));
        QVERIFY(printer->answer("OK"));
        QCOMPARE(port.Read(buffer, sizeof buffer, 1000), 2);
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
        QCOMPARE(log.lines(), QStringList { "Read: ( Hex:  )" });
        port.Close();
    }

    // The network transport opens at once and reads with its own wait,
    // whatever the caller asks; a send or receive without a connection is
    // still a transfer (the port object logs it).
    void tcpTransportKeepsItsOwnReadWait()
    {
        LoopbackServer server;
        QVERIFY(server.listen(0));
        TcpTransport transport(server.port());
        PortSettings net;
        net.kind = PortKind::Net;
        net.ipAddress = QStringLiteral("127.0.0.1");
        QElapsedTimer clock;
        clock.start();
        QVERIFY(transport.open(net));
        QVERIFY(clock.elapsed() < 500);
        QTRY_VERIFY_WITH_TIMEOUT(transport.isOpen(), 4000);
        QVERIFY(server.accept());

        char buffer[8];
        clock.restart();
        QCOMPARE(transport.read(buffer, sizeof buffer, 5000), TransferResult(0));
        QVERIFY2(clock.elapsed() >= TcpTransport::readWaitMs - 10 && clock.elapsed() < 3000,
            QByteArray::number(clock.elapsed()));

        transport.close();
        QVERIFY(!transport.isOpen());
        QCOMPARE(transport.write("A", 1, 2000), TransferResult(0));
        QCOMPARE(transport.read(buffer, sizeof buffer, 10), TransferResult(0));
    }
};

QTEST_GUILESS_MAIN(TestDeviceInterface)
#include "tst_deviceinterface.moc"
