#include "file_manager/jobs/FileManagerJobs.h"
#include "protocol/PrinterParameters.h"
#include "support/RecordingProgress.h"
#include "support/ScriptedPort.h"
#include "support/TrafficLogRecorder.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace file_manager;

// The download and the memory reading on a scripted port: the bytes on the
// wire, the reads made and the log lines, without a printer.
class FileManagerJobsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void downloadSendsHeaderDataAndCrLfThenReadsOnce()
    {
        ScriptedPort port;
        RecordingProgress progress;
        const DownloadOutcome outcome = downloadFile(
            port, { writeFile("logo", "12345"), QStringLiteral("FLASH"), QStringLiteral("TEST.TXT") }, progress);
        QCOMPARE(outcome.status, DownloadStatus::Sent);
        QCOMPARE(port.writes(), (QList<QByteArray> { "DOWNLOAD F,TEST.TXT,5,", "12345", "\r\n" }));
        // One read for a refusal, with the wait of the place's storage queries.
        QCOMPARE(port.readWaits(), QList<quint32> { 2000 });
        using R = RecordingProgress::Report;
        QCOMPARE(progress.reports, (RecordingProgress::Reports { { R::Maximum, 1 }, { R::Position, 1 } }));
    }

    void refusalIsTheOutcomeAndALogLine()
    {
        ScriptedPort port;
        port.answer("\r\n", "ERROR: NO CARD\r\n");
        RecordingProgress progress;
        TrafficLogRecorder log;
        const DownloadOutcome outcome = downloadFile(
            port, { writeFile("f1", "0123456789"), QStringLiteral("CARD"), QStringLiteral("F1") }, progress);
        QCOMPARE(outcome.status, DownloadStatus::Refused);
        QCOMPARE(outcome.reply, QStringLiteral("ERROR: NO CARD"));
        QCOMPARE(port.writes().first(), QByteArray("DOWNLOAD E,F1,10,"));
        QVERIFY(log.lines().contains(QStringLiteral("Download refused by the printer: ERROR: NO CARD")));
    }

    void nothingIsSentForABadNameOrFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("logLine");
        const QString badName = QStringLiteral("Download refused: the file name \"%1\" is empty or holds a comma, a "
                                               "double quote or a control character.");
        const QString file = writeFile("data", "abc");
        QTest::newRow("comma") << file << "A,B.TXT" << badName.arg("A,B.TXT");
        QTest::newRow("double quote") << file << "A\"B" << badName.arg("A\"B");
        QTest::newRow("tab") << file << "A\tB" << badName.arg("A\tB");
        QTest::newRow("empty name") << file << "" << badName.arg("");
        QTest::newRow("empty path") << ""
                                    << "A.TXT"
                                    << "Load file failed.";
        QTest::newRow("missing file") << m_dir.filePath("missing") << "A.TXT"
                                      << "Load file failed.";
        QTest::newRow("empty file") << writeFile("empty", "") << "A.TXT"
                                    << "Load file failed. Size is 0.";
    }
    void nothingIsSentForABadNameOrFile()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        ScriptedPort port;
        RecordingProgress progress;
        TrafficLogRecorder log;
        QCOMPARE(downloadFile(port, { path, QStringLiteral("FLASH"), name }, progress).status, DownloadStatus::NotSent);
        QVERIFY(port.writes().isEmpty());
        QVERIFY(port.readWaits().isEmpty());
        QTEST(log.lines().join(u'\n'), "logLine");
    }

    void shortSourceKeepsThePromisedLength()
    {
        // A file that shrinks after its size was taken: the printer still gets
        // the byte count of the header, so what follows stays a command.
        ScriptedPort port;
        RecordingProgress progress;
        QBuffer source;
        source.setData(QByteArray(8192 + 10, 'x'));
        source.open(QIODevice::ReadOnly);
        const protocol::DownloadOutcome outcome
            = protocol::downloadFile(port, QStringLiteral("DRAM"), QStringLiteral("A"), source, 3 * 8192, progress);
        QVERIFY(outcome.sourceShort);
        QVERIFY(outcome.complete);
        QCOMPARE(port.writes().size(), 5);
        QCOMPARE(port.writes()[1], QByteArray(8192, 'x'));
        QCOMPARE(port.writes()[2], QByteArray(10, 'x') + QByteArray(8182, '\0'));
        QCOMPARE(port.writes()[3], QByteArray(8192, '\0'));
        QCOMPARE(progress.lastPosition(), 3);
    }

    // A stale reply is dropped by every query itself (see tst_filemanager and
    // tst_faults_sim, against the simulated printer).
    void readMemoryQueriesSizesAndList()
    {
        ScriptedPort port;
        port.answer("DIAGNOSTIC REPORT FPHYSPACE\r\n", "4096\r\n");
        port.answer("DIAGNOSTIC REPORT FFREESPACE\r\n", "4000\r\n");
        port.answer("DIAGNOSTIC REPORT FFILELIST\r\n", "A.BAS 12\r\nB.PCX 96\r\n\r\n");
        PrinterParameters params;
        RecordingProgress progress;
        readMemory(port, params, protocol::MemoryPlace::Flash, progress);
        QCOMPARE(params.flashTotal, 4096);
        QCOMPARE(params.flashFree, 4000);
        QCOMPARE(params.flashFiles.size(), 2);
        QCOMPARE(params.flashFiles[1].name, QStringLiteral("B.PCX"));
        QCOMPARE(progress.maximum(), 3);
        QCOMPARE(progress.lastPosition(), 3);
        QVERIFY(port.allRepliesTaken());
    }

private:
    QString writeFile(const char *name, const QByteArray &content)
    {
        QFile file(m_dir.filePath(QString::fromLatin1(name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", name);
        return file.fileName();
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(FileManagerJobsTest)
#include "tst_filemanager_jobs.moc"
