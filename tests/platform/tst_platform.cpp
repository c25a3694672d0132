#include "platform/HardwareId.h"
#include "platform/SystemText.h"
#include "platform/UsbPrinters.h"
#include "support/FakeUsbTree.h"

#include <QtTest>

using namespace platform;

class TestPlatform : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void hardwareId_data()
    {
        QTest::addColumn<QByteArray>("deviceId");
        QTest::addColumn<QString>("hardwareId");
        QTest::newRow("Canon") << QByteArray("MFG:Canon;CMD:LIPSLX,CPCA;MDL:MF4010 Series;CLS:PRINTER;")
                               << QStringLiteral("USBPRINT\\CanonMF4010_Series58E4");
        QTest::newRow("Epson long keys") << QByteArray("MANUFACTURER:EPSON;COMMAND SET:ESCPL2;MODEL:SC-P600 Series;")
                                         << QStringLiteral("USBPRINT\\EPSONSC-P600_Series730C");
        QTest::newRow("cut to 20") << QByteArray("MFG:ABCDEFGHIJ;MDL:KLMNOPQRSTUVWXYZ;")
                                   << QStringLiteral("USBPRINT\\ABCDEFGHIJKLMNOPQRST%1")
                                          .arg(crc16Arc("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), 4, 16, QLatin1Char('0'))
                                          .toUpper();
        QTest::newRow("no maker, no model") << QByteArray("CMD:ZPL;CLS:PRINTER;") << QString();
    }
    void hardwareId()
    {
        QFETCH(QByteArray, deviceId);
        QFETCH(QString, hardwareId);
        QCOMPARE(usbPrintHardwareId(deviceId), hardwareId);
    }

    void systemTextRoundTrip()
    {
        const QString text = QStringLiteral("SIZE 60 mm,40 mm");
        QCOMPARE(toSystemBytes(text), QByteArray("SIZE 60 mm,40 mm"));
        QCOMPARE(fromSystemBytes(toSystemBytes(text)), text);
    }

    // Natural order, non-printer interfaces skipped, and the first printer
    // without a device id ends the scan.
    void scanOrderAndStop()
    {
        FakeUsbTree tree;
        QVERIFY(tree.isValid());
        tree.addPrinter(10, "MFG:Z;MDL:Ten;", QStringLiteral("/dev/null"));
        tree.addPrinter(2, "MFG:Z;MDL:Two;", QStringLiteral("usb/lp2"));
        tree.addPrinter(0, "MFG:Z;MDL:Zero;", QStringLiteral("/dev/null"));
        tree.addPrinter(1, "MFG:Z;MDL:Scanner;", QStringLiteral("/dev/null"), "08");
        tree.addPrinter(3, "", QStringLiteral("/dev/null"));
        tree.addPrinter(4, "MFG:Z;MDL:Four;", QStringLiteral("/dev/null"));

        const QList<UsbPrinterEntry> found = scanUsbPrinters(SysfsDeviceTree(tree.root(), QStringLiteral("/devroot")));
        QCOMPARE(found.size(), 2);
        QCOMPARE(found[0].portName, QStringLiteral("lp0"));
        QCOMPARE(found[0].hardwareId, usbPrintHardwareId("MFG:Z;MDL:Zero;"));
        QCOMPARE(found[1].portName, QStringLiteral("lp2"));
        QCOMPARE(found[1].devicePath, QStringLiteral("/devroot/usb/lp2"));
    }

    void emptyTree()
    {
        FakeUsbTree tree;
        QVERIFY(scanUsbPrinters(SysfsDeviceTree(tree.root())).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
