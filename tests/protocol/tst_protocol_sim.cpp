#include "connection/CDeviceInterface.h"
#include "protocol/ParameterPasses.h"
#include "protocol/PrinterParameters.h"
#include "protocol/StorageCommands.h"
#include "support/RecordingProgress.h"
#include "support/SimPrinterProcess.h"

#include <QElapsedTimer>
#include <QTest>

using namespace protocol;

// The protocol layer against the simulated printer, through the port object
// over TCP on a loopback address.
class ProtocolSimTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void readingPassFillsTheRecord();
    void writingPassesChangeWhatIsReadBack();
    void storageRoundTrip();

private:
    PrinterParameters readAll();

    SimPrinterProcess m_sim;
    CDeviceInterface m_port;
};

void ProtocolSimTest::initTestCase()
{
    QVERIFY2(m_sim.start(QStringLiteral(SIM_EXECUTABLE)), qPrintable(m_sim.errorText()));
    QVERIFY(m_sim.connectPort(m_port));
}

PrinterParameters ProtocolSimTest::readAll()
{
    PrinterParameters params;
    RecordingProgress progress;
    QElapsedTimer timer;
    timer.start();
    readAllParameters(m_port, params, progress);
    qInfo("reading pass: %lld ms", static_cast<long long>(timer.elapsed()));
    if (progress.positionCount() != 64 || progress.lastPosition() != 64)
        qWarning("reading pass reported %d positions", progress.positionCount());
    return params;
}

void ProtocolSimTest::readingPassFillsTheRecord()
{
    const PrinterParameters p = readAll();
    QCOMPARE(p.statusByte, 0);
    QCOMPARE(p.model, QStringLiteral("OX-420T"));
    QCOMPARE(p.version, QStringLiteral("V1.21"));
    QCOMPARE(p.dpi, 203);
    QCOMPARE(p.paperWidth, 100);
    QCOMPARE(p.paperHeight, 50);
    QCOMPARE(p.speed, 4);
    QCOMPARE(p.zFeedHeadClose, 1);
    QCOMPARE(p.baudRate, 115200);
    QCOMPARE(p.netIp, m_sim.address()); // the printer reports where it serves
    QCOMPARE(p.btName, QStringLiteral("OX-420T-BT"));
    QCOMPARE(p.serialQueried + p.networkQueried + p.bluetoothQueried + p.wifiQueried, 4);
    QCOMPARE(p.hasWifi + p.hasCutter + p.hasBluetooth + p.hasEthernet + p.hasSerial, 5);
    QCOMPARE(p.hasPeeler, 0);
    QCOMPARE(p.cutMode, 1);
    QCOMPARE(p.cutBack, 1);
    QCOMPARE(p.cutReverse, 1);
    QCOMPARE(p.cutBackLen, 40);
}

void ProtocolSimTest::writingPassesChangeWhatIsReadBack()
{
    PrinterParameters p = readAll();
    p.speed = 6;
    p.density = 11;
    p.paperWidth = 80;
    p.paperHeight = 40;
    p.ribbonErrLen = QStringLiteral("HIGHT");
    p.ribbonEnd = 0;
    p.zDarkness = 22;
    p.zFeedHeadClose = 3;
    p.zPosition = -5;
    p.zLabelWidth = 7;
    p.baudRate = 9600;
    p.wifiSsid = QStringLiteral("Shop floor");
    p.wifiPassword = QStringLiteral("pa55");
    p.wifiDhcp = 0;
    p.wifiIp = QStringLiteral("127.0.0.9");
    p.wifiMask = QStringLiteral("255.0.0.0");
    p.wifiGateway = QStringLiteral("127.0.0.1");
    p.cutMode = 2;
    p.cutBack = 2;
    p.cutReverse = 2;
    p.cutBackLen = 24;
    RecordingProgress progress;
    for (OptionsPage page :
        { OptionsPage::Basic, OptionsPage::SecondDialect, OptionsPage::Serial, OptionsPage::Wifi, OptionsPage::Cutter })
        writePageParameters(m_port, p, static_cast<int>(page), progress);

    const PrinterParameters back = readAll();
    QCOMPARE(back.speed, 6);
    QCOMPARE(back.density, 11);
    QCOMPARE(back.paperWidth, 80);
    QCOMPARE(back.paperHeight, 40);
    QCOMPARE(back.ribbonErrLen, QStringLiteral("HIGHT"));
    QCOMPARE(back.ribbonEnd, 0);
    QCOMPARE(back.zDarkness, 22);
    QCOMPARE(back.zFeedHeadClose, 3);
    QCOMPARE(back.zPosition, -5);
    QCOMPARE(back.zLabelWidth, 7);
    QCOMPARE(back.baudRate, 9600);
    QCOMPARE(back.wifiSsid, p.wifiSsid);
    QCOMPARE(back.wifiPassword, p.wifiPassword);
    QCOMPARE(back.wifiDhcp, 0);
    QCOMPARE(back.wifiIp, p.wifiIp);
    QCOMPARE(back.cutMode, 2);
    QCOMPARE(back.cutBack, 2);
    QCOMPARE(back.cutReverse, 2);
    QCOMPARE(back.cutBackLen, 24);
}

void ProtocolSimTest::storageRoundTrip()
{
    PrinterParameters p;
    QVERIFY(queryFreeSpace(m_port, p, MemoryPlace::Dram));
    const qint32 freeBefore = p.dramFree;

    // Enough files that the list no longer fits one 1024-byte read.
    constexpr int fileCount = 120;
    RecordingProgress progress;
    for (int i = 0; i < fileCount; ++i)
        downloadFile(m_port, QStringLiteral("DRAM"), QStringLiteral("LABEL%1.BAS").arg(i, 3, 10, QLatin1Char('0')),
            QByteArray(100 + i, 'x'), progress);
    QVERIFY(queryFileList(m_port, p, MemoryPlace::Dram));
    QCOMPARE(p.dramFiles.size(), fileCount);
    QCOMPARE(p.dramFiles.first(), (FileEntry { QStringLiteral("LABEL000.BAS"), 100 }));
    QCOMPARE(p.dramFiles.last(), (FileEntry { QStringLiteral("LABEL119.BAS"), 219 }));
    QVERIFY(queryFreeSpace(m_port, p, MemoryPlace::Dram));
    QVERIFY(p.dramFree < freeBefore);

    QVERIFY(deleteFile(m_port, MemoryPlace::Dram, QStringLiteral("LABEL000.BAS")));
    QVERIFY(queryFileList(m_port, p, MemoryPlace::Dram));
    QCOMPARE(p.dramFiles.size(), fileCount - 1);
    QVERIFY(deleteAllFiles(m_port, MemoryPlace::Dram));
    QVERIFY(queryFileList(m_port, p, MemoryPlace::Dram));
    QVERIFY(p.dramFiles.isEmpty());
    QVERIFY(queryTotalSize(m_port, p, MemoryPlace::Flash));
    QCOMPARE(p.flashTotal, 4096);
}

QTEST_GUILESS_MAIN(ProtocolSimTest)
#include "tst_protocol_sim.moc"
