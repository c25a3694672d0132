#include "connection/CDeviceInterface.h"
#include "protocol/CommandChannel.h"
#include "protocol/ParameterCatalogue.h"
#include "protocol/ParameterPasses.h"
#include "protocol/PrinterParameters.h"
#include "protocol/StorageCommands.h"
#include "support/ProgressWithHook.h"
#include "support/SimPrinterProcess.h"
#include "support/TrafficLogRecorder.h"

#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <functional>

using namespace protocol;
using End = ReadPassOutcome::End;

namespace {

const QString simExecutable = QStringLiteral(SIM_EXECUTABLE);

bool waitUntilOpen(const CDeviceInterface &port, int waitMs)
{
    QDeadlineTimer deadline(waitMs);
    while (!port.IsOpen() && !deadline.hasExpired())
        QThread::msleep(5);
    return port.IsOpen();
}

} // namespace

// The port object and the protocol functions against the simulated printer
// and its fault switches, over loopback TCP.
class FaultsSimTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void restartedPrinterIsReachedAgain();
    void lateRepliesAreNotTakenForLaterOnes();
    void silentPrinterEndsTheReadingPass();
    void readingPassUnderFaults_data();
    void readingPassUnderFaults();
    void brokenDownloadFails_data();
    void brokenDownloadFails();
};

void FaultsSimTest::restartedPrinterIsReachedAgain()
{
    SimPrinterProcess sim;
    QVERIFY2(sim.start(simExecutable), qPrintable(sim.errorText()));
    CDeviceInterface port;
    QVERIFY(sim.connectPort(port));
    PrinterParameters params;
    QVERIFY(queryStatus(port, params));

    TrafficLogRecorder log;
    sim.stop();
    params.statusByte = -1;
    QVERIFY(!queryStatus(port, params));
    QVERIFY(!port.IsOpen());
    QCOMPARE(params.statusByte, -1);
    const QStringList lines = log.lines();
    QCOMPARE(lines.count(sim.address() + QStringLiteral(" disconnected.")), 1);
    QVERIFY2(lines.contains(QStringLiteral("Write failed: ( Hex: 1B 21 3F  )")), qPrintable(lines.join(u'\n')));

    // A pass on the lost connection ends at its first exchange.
    RecordingProgress progress;
    const ReadPassOutcome outcome = readAllParameters(port, params, progress);
    QCOMPARE(outcome.end, End::ConnectionLost);
    QCOMPARE(outcome.queries, 1);
    QCOMPARE(progress.positionCount(), 0);

    log.clear();
    QVERIFY2(sim.restart(simExecutable), qPrintable(sim.errorText()));
    QElapsedTimer sinceBack;
    sinceBack.start();
    QVERIFY(waitUntilOpen(port, 10000));
    qInfo("reached again %lld ms after the restarted printer was ready", static_cast<long long>(sinceBack.elapsed()));
    QVERIFY(queryStatus(port, params));
    QCOMPARE(params.statusByte, 0);
    QTRY_VERIFY(log.lines().contains(sim.address() + QStringLiteral(" connected.")));

    // Open with the same settings after another loss reconnects too.
    sim.kill();
    QVERIFY(!queryStatus(port, params));
    QVERIFY(sim.restart(simExecutable));
    PortSettings same = port.settings();
    QVERIFY(port.Open(same));
    QVERIFY(waitUntilOpen(port, 10000));
    QVERIFY(queryStatus(port, params));
}

// Every reply leaves 1500 ms late, past the 1000 ms that every read waits on
// TCP. A reply too late for its query must not answer the next one.
void FaultsSimTest::lateRepliesAreNotTakenForLaterOnes()
{
    SimPrinterProcess sim;
    QVERIFY2(
        sim.start(simExecutable, { QStringLiteral("--slow"), QStringLiteral("1500") }), qPrintable(sim.errorText()));
    CDeviceInterface port;
    QVERIFY(sim.connectPort(port));
    RecordingProgress progress;
    QVERIFY(downloadFile(port, QStringLiteral("FLASH"), QStringLiteral("A.BAS"), "12345", progress).complete);

    TrafficLogRecorder log;
    PrinterParameters params;
    QVERIFY(!runQuery(port, params, Query::CutBackLen));
    // Taken late, "40 dot" would be a file named "40".
    QVERIFY(!queryFileList(port, params, MemoryPlace::Flash));
    QVERIFY(params.flashFiles.isEmpty());
    // Taken late, the list "A.BAS 5" would be the status byte 0x41.
    QVERIFY(!queryStatus(port, params));
    QCOMPARE(params.statusByte, -1);
    const QStringList lines = log.lines();
    QVERIFY2(lines.contains(QStringLiteral("Dropped: 40 dot[CRLF]( Hex: 34 30 20 64 6F 74 0D 0A  )")),
        qPrintable(lines.join(u'\n')));
    QVERIFY(lines.contains(QStringLiteral("Dropped: A.BAS 5[CRLF][CRLF]( Hex: 41 2E 42 41 53 20 35 0D 0A 0D 0A  )")));

    // The reading pass takes no late reply for another field, and gives up.
    PrinterParameters read;
    const ReadPassOutcome outcome = readAllParameters(port, read, progress);
    QCOMPARE(outcome.end, End::NoAnswer);
    const PrinterParameters fresh;
    QCOMPARE(read.model, fresh.model);
    QCOMPARE(read.version, fresh.version);
    QCOMPARE(read.serial, fresh.serial);
    QCOMPARE(read.statusByte, -1);
}

void FaultsSimTest::silentPrinterEndsTheReadingPass()
{
    SimPrinterProcess sim;
    QVERIFY2(sim.start(simExecutable, { QStringLiteral("--no-answer") }), qPrintable(sim.errorText()));
    CDeviceInterface port;
    QVERIFY(sim.connectPort(port));
    TrafficLogRecorder log;
    PrinterParameters params;
    RecordingProgress progress;
    QElapsedTimer clock;
    clock.start();
    const ReadPassOutcome outcome = readAllParameters(port, params, progress);
    qInfo("a silent printer's reading pass ended after %lld ms", static_cast<long long>(clock.elapsed()));
    QVERIFY(clock.elapsed() < 30000);
    QCOMPARE(outcome.end, End::NoAnswer);
    QCOMPARE(outcome.unanswered, 1 + silentQueriesBeforeEnd);
    QCOMPARE(outcome.queries, outcome.unanswered);
    QVERIFY(progress.lastPosition() < readPassRange - 1);
    QVERIFY(log.lines().contains(
        QStringLiteral("Reading parameters stopped: the printer does not answer (4 of 4 queries unanswered).")));
}

void FaultsSimTest::readingPassUnderFaults_data()
{
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<qint32>("killAt"); // progress position at which the printer dies, 0: never
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("logged");

    // A garbled reply is no answer, but the printer keeps talking: the pass runs to its end.
    QTest::newRow("garbled replies") << QStringList { QStringLiteral("--garbage") } << 0 << int(End::Complete)
                                     << QStringLiteral("Reading parameters: ");
    QTest::newRow("printer killed mid-pass") << QStringList() << 20 << int(End::ConnectionLost)
                                             << QStringLiteral("Reading parameters stopped: the connection is gone");
}

// Each fault ends the pass within its waits with a line that says why, and
// the same port object serves the printer once it is back to normal.
void FaultsSimTest::readingPassUnderFaults()
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
    const ReadPassOutcome outcome = readAllParameters(port, params, progress);
    qInfo("the pass ended after %lld ms, %d of %d queries unanswered", static_cast<long long>(clock.elapsed()),
        outcome.unanswered, outcome.queries);
    QCOMPARE(int(outcome.end), end);
    QVERIFY(outcome.unanswered > 0);
    // Status query and three more at 1000 ms each, or one failed exchange.
    QVERIFY(clock.elapsed() < 30000);
    QTRY_VERIFY2(std::any_of(log.lines().cbegin(), log.lines().cend(),
                     [&logged](const QString &line) { return line.startsWith(logged); }),
        qPrintable(log.lines().join(u'\n')));

    sim.stop();
    QVERIFY2(sim.restart(simExecutable), qPrintable(sim.errorText()));
    PrinterParameters after;
    QTRY_VERIFY_WITH_TIMEOUT(queryStatus(port, after), 10000);
    QCOMPARE(after.statusByte, 0);
}

void FaultsSimTest::brokenDownloadFails_data()
{
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<bool>("killHalfWay");
    QTest::newRow("connection closed mid-transfer") << QStringList { QStringLiteral("--close-mid-transfer") } << false;
    QTest::newRow("printer killed half-way") << QStringList() << true;
}

// The printer goes away half-way through 1 MiB: the download stops at the
// first failed write and says how far it got; so does a writing pass after it.
// Loopback buffers can take the whole file before the printer has read half
// of it, so the writer pauses once past the half to let the printer get
// there and cut: the writes after the cut are the ones that must fail.
void FaultsSimTest::brokenDownloadFails()
{
    QFETCH(QStringList, switches);
    QFETCH(bool, killHalfWay);
    SimPrinterProcess sim;
    QVERIFY2(sim.start(simExecutable, switches), qPrintable(sim.errorText()));
    CDeviceInterface port;
    QVERIFY(sim.connectPort(port));
    TrafficLogRecorder log;
    const QByteArray data(1024 * 1024, 'x');
    const qint32 chunks = data.size() / downloadChunkSize;
    ProgressWithHook progress;
    progress.onPosition = [&sim, chunks, killHalfWay](qint32 position) {
        if (position != chunks / 2 + 1)
            return;
        if (killHalfWay)
            sim.kill();
        else
            QThread::msleep(500);
    };
    const DownloadOutcome outcome
        = downloadFile(port, QStringLiteral("DRAM"), QStringLiteral("BIG.BIN"), data, progress);
    QVERIFY(!outcome.complete);
    QVERIFY(outcome.bytesSent < data.size());
    QVERIFY(progress.lastPosition() < chunks);
    QCOMPARE(outcome.bytesSent, qint64(std::max(progress.lastPosition(), 0)) * downloadChunkSize);
    const QString failed
        = QStringLiteral("Download failed: %1 of %2 bytes of BIG.BIN sent.").arg(outcome.bytesSent).arg(data.size());
    QTRY_VERIFY2(log.lines().contains(failed), qPrintable(log.lines().join(u'\n')));
    qInfo("download ended after %lld of %lld bytes", static_cast<long long>(outcome.bytesSent),
        static_cast<long long>(data.size()));

    PrinterParameters params;
    params.speed = 3;
    const WritePassOutcome written = writePageParameters(port, params, static_cast<int>(OptionsPage::Basic), progress);
    QVERIFY(!written.complete);
    QCOMPARE(written.sent, 0);
}

QTEST_GUILESS_MAIN(FaultsSimTest)
#include "tst_faults_sim.moc"
