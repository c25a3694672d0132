#include "platform/UsbPrinters.h"
#include "printer-sim/BootFrame.h"
#include "support/FakeUsbTree.h"
#include "upgrade/job/BootProtocol.h"

#include <QTest>

using namespace upgrade;

class TestBootProtocol : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void framesMatchThePrinterBytes_data();
    void framesMatchThePrinterBytes();
    void blockNumbersWrapAndLengthsCount();
    void endAddressRefusesWhatPassesTheTop_data();
    void endAddressRefusesWhatPassesTheTop();
    void replyChecks_data();
    void replyChecks();
    void deviceSearchSkipsAnUnreadableInterface();
};

void TestBootProtocol::framesMatchThePrinterBytes_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("hex");
    QTest::newRow("query") << bootFrame(BootCode::Query) << QByteArray("1B 10 00 06 00 00 02 00 00 00 00 00 33");
    QTest::newRow("restart") << bootFrame(BootCode::Restart) << QByteArray("1B 10 00 06 00 00 07 00 00 00 00 00 38");
    const QByteArray range = rangePayload(*endAddress(0x12345));
    QTest::newRow("erase") << bootFrame(BootCode::Erase, range)
                           << QByteArray("1B 10 00 0F 00 00 03 00 00 00 00 09 00 60 02 00 00 60 03 23 45 73");
    QTest::newRow("verify") << bootFrame(BootCode::Verify, range)
                            << QByteArray("1B 10 00 0F 00 00 06 00 00 00 00 09 00 60 02 00 00 60 03 23 45 76");
    QTest::newRow("block 5") << bootFrame(BootCode::WriteBlock, blockPayload(5, "ABC"))
                             << QByteArray("1B 10 00 10 00 00 04 00 00 00 00 0A 00 00 00 00 05 00 03 41 42 43 17");
}

void TestBootProtocol::framesMatchThePrinterBytes()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, hex);
    QCOMPARE(frame.toHex(' ').toUpper(), hex);
}

void TestBootProtocol::blockNumbersWrapAndLengthsCount()
{
    const QByteArray full(blockSize, '\x5A');
    const QByteArray frame = bootFrame(BootCode::WriteBlock, blockPayload(299, full));
    QCOMPARE(frame.size(), 8212);
    QCOMPARE(frame.mid(2, 2), QByteArray("\x20\x0D"));
    QCOMPARE(frame.mid(10, 2), QByteArray("\x20\x07"));
    QCOMPARE(quint8(frame[12 + 4]), quint8(299 % 256));
    // The printer's own reading of the frame agrees.
    const auto scanned = printersim::BootFrame::scan(frame);
    QCOMPARE(scanned.scan, printersim::BootFrame::Scan::Complete);
    QVERIFY(scanned.sumMatches);
    QCOMPARE(quint8(blockPayload(256, "x")[4]), quint8(0));
    QCOMPARE(blockCount(8192), 1);
    QCOMPARE(blockCount(8193), 2);
    QCOMPARE(blockCount(300 * 8192 - 5), 300);
    QCOMPARE(imageSum(QByteArray(3, '\xFF')), quint32(765));
}

void TestBootProtocol::endAddressRefusesWhatPassesTheTop_data()
{
    QTest::addColumn<qint64>("length");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<quint32>("end");
    QTest::newRow("one block") << qint64(8192) << true << quint32(0x60022000);
    QTest::newRow("up to the top") << qint64(0x9FFDFFFF) << true << quint32(0xFFFFFFFF);
    QTest::newRow("one past the top") << qint64(0x9FFE0000) << false << quint32(0);
    QTest::newRow("beyond 32 bits") << qint64(0x1'0000'0000) << false << quint32(0);
    QTest::newRow("empty") << qint64(0) << false << quint32(0);
}

void TestBootProtocol::endAddressRefusesWhatPassesTheTop()
{
    QFETCH(qint64, length);
    QFETCH(bool, accepted);
    QFETCH(quint32, end);
    const auto result = endAddress(length);
    QCOMPARE(result.has_value(), accepted);
    if (accepted)
        QCOMPARE(*result, end);
}

void TestBootProtocol::replyChecks_data()
{
    using printersim::BootFrame;
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<int>("check");
    QTest::addColumn<QByteArray>("payload");
    const QByteArray good = BootFrame { 2, QByteArray("\x00\x60\x02\x00\x00", 5) }.encode();
    QTest::newRow("whole") << good << int(ReplyCheck::Complete) << QByteArray("\x00\x60\x02\x00\x00", 5);
    QTest::newRow("trailing bytes ignored")
        << good + "junk" << int(ReplyCheck::Complete) << QByteArray("\x00\x60\x02\x00\x00", 5);
    QTest::newRow("first half") << good.left(9) << int(ReplyCheck::Incomplete) << QByteArray();
    QTest::newRow("six bytes") << good.left(6) << int(ReplyCheck::Incomplete) << QByteArray();
    QTest::newRow("reply to another code")
        << BootFrame { 3, QByteArray(1, '\0') }.encode() << int(ReplyCheck::Invalid) << QByteArray();
    QByteArray badSum = good;
    badSum[badSum.size() - 1] = char(badSum.back() + 1);
    QTest::newRow("wrong checksum") << badSum << int(ReplyCheck::Invalid) << QByteArray();
    QByteArray badHeader = good;
    badHeader[1] = '\x11';
    QTest::newRow("wrong header") << badHeader << int(ReplyCheck::Invalid) << QByteArray();
    // A length field of 8486 (8492 counted from offset 6) in a 20-byte reply:
    // more than the read buffer can ever hold.
    QByteArray longField = good;
    longField[2] = char(0x21);
    longField[3] = char(0x2C);
    longField[10] = char(0x21);
    longField[11] = char(0x26);
    QTest::newRow("length beyond the buffer") << longField << int(ReplyCheck::Invalid) << QByteArray();
    QByteArray lengthsDisagree = good;
    lengthsDisagree[3] = char(lengthsDisagree[3] + 1);
    QTest::newRow("length fields disagree") << lengthsDisagree << int(ReplyCheck::Invalid) << QByteArray();
}

void TestBootProtocol::replyChecks()
{
    QFETCH(QByteArray, received);
    QFETCH(int, check);
    QFETCH(QByteArray, payload);
    const BootReply reply = checkReply(received, BootCode::Query);
    QCOMPARE(int(reply.check), check);
    QCOMPARE(reply.payload, payload);
}

void TestBootProtocol::deviceSearchSkipsAnUnreadableInterface()
{
    FakeUsbTree tree;
    tree.addPrinter(0, {}, QStringLiteral("/dev/usb/lp0"));
    tree.addPrinter(1, "MFG:OXAL_;CMD:BOOT;MDL:Printer Boot;CLS:PRINTER;", QStringLiteral("/dev/usb/lp1"));
    tree.addPrinter(2, "MFG:OXAL;CMD:TSPL;MDL:OX-420T;CLS:PRINTER;", QStringLiteral("/dev/usb/lp2"));
    const platform::SysfsDeviceTree sysfs(tree.root());
    // The scan stops at lp0, the search goes on past it.
    QVERIFY(platform::scanUsbPrinters(sysfs).isEmpty());
    const auto boot = platform::findUsbPrinter(sysfs, QStringLiteral("USBPRINT\\OXAL_Printer_Boot"));
    QVERIFY(boot.has_value());
    QCOMPARE(boot->devicePath, QStringLiteral("/dev/usb/lp1"));
    const auto normal = platform::findUsbPrinter(sysfs, QStringLiteral("OX-420T"));
    QVERIFY(normal.has_value());
    QCOMPARE(normal->devicePath, QStringLiteral("/dev/usb/lp2"));
    QVERIFY(!platform::findUsbPrinter(sysfs, QStringLiteral("USBPRINT\\oxal")).has_value());
    QVERIFY(!platform::findUsbPrinter(sysfs, QString()).has_value());
}

QTEST_GUILESS_MAIN(TestBootProtocol)
#include "tst_bootprotocol.moc"
