#include "terminal/TerminalExchange.h"

#include "support/RecordingProgress.h"
#include "support/ScriptedPort.h"
#include "support/TrafficLogRecorder.h"

#include <QTemporaryDir>
#include <QTest>

using terminal::Char;
using terminal::Hex;

namespace {

// size bytes in which no two blocks are alike, so a port can refuse one of them.
QByteArray fileData(int size)
{
    QByteArray data;
    for (int i = 0; i < size; ++i)
        data.append(static_cast<char>(i * 7 + i / terminal::fileBlockSize));
    return data;
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace

class TestTerminalExchange : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void charSendEndsEveryLineWithCrLf_data();
    void charSendEndsEveryLineWithCrLf();
    void hexSendKeepsTheByteRuleAndNamesUncleanTokens_data();
    void hexSendKeepsTheByteRuleAndNamesUncleanTokens();
    void oneReadIsShownInTheReceiveFormat_data();
    void oneReadIsShownInTheReceiveFormat();
    void fileGoesOutBlockByBlock_data();
    void fileGoesOutBlockByBlock();
    void sendingStopsAtABlockThePortRefuses_data();
    void sendingStopsAtABlockThePortRefuses();
    void durationIsRoundedUp_data();
    void durationIsRoundedUp();
};

void TestTerminalExchange::charSendEndsEveryLineWithCrLf_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("no line break") << "SELFTEST" << QByteArray("SELFTEST");
    QTest::newRow("typed line break (LF)") << "SELFTEST\n" << QByteArray("SELFTEST\r\n");
    QTest::newRow("CR") << "SELFTEST\r" << QByteArray("SELFTEST\r\n");
    QTest::newRow("CR LF stays one break") << "SELFTEST\r\n" << QByteArray("SELFTEST\r\n");
    QTest::newRow("mixed, empty lines kept") << "A\nB\r\nC\rD\n\n" << QByteArray("A\r\nB\r\nC\r\nD\r\n\r\n");
    QTest::newRow("LF CR is two breaks") << "A\n\rB" << QByteArray("A\r\n\r\nB");
    QTest::newRow("empty") << "" << QByteArray();
}

// The page gives a typed line break as LF; the printer needs CR LF, and
// nothing is added at the end.
void TestTerminalExchange::charSendEndsEveryLineWithCrLf()
{
    QFETCH(QString, typed);
    ScriptedPort port;
    terminal::sendAndReceive(port, typed, Char, Char);
    QCOMPARE(port.writes().size(), 1);
    QTEST(port.writes().first(), "sent");
    QCOMPARE(port.readCapacities(), QList<qint32> { 1024 });
    QCOMPARE(port.readWaits(), QList<quint32> { 1000 });
}

void TestTerminalExchange::hexSendKeepsTheByteRuleAndNamesUncleanTokens_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("unclean"); // empty: no warning
    QTest::newRow("pairs") << "1B 40" << QByteArray("\x1B\x40") << "";
    QTest::newRow("prefixes and commas") << "0x1b,0X0D,0x0a" << QByteArray("\x1B\x0D\x0A") << "";
    QTest::newRow("status query") << "0x1B 0x21 0x3F" << QByteArray("\x1B\x21\x3F") << "";
    QTest::newRow("one token, last pair") << "1B40" << QByteArray("\x40") << "\"1B40\" as 40";
    QTest::newRow("odd length") << "1B4" << QByteArray(1, '\0') << "\"1B4\" as 00";
    QTest::newRow("single digit") << "A" << QByteArray(1, '\0') << "\"A\" as 00";
    QTest::newRow("empty after removal") << "0x" << QByteArray(1, '\0') << "\"0x\" as 00";
    QTest::newRow("letters beyond F") << "GG" << QByteArray(1, '\0') << "\"GG\" as 00";
    QTest::newRow("digit and letter beyond F") << "1G" << QByteArray("\x10") << "\"1G\" as 10";
    QTest::newRow("line break separates") << "1b\n40" << QByteArray("\x1B\x40") << "";
    QTest::newRow("separators in a row") << "1B  ,  40" << QByteArray("\x1B\x40") << "";
    QTest::newRow("non-ASCII ends a token") << "1B\u00e940" << QByteArray("\x1B\x40") << "";
    QTest::newRow("several unclean") << "1B40 0D GG" << QByteArray("\x40\x0D\x00", 3) << "\"1B40\" as 40, \"GG\" as 00";
    QTest::newRow("no letters or digits") << " ,-:\t" << QByteArray() << "";
    QTest::newRow("empty box") << "" << QByteArray() << "";
}

void TestTerminalExchange::hexSendKeepsTheByteRuleAndNamesUncleanTokens()
{
    QFETCH(QString, typed);
    QFETCH(QString, unclean);
    ScriptedPort port;
    TrafficLogRecorder log;
    terminal::sendAndReceive(port, typed, Hex, Char);
    QCOMPARE(port.writes().size(), 1);
    QTEST(port.writes().first(), "sent");
    const QStringList expected = unclean.isEmpty()
        ? QStringList()
        : QStringList { QStringLiteral("HEX: a byte is one pair of hexadecimal digits; sent %1.").arg(unclean) };
    QCOMPARE(log.lines(), expected);
    // The reply is read even when nothing was sent.
    QCOMPARE(port.readCapacities().size(), 1);
}

void TestTerminalExchange::oneReadIsShownInTheReceiveFormat_data()
{
    QTest::addColumn<QByteArray>("reply"); // empty: a read returning readResult
    QTest::addColumn<int>("readResult");
    QTest::addColumn<int>("receiveType");
    QTest::addColumn<QString>("shown");
    const QByteArray ok = QByteArrayLiteral("\x4F\x4B\x0D\x0A");
    const QByteArray zero = QByteArrayLiteral("A\0BC");
    QTest::newRow("OK CR LF as text") << ok << 0 << int(Char) << "OK\r\n";
    QTest::newRow("OK CR LF as hex") << ok << 0 << int(Hex) << " 4F 4B 0D 0A";
    QTest::newRow("no selection shows hex") << ok << 0 << 0 << " 4F 4B 0D 0A";
    QTest::newRow("zero byte ends the text") << zero << 0 << int(Char) << "A";
    QTest::newRow("zero byte in hex") << zero << 0 << int(Hex) << " 41 00 42 43";
    QTest::newRow("high bytes in hex") << QByteArray("\x1B\x0A\xFF") << 0 << int(Hex) << " 1B 0A FF";
    QTest::newRow("time-out, text") << QByteArray() << 0 << int(Char) << "";
    QTest::newRow("time-out, hex") << QByteArray() << 0 << int(Hex) << " ";
    QTest::newRow("connection error, text") << QByteArray() << -10054 << int(Char) << "";
    QTest::newRow("connection error, hex") << QByteArray() << -1 << int(Hex) << " ";
}

void TestTerminalExchange::oneReadIsShownInTheReceiveFormat()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, readResult);
    QFETCH(int, receiveType);
    ScriptedPort port;
    if (reply.isEmpty())
        port.queueReadResult(readResult);
    else
        port.queueReply(reply);
    // A later reply stays with the port for the next send.
    port.queueReply("late");
    QTEST(terminal::sendAndReceive(port, QStringLiteral("~!T"), Char, receiveType), "shown");
    QVERIFY(!port.allRepliesTaken());
}

void TestTerminalExchange::fileGoesOutBlockByBlock_data()
{
    QTest::addColumn<int>("size"); // -1: no such file
    QTest::addColumn<int>("stopBefore");
    QTest::addColumn<QList<int>>("blocks");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("1025 bytes: two blocks")
        << 1025 << 100 << QList<int> { 1024, 1 } << 2
        << QStringList { QStringLiteral("Send file: data.bin, 1025 bytes, 2 blocks, expected time 0:01.") };
    QTest::newRow("exactly one block") << 1024 << 100 << QList<int> { 1024 } << 1
                                       << QStringList { QStringLiteral(
                                              "Send file: data.bin, 1024 bytes, 1 blocks, expected time 0:01.") };
    QTest::newRow("cancelled after the first block")
        << 3000 << 2 << QList<int> { 1024 } << 3
        << QStringList { QStringLiteral("Send file: data.bin, 3000 bytes, 3 blocks, expected time 0:01."),
               QStringLiteral("Send file cancelled: 1024 of 3000 bytes sent.") };
    QTest::newRow("empty file") << 0 << 100 << QList<int> {} << -1
                                << QStringList { QStringLiteral("Load file failed. Size is 0.") };
    QTest::newRow("no such file") << -1 << 100 << QList<int> {} << -1
                                  << QStringList { QStringLiteral("Load file failed.") };
}

void TestTerminalExchange::fileGoesOutBlockByBlock()
{
    QFETCH(int, size);
    QFETCH(int, stopBefore);
    QFETCH(QList<int>, blocks);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.bin"));
    const QByteArray data = fileData(size);
    if (size >= 0)
        QVERIFY(writeFile(path, data));
    ScriptedPort port;
    RecordingProgress progress;
    progress.stopBefore(stopBefore);
    TrafficLogRecorder log;
    const terminal::SendFileOutcome outcome = terminal::sendFile(port, path, progress);

    QList<int> written;
    for (const QByteArray &write : port.writes())
        written.append(static_cast<int>(write.size()));
    QCOMPARE(written, blocks);
    QCOMPARE(port.written(), data.left(port.written().size()));
    QCOMPARE(outcome.bytesSent, port.written().size());
    QTEST(progress.maximum(), "maximum");
    QCOMPARE(progress.positionCount(), blocks.size());
    QCOMPARE(progress.lastPosition(), blocks.isEmpty() ? -1 : blocks.size());
    QCOMPARE(outcome.cancelled, stopBefore <= progress.maximum());
    QTEST(log.lines(), "log");
    QVERIFY(port.readCapacities().isEmpty());
}

void TestTerminalExchange::sendingStopsAtABlockThePortRefuses_data()
{
    QTest::addColumn<int>("refusedBlock"); // -1: every write reports writeResult
    QTest::addColumn<int>("writeResult");
    QTest::addColumn<QList<int>>("blocks");
    QTest::addColumn<QString>("last");
    QTest::newRow("second block refused")
        << 1 << 0 << QList<int> { 1024, 1024 } << "Send file failed: 1024 of 3000 bytes sent.";
    QTest::newRow("port closed") << -1 << -1 << QList<int> { 1024 } << "Send file failed: 0 of 3000 bytes sent.";
    QTest::newRow("block taken in part") << -1 << 100 << QList<int> { 1024 }
                                         << "Send file failed: 100 of 3000 bytes sent.";
}

void TestTerminalExchange::sendingStopsAtABlockThePortRefuses()
{
    QFETCH(int, refusedBlock);
    QFETCH(int, writeResult);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.bin"));
    const QByteArray data = fileData(3000);
    QVERIFY(writeFile(path, data));
    ScriptedPort port;
    if (refusedBlock >= 0)
        port.failWriteOf(data.mid(refusedBlock * terminal::fileBlockSize, terminal::fileBlockSize));
    else
        port.setWriteResult(writeResult);
    RecordingProgress progress;
    TrafficLogRecorder log;
    const terminal::SendFileOutcome outcome = terminal::sendFile(port, path, progress);

    QList<int> written;
    for (const QByteArray &write : port.writes())
        written.append(static_cast<int>(write.size()));
    QTEST(written, "blocks");
    QVERIFY(outcome.portFailed);
    QVERIFY(!outcome.cancelled);
    QCOMPARE(progress.positionCount(), written.size() - 1);
    QTEST(log.lines().constLast(), "last");
}

void TestTerminalExchange::durationIsRoundedUp_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<QString>("shown");
    QTest::newRow("nothing") << qint64(0) << "0:00";
    QTest::newRow("one block") << qint64(250) << "0:01";
    QTest::newRow("a minute and a bit") << qint64(60001) << "1:01";
    QTest::newRow("10 MiB") << terminal::expectedSendMs(10 * 1024 * 1024) << "42:40";
    QTest::newRow("hours") << qint64(3600000 + 65000) << "1:01:05";
}

void TestTerminalExchange::durationIsRoundedUp()
{
    QFETCH(qint64, ms);
    QTEST(terminal::durationText(ms), "shown");
}

QTEST_GUILESS_MAIN(TestTerminalExchange)
#include "tst_terminal_exchange.moc"
