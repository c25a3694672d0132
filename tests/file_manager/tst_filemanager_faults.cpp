#include "connection/CDeviceInterface.h"
#include "file_manager/jobs/FileManagerJobs.h"
#include "protocol/PrinterParameters.h"
#include "support/ProgressWithHook.h"
#include "support/SimPrinterProcess.h"
#include "support/TrafficLogRecorder.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace file_manager;

namespace {

const QString simExecutable = QStringLiteral(SIM_EXECUTABLE);

bool logHas(const TrafficLogRecorder &log, const QString &line)
{
    return log.lines().contains(line);
}

} // namespace

// The file manager's jobs against the simulated printer's fault switches and
// a printer killed mid-job: each ends within its waits, says why in the
// traffic log, and the same port serves the printer once it is back.
class FileManagerFaultsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void readMemoryUnderFaults_data();
    void readMemoryUnderFaults();
    void downloadUnderFaults_data();
    void downloadUnderFaults();

private:
    void portServesTheRestartedPrinter(SimPrinterProcess &sim, CDeviceInterface &port);
    QTemporaryDir m_dir;
};

void FileManagerFaultsTest::portServesTheRestartedPrinter(SimPrinterProcess &sim, CDeviceInterface &port)
{
    sim.stop();
    QVERIFY2(sim.restart(simExecutable), qPrintable(sim.errorText()));
    PrinterParameters params;
    RecordingProgress progress;
    QTRY_VERIFY_WITH_TIMEOUT(
        readMemory(port, params, protocol::MemoryPlace::Dram, progress) == MemoryReadEnd::Complete, 10000);
    QVERIFY(params.dramTotal > 0);
}

void FileManagerFaultsTest::readMemoryUnderFaults_data()
{
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<qint32>("killAt"); // position at which the printer dies, 0: never
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("logged");
    const QString silent
        = QStringLiteral("Reading memory stopped: the printer does not answer or its answer is not understood.");
    QTest::newRow("silent") << QStringList { QStringLiteral("--no-answer") } << 0 << int(MemoryReadEnd::NoAnswer)
                            << silent;
    QTest::newRow("garbage") << QStringList { QStringLiteral("--garbage") } << 0 << int(MemoryReadEnd::NoAnswer)
                             << silent;
    QTest::newRow("killed after the size") << QStringList() << 1 << int(MemoryReadEnd::ConnectionLost)
                                           << QStringLiteral("Reading memory stopped: the connection is gone.");
}

void FileManagerFaultsTest::readMemoryUnderFaults()
{
    QFETCH(QStringList, switches);
    QFETCH(qint32, killAt);
    QFETCH(int, end);
    QFETCH(QString, logged);
    SimPrinterProcess sim;
    QVERIFY2(sim.start(simExecutable, switches), qPrintable(sim.errorText()));
    CDeviceInterface port;
    QVERIFY(sim.connectPort(port));
    TrafficLogRecorder log;
    PrinterParameters params;
    ProgressWithHook progress;
    progress.onPosition = [&sim, killAt](qint32 position) {
        if (position == killAt)
            sim.kill();
    };
    QElapsedTimer clock;
    clock.start();
    const MemoryReadEnd outcome = readMemory(port, params, protocol::MemoryPlace::Flash, progress);
    qInfo("memory reading ended after %lld ms", static_cast<long long>(clock.elapsed()));
    QCOMPARE(int(outcome), end);
    // One read's wait (1000 ms on TCP), not one for each of the three queries.
    QVERIFY(clock.elapsed() < 2500);
    QVERIFY(progress.lastPosition() < 3);
    QTRY_VERIFY2(logHas(log, logged), qPrintable(log.lines().join(u'\n')));
    portServesTheRestartedPrinter(sim, port);
}

void FileManagerFaultsTest::downloadUnderFaults_data()
{
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<bool>("killHalfWay");
    QTest::addColumn<int>("status");
    // A download has no answer unless the printer objects: silence and noise
    // after the data are no refusal.
    QTest::newRow("silent") << QStringList { QStringLiteral("--no-answer") } << false << int(DownloadStatus::Sent);
    QTest::newRow("garbage") << QStringList { QStringLiteral("--garbage") } << false << int(DownloadStatus::Sent);
    QTest::newRow("killed half-way") << QStringList() << true << int(DownloadStatus::WriteFailed);
}

void FileManagerFaultsTest::downloadUnderFaults()
{
    QFETCH(QStringList, switches);
    QFETCH(bool, killHalfWay);
    QFETCH(int, status);
    QFile file(m_dir.filePath(QStringLiteral("big.bin")));
    const QByteArray data(1024 * 1024, 'x');
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(data) == data.size());
    file.close();

    SimPrinterProcess sim;
    QVERIFY2(sim.start(simExecutable, switches), qPrintable(sim.errorText()));
    CDeviceInterface port;
    QVERIFY(sim.connectPort(port));
    TrafficLogRecorder log;
    ProgressWithHook progress;
    const qint32 chunks = data.size() / protocol::downloadChunkSize;
    // Loopback buffers take the whole file before the printer has read half of
    // it; the pause lets the printer die while writes are still to come.
    progress.onPosition = [&sim, chunks, killHalfWay](qint32 position) {
        if (killHalfWay && position == chunks / 2 + 1) {
            sim.kill();
            QThread::msleep(500);
        }
    };
    QElapsedTimer clock;
    clock.start();
    const DownloadOutcome outcome
        = downloadFile(port, { file.fileName(), QStringLiteral("DRAM"), QStringLiteral("BIG.BIN") }, progress);
    qInfo("download ended after %lld ms, %lld bytes sent", static_cast<long long>(clock.elapsed()),
        static_cast<long long>(outcome.bytesSent));
    QCOMPARE(int(outcome.status), status);
    QVERIFY(clock.elapsed() < 10000);
    if (outcome.status == DownloadStatus::WriteFailed) {
        QVERIFY(outcome.bytesSent < data.size());
        QTRY_VERIFY2(logHas(log,
                         QStringLiteral("Download failed: %1 of %2 bytes of BIG.BIN sent.")
                             .arg(outcome.bytesSent)
                             .arg(data.size())),
            qPrintable(log.lines().join(u'\n')));
    } else {
        QCOMPARE(outcome.bytesSent, qint64(data.size()));
    }
    portServesTheRestartedPrinter(sim, port);
}

QTEST_GUILESS_MAIN(FileManagerFaultsTest)
#include "tst_filemanager_faults.moc"
