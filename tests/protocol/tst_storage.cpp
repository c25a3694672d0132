#include "protocol/CommandChannel.h"
#include "protocol/PrinterParameters.h"
#include "protocol/StorageCommands.h"
#include "support/RecordingProgress.h"
#include "support/ScriptedPort.h"

#include <QTest>

using namespace protocol;

using Progress = RecordingProgress::Reports;
using Report = RecordingProgress::Report;

class StorageTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sizesUseThePlaceLetterAndWait_data();
    void sizesUseThePlaceLetterAndWait();
    void fileList_data();
    void fileList();
    void fileListStopsAtLineLimit();
    void endlessListReplyIsCutOff();
    void failedListIsEmptied();
    void deleteOne();
    void deleteAll();
    void download_data();
    void download();
    void downloadEndsAtFailedWrite_data();
    void downloadEndsAtFailedWrite();
};

void StorageTest::sizesUseThePlaceLetterAndWait_data()
{
    QTest::addColumn<MemoryPlace>("place");
    QTest::addColumn<QByteArray>("total");
    QTest::addColumn<QByteArray>("free");
    QTest::addColumn<quint32>("wait");
    QTest::newRow("DRAM") << MemoryPlace::Dram << QByteArray("DIAGNOSTIC REPORT DPHYSPACE\r\n")
                          << QByteArray("DIAGNOSTIC REPORT DFREESPACE\r\n") << 1000u;
    QTest::newRow("FLASH") << MemoryPlace::Flash << QByteArray("DIAGNOSTIC REPORT FPHYSPACE\r\n")
                           << QByteArray("DIAGNOSTIC REPORT FFREESPACE\r\n") << 2000u;
    QTest::newRow("CARD") << MemoryPlace::Card << QByteArray("DIAGNOSTIC REPORT CPHYSPACE\r\n")
                          << QByteArray("DIAGNOSTIC REPORT CFREESPACE\r\n") << 2000u;
}

void StorageTest::sizesUseThePlaceLetterAndWait()
{
    QFETCH(MemoryPlace, place);
    QFETCH(QByteArray, total);
    QFETCH(QByteArray, free);
    QFETCH(quint32, wait);
    ScriptedPort port;
    port.answer(total, "4096 KB\r\n");
    port.answer(free, "1000\r\n");
    PrinterParameters params;
    QVERIFY(queryTotalSize(port, params, place));
    QVERIFY(queryFreeSpace(port, params, place));
    QCOMPARE(port.writes(), (QList<QByteArray> { total, free }));
    QCOMPARE(port.readWaits(), (QList<quint32> { wait, wait }));
    const QHash<MemoryPlace, QPair<qint32, qint32>> figures = {
        { MemoryPlace::Dram, { params.dramTotal, params.dramFree } },
        { MemoryPlace::Flash, { params.flashTotal, params.flashFree } },
        { MemoryPlace::Card, { params.cardTotal, params.cardFree } },
    };
    QCOMPARE(figures.value(place), (QPair<qint32, qint32>(4096, 1000)));
}

static QByteArray manyLines(int count)
{
    QByteArray lines;
    for (int i = 0; i < count; ++i)
        lines += "FILE" + QByteArray::number(i) + ".BAS " + QByteArray::number(i) + "\r\n";
    return lines;
}

void StorageTest::fileList_data()
{
    QTest::addColumn<QList<QByteArray>>("replies"); // one per read
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QList<FileEntry>>("files");

    const FileEntry a { QStringLiteral("A.BAS"), 120 };
    const FileEntry b { QStringLiteral("LOGO.BMP"), 3400 };
    QTest::newRow("two lines in order") << QList<QByteArray> { "A.BAS 120\r\nLOGO.BMP 3400\r\n\r\n" } << true
                                        << QList<FileEntry> { a, b };
    QTest::newRow("two lines, no closing empty line")
        << QList<QByteArray> { "A.BAS 120\r\nLOGO.BMP 3400\r\n" } << true << QList<FileEntry> { a, b };
    QTest::newRow("one line") << QList<QByteArray> { "A.BAS 120\r\n" } << true << QList<FileEntry> { a };
    QTest::newRow("only CR LF") << QList<QByteArray> { "\r\n" } << true << QList<FileEntry> {};
    QTest::newRow("size without digits") << QList<QByteArray> { "A.BAS abc\r\n\r\n" } << true
                                         << QList<FileEntry> { { QStringLiteral("A.BAS"), 0 } };
    QTest::newRow("stops at first empty line")
        << QList<QByteArray> { "A.BAS 120\r\n\r\nLOGO.BMP 3400\r\n" } << true << QList<FileEntry> { a };
    QTest::newRow("line without blank or name is skipped")
        << QList<QByteArray> { "NOBLANK\r\n 5\r\nA.BAS 120\r\n\r\n" } << true << QList<FileEntry> { a };
    QTest::newRow("split over reads") << QList<QByteArray> { "A.BAS 1", "20\r\nLOGO.BMP 3400\r", "\n\r\n" } << true
                                      << QList<FileEntry> { a, b };
    QTest::newRow("no line end") << QList<QByteArray> { "A.BAS 120" } << false << QList<FileEntry> {};
    QTest::newRow("partial last line") << QList<QByteArray> { "A.BAS 120\r\nLOGO" } << false << QList<FileEntry> {};
    QTest::newRow("no answer") << QList<QByteArray> {} << false << QList<FileEntry> {};

    // Longer than one 1024-byte read; the fake hands it out 1024 bytes at a time.
    QList<FileEntry> many;
    for (int i = 0; i < 300; ++i)
        many.append(FileEntry { QStringLiteral("FILE%1.BAS").arg(i), i });
    QTest::newRow("300 files over several reads") << QList<QByteArray> { manyLines(300) + "\r\n" } << true << many;
}

void StorageTest::fileList()
{
    QFETCH(QList<QByteArray>, replies);
    QFETCH(bool, ok);
    QFETCH(QList<FileEntry>, files);
    ScriptedPort port;
    for (const QByteArray &reply : replies)
        port.queueReply(reply);
    PrinterParameters params;
    params.cardFiles = { FileEntry { QStringLiteral("OLD"), 1 } };
    QCOMPARE(queryFileList(port, params, MemoryPlace::Card), ok);
    QCOMPARE(port.writes(), QList<QByteArray> { "DIAGNOSTIC REPORT CFILELIST\r\n" });
    QCOMPARE(params.cardFiles, files);
    for (quint32 wait : port.readWaits())
        QCOMPARE(wait, 2000u);
}

void StorageTest::fileListStopsAtLineLimit()
{
    ScriptedPort port;
    port.queueReply(manyLines(maxListedFiles + 100) + "\r\n");
    PrinterParameters params;
    QVERIFY(queryFileList(port, params, MemoryPlace::Dram));
    QCOMPARE(params.dramFiles.size(), maxListedFiles);
    QCOMPARE(params.dramFiles.last().name, QStringLiteral("FILE65534.BAS"));
    QVERIFY(!port.allRepliesTaken()); // reading ended at the limit
    QCOMPARE(port.readWaits().first(), 1000u);
}

void StorageTest::endlessListReplyIsCutOff()
{
    // A device that never stops sending and never ends a line.
    ScriptedPort port;
    port.queueReply(QByteArray(maxFileListBytes + 4 * replyBufferSize, 'x'));
    PrinterParameters params;
    QVERIFY(!queryFileList(port, params, MemoryPlace::Dram));
    QVERIFY(params.dramFiles.isEmpty());
    QVERIFY(!port.allRepliesTaken());
}

void StorageTest::failedListIsEmptied()
{
    ScriptedPort port;
    port.setWriteResult(0);
    PrinterParameters params;
    params.flashFiles = { FileEntry { QStringLiteral("OLD"), 1 } };
    QVERIFY(!queryFileList(port, params, MemoryPlace::Flash));
    QVERIFY(params.flashFiles.isEmpty());
    QVERIFY(port.readWaits().isEmpty());
}

void StorageTest::deleteOne()
{
    ScriptedPort port;
    port.queueReply("OK\r\n");
    QVERIFY(deleteFile(port, MemoryPlace::Flash, QStringLiteral("A B.BAS")));
    QVERIFY(!deleteFile(port, MemoryPlace::Dram, QStringLiteral("X")));
    port.queueReply("partial");
    QVERIFY(!deleteFile(port, MemoryPlace::Card, QStringLiteral("Y")));
    QCOMPARE(port.writes(), (QList<QByteArray> { "KILL F,\"A B.BAS\"\r\n", "KILL A,\"X\"\r\n", "KILL E,\"Y\"\r\n" }));
    QCOMPARE(port.readWaits(), (QList<quint32> { 2000, 2000, 2000 }));
}

void StorageTest::deleteAll()
{
    ScriptedPort port;
    QVERIFY(deleteAllFiles(port, MemoryPlace::Dram));
    QVERIFY(deleteAllFiles(port, MemoryPlace::Flash));
    QVERIFY(deleteAllFiles(port, MemoryPlace::Card));
    QCOMPARE(port.writes(), (QList<QByteArray> { "KILL A,\"*.*\"\r\n", "KILL F,\"*.*\"\r\n", "KILL E,\"*.*\"\r\n" }));
    QVERIFY(port.readWaits().isEmpty());
    port.setWriteResult(0);
    QVERIFY(!deleteAllFiles(port, MemoryPlace::Card));
}

void StorageTest::download_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QList<int>>("chunks");

    QTest::newRow("card") << "CARD"
                          << "F1" << 10 << QByteArray("DOWNLOAD E,F1,10,") << QList<int> { 10 };
    QTest::newRow("flash header of 22") << "FLASH"
                                        << "TEST.TXT" << 5 << QByteArray("DOWNLOAD F,TEST.TXT,5,") << QList<int> { 5 };
    QTest::newRow("one full chunk") << "DRAM"
                                    << "A" << 8192 << QByteArray("DOWNLOAD A,A,8192,") << QList<int> { 8192 };
    QTest::newRow("one byte over") << "DRAM"
                                   << "A" << 8193 << QByteArray("DOWNLOAD A,A,8193,") << QList<int> { 8192, 1 };
    QTest::newRow("unknown place word") << "dram"
                                        << "A" << 1 << QByteArray("DOWNLOAD A,1,") << QList<int> { 1 };
    QTest::newRow("empty file") << "FLASH"
                                << "E" << 0 << QByteArray("DOWNLOAD F,E,0,") << QList<int> {};
}

void StorageTest::download()
{
    QFETCH(QString, place);
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(QByteArray, header);
    QFETCH(QList<int>, chunks);

    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = static_cast<char>(i * 7);
    ScriptedPort port;
    RecordingProgress progress;
    const DownloadOutcome outcome = downloadFile(port, place, name, data, progress);

    QList<QByteArray> expected { header };
    Progress expectedProgress { { Report::Maximum, static_cast<qint32>(chunks.size()) } };
    int at = 0;
    for (int chunk : chunks) {
        expected.append(data.mid(at, chunk));
        at += chunk;
        expectedProgress.append({ Report::Position, static_cast<qint32>(expectedProgress.size()) });
    }
    expected.append("\r\n");
    QCOMPARE(port.writes(), expected);
    QCOMPARE(progress.reports, expectedProgress);
    QVERIFY(port.readWaits().isEmpty());
    QVERIFY(outcome.complete);
    QCOMPARE(outcome.bytesSent, qint64(size));
}

// The write that fails is the last one made; the data bytes before it count.
void StorageTest::downloadEndsAtFailedWrite_data()
{
    QTest::addColumn<int>("failing"); // index of the write that fails: 0 the header, 4 the closing CR LF
    QTest::addColumn<qint64>("bytesSent");
    QTest::addColumn<qint32>("lastPosition");
    QTest::newRow("header") << 0 << qint64(0) << -1;
    QTest::newRow("first chunk") << 1 << qint64(0) << -1;
    QTest::newRow("second chunk") << 2 << qint64(8192) << 1;
    QTest::newRow("closing line end") << 4 << qint64(3 * 8192) << 3;
}

void StorageTest::downloadEndsAtFailedWrite()
{
    QFETCH(int, failing);
    QByteArray data(3 * 8192, Qt::Uninitialized);
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i / 8192 + 1);
    const QList<QByteArray> writes { "DOWNLOAD F,BIG.BIN,24576,", data.first(8192), data.sliced(8192, 8192),
        data.sliced(2 * 8192), "\r\n" };
    ScriptedPort port;
    port.failWriteOf(writes[failing]);
    RecordingProgress progress;
    const DownloadOutcome outcome
        = downloadFile(port, QStringLiteral("FLASH"), QStringLiteral("BIG.BIN"), data, progress);
    QCOMPARE(port.writes(), writes.first(failing + 1));
    QVERIFY(!outcome.complete);
    QTEST(outcome.bytesSent, "bytesSent");
    QTEST(progress.lastPosition(), "lastPosition");
}

QTEST_GUILESS_MAIN(StorageTest)
#include "tst_storage.moc"
