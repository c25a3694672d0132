#include "protocol/CommandChannel.h"
#include "protocol/PrinterParameters.h"
#include "protocol/ReplyGrammar.h"
#include "support/ScriptedPort.h"

#include <QTest>

#include <limits>

using namespace protocol;

class CommandChannelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sendCommandWritesOnceAndNeedsEveryByte_data();
    void sendCommandWritesOnceAndNeedsEveryByte();
    void commandStopsAtZero();
    void readReply_data();
    void readReply();
    void replyLongerThanBufferLeavesRestForNextRead();
    void queryReadsOnlyAfterSuccessfulSend();
    void queryStatus();
    void statusFailureKeepsEarlierByte();
    void parseInteger_data();
    void parseInteger();
    void dotsToMillimetres_data();
    void dotsToMillimetres();
};

void CommandChannelTest::sendCommandWritesOnceAndNeedsEveryByte_data()
{
    QTest::addColumn<std::optional<qint32>>("writeResult");
    QTest::addColumn<bool>("sent");
    QTest::newRow("all written") << std::optional<qint32>() << true;
    QTest::newRow("short write") << std::optional<qint32>(5) << false;
    QTest::newRow("write failed") << std::optional<qint32>(0) << false;
}

void CommandChannelTest::sendCommandWritesOnceAndNeedsEveryByte()
{
    QFETCH(std::optional<qint32>, writeResult);
    QFETCH(bool, sent);
    ScriptedPort port;
    port.setWriteResult(writeResult);
    QCOMPARE(sendCommand(port, QStringLiteral("SELFTEST\r\n")), sent);
    QCOMPARE(port.writes(), QList<QByteArray> { "SELFTEST\r\n" });
    QVERIFY(port.readWaits().isEmpty());
}

void CommandChannelTest::commandStopsAtZero()
{
    ScriptedPort port;
    QVERIFY(sendCommand(port, QStringLiteral("AB") + QChar(0) + QStringLiteral("CD")));
    QCOMPARE(port.written(), QByteArray("AB"));
}

void CommandChannelTest::readReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("text");

    QTest::newRow("line") << QByteArray("TX-200\r\n") << true << QStringLiteral("TX-200");
    QTest::newRow("only CR LF is an empty success") << QByteArray("\r\n") << true << QString();
    QTest::newRow("one byte") << QByteArray("\n") << false << QString();
    QTest::newRow("no line end") << QByteArray("203") << false << QString();
    QTest::newRow("LF CR") << QByteArray("203\n\r") << false << QString();
    QTest::newRow("text stops at zero") << QByteArray("AB\0CD\r\n", 7) << true << QStringLiteral("AB");
    const QByteArray full = QByteArray(1022, 'x') + "\r\n";
    QTest::newRow("1024 bytes") << full << true << QString(1022, u'x');
}

void CommandChannelTest::readReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    QFETCH(QString, text);
    ScriptedPort port;
    port.queueReply(reply);
    QString out = QStringLiteral("stale");
    QCOMPARE(protocol::readReply(port, 1234, out), ok);
    QCOMPARE(out, text);
    QCOMPARE(port.readWaits(), QList<quint32> { 1234 });
    QCOMPARE(port.readCapacities(), QList<qint32> { replyBufferSize });
}

void CommandChannelTest::replyLongerThanBufferLeavesRestForNextRead()
{
    ScriptedPort port;
    port.queueReply(QByteArray(1023, 'x') + "\r\n" + "12\r\n");
    QString out;
    QVERIFY(!protocol::readReply(port, queryWaitMs, out));
    QVERIFY(out.isEmpty());
    // The tail of the long answer is what the next read sees.
    QVERIFY(protocol::readReply(port, queryWaitMs, out));
    QCOMPARE(out, QStringLiteral("\n12"));

    port.queueReadResult(-1);
    QVERIFY(!protocol::readReply(port, queryWaitMs, out));
    QVERIFY(!protocol::readReply(port, queryWaitMs, out)); // nothing at all: a time-out
}

void CommandChannelTest::queryReadsOnlyAfterSuccessfulSend()
{
    ScriptedPort port;
    port.setWriteResult(0);
    port.queueReply("1\r\n");
    QString out;
    QVERIFY(!query(port, QStringLiteral("DIAGNOSTIC REPORT DPI\r\n"), queryWaitMs, out));
    QVERIFY(port.readWaits().isEmpty());
    QVERIFY(!port.allRepliesTaken());
}

void CommandChannelTest::queryStatus()
{
    ScriptedPort port;
    PrinterParameters params;
    QCOMPARE(params.statusByte, -1);
    port.queueReply("\xff\x01\x02");
    QVERIFY(protocol::queryStatus(port, params));
    QCOMPARE(port.written(), QByteArray("\x1b!?"));
    QCOMPARE(params.statusByte, 255);
    QCOMPARE(port.readWaits(), QList<quint32> { queryWaitMs });
    QCOMPARE(port.readCapacities(), QList<qint32> { replyBufferSize });
}

void CommandChannelTest::statusFailureKeepsEarlierByte()
{
    ScriptedPort port;
    PrinterParameters params;
    port.queueReply(QByteArray(1, '\x04'));
    QVERIFY(protocol::queryStatus(port, params));
    QCOMPARE(params.statusByte, 4);

    QVERIFY(!protocol::queryStatus(port, params)); // no answer
    port.queueReadResult(-5);
    QVERIFY(!protocol::queryStatus(port, params)); // connection error
    port.setWriteResult(0);
    port.queueReply(QByteArray(1, '\x09'));
    QVERIFY(!protocol::queryStatus(port, params)); // not written: nothing read
    QCOMPARE(params.statusByte, 4);
    QCOMPARE(port.readWaits().size(), 3);

    // A reset of the record does not forget the status byte.
    params.reset();
    QCOMPARE(params.statusByte, 4);
}

void CommandChannelTest::parseInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("value");
    constexpr qint32 max = std::numeric_limits<qint32>::max();
    constexpr qint32 min = std::numeric_limits<qint32>::min();
    QTest::newRow("plain") << "203" << 203;
    QTest::newRow("leading blanks and tab") << " \t 42" << 42;
    QTest::newRow("plus sign") << "+7" << 7;
    QTest::newRow("negative") << "-15" << -15;
    QTest::newRow("unit after number") << "40 dot" << 40;
    QTest::newRow("no digits") << "ON" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("sign then blank") << "- 5" << 0;
    QTest::newRow("largest") << "2147483647" << max;
    QTest::newRow("saturates high") << "99999999999999999999" << max;
    QTest::newRow("smallest") << "-2147483648" << min;
    QTest::newRow("saturates low") << "-2147483649" << min;
}

void CommandChannelTest::parseInteger()
{
    QFETCH(QString, text);
    QFETCH(qint32, value);
    QCOMPARE(protocol::parseInteger(text), value);
}

void CommandChannelTest::dotsToMillimetres_data()
{
    QTest::addColumn<qint32>("dots");
    QTest::addColumn<qint32>("dpi");
    QTest::addColumn<qint32>("mm");
    QTest::newRow("800 dots at 203 dpi") << 800 << 203 << 100;
    QTest::newRow("35 dots at 300 dpi") << 35 << 300 << 2;
    QTest::newRow("negative truncates toward zero") << -35 << 300 << -2;
    QTest::newRow("dpi 0") << 800 << 0 << 0;
    QTest::newRow("negative dpi") << 800 << -203 << 0;
    QTest::newRow("saturates") << std::numeric_limits<qint32>::max() << 1 << std::numeric_limits<qint32>::max();
}

void CommandChannelTest::dotsToMillimetres()
{
    QFETCH(qint32, dots);
    QFETCH(qint32, dpi);
    QFETCH(qint32, mm);
    QCOMPARE(protocol::dotsToMillimetres(dots, dpi), mm);
}

QTEST_GUILESS_MAIN(CommandChannelTest)
#include "tst_commandchannel.moc"
