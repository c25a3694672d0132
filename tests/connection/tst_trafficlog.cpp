#include "connection/TrafficLog.h"
#include "support/TrafficLogRecorder.h"

#include <QtTest>

class TestTrafficLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void transferLine_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("line");
        QTest::newRow("command") << "Write: " << QByteArray("SELFTEST\r\n")
                                 << "Write: SELFTEST[CRLF]( Hex: 53 45 4C 46 54 45 53 54 0D 0A  )";
        QTest::newRow("escape sequence") << "Write: " << QByteArray("\x1b!?") << "Write: ( Hex: 1B 21 3F  )";
        QTest::newRow("nothing") << "Write: " << QByteArray() << "Write: ( Hex:  )";
        QTest::newRow("empty read") << "Read: " << QByteArray() << "Read: ( Hex:  )";
        QTest::newRow("lone CR at end") << "Write: " << QByteArray("AB\r") << "Write: ( Hex: 41 42 0D  )";
        QTest::newRow("A CR B") << "Write: " << QByteArray("A\rB") << "Write: ( Hex: 41 0D 42  )";
        QTest::newRow("A CR LF B") << "Read: " << QByteArray("A\r\nB") << "Read: A[CRLF]B( Hex: 41 0D 0A 42  )";
        QTest::newRow("LF CR") << "Read: " << QByteArray("A\n\r") << "Read: ( Hex: 41 0A 0D  )";
        QTest::newRow("DEL") << "Read: " << QByteArray("A\x7f") << "Read: ( Hex: 41 7F  )";
        QTest::newRow("high byte") << "Read: " << QByteArray("\xff") << "Read: ( Hex: FF  )";
        QTest::newRow("percent") << "Write: " << QByteArray("%s %d %%")
                                 << "Write: %s %d %%( Hex: 25 73 20 25 64 20 25 25  )";
        const QByteArray hundred(100, 'x');
        QString hex;
        for (int i = 0; i < 32; ++i)
            hex += QStringLiteral("78 ");
        QTest::newRow("100 bytes") << "Write: " << hundred
                                   << QStringLiteral("Write: ") + QString::fromLatin1(hundred) + "( Hex: " + hex + " )";
    }
    void transferLine()
    {
        QFETCH(QString, prefix);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, line);
        QCOMPARE(TrafficLog::transferLine(prefix, bytes), line);
    }

    void stamp()
    {
        const QDateTime when(QDate(2026, 3, 4), QTime(5, 6, 7, 89));
        QCOMPARE(TrafficLog::stamp(when, QStringLiteral("100% done")),
            QStringLiteral("2026-03-04 05:06:07.089 : 100% done"));
    }

    // Entries reach a queued receiver later, on its own thread, and are
    // dropped while nobody listens.
    void postFromAnyThreadWithoutWaiting()
    {
        QStringList received;
        QObject receiver;
        TrafficLog::instance().post(QStringLiteral("dropped"));
        connect(
            &TrafficLog::instance(), &TrafficLog::entryPosted, &receiver,
            [&](const QString &entry) { received.append(entry); }, Qt::QueuedConnection);
        QThread *poster = QThread::create([] { TrafficLog::instance().post(QStringLiteral("from worker")); });
        poster->start();
        QVERIFY(poster->wait(5000));
        delete poster;
        QVERIFY(received.isEmpty());
        QTRY_COMPARE(received.size(), 1);
        QVERIFY(received.first().endsWith(QStringLiteral(" : from worker")));
    }
};

QTEST_GUILESS_MAIN(TestTrafficLog)
#include "tst_trafficlog.moc"
