#include "connection/CDeviceSocket.h"
#include "support/LoopbackServer.h"
#include "support/TrafficLogRecorder.h"

#include <QtTest>

namespace {
const QString loopback = QStringLiteral("127.0.0.1");
}

class TestSocketClient : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void backgroundConnectSendReceive()
    {
        LoopbackServer server;
        QVERIFY(server.listen(0));
        TrafficLogRecorder log;
        CDeviceSocket client;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(client.Connect(loopback, server.port(), true, true));
        QVERIFY(clock.elapsed() < 500);
        QVERIFY(!client.IsConnected());
        QTRY_VERIFY_WITH_TIMEOUT(client.IsConnected(), 4000);
        QVERIFY(server.accept());

        QCOMPARE(client.Send("PING\r\n", 6), 6);
        QCOMPARE(server.receive(), QByteArray("PING\r\n"));
        QVERIFY(server.send("PONG\r\n"));
        char reply[64];
        QCOMPARE(client.Receive(reply, sizeof reply, 1000), 6);
        QCOMPARE(QByteArray(reply, 6), QByteArray("PONG\r\n"));
        QTRY_COMPARE(log.lines(), QStringList { "127.0.0.1 connected." });

        // The same endpoint again keeps the connection.
        QVERIFY(client.Connect(loopback, server.port(), true, true));
        QVERIFY(client.IsConnected());
        QVERIFY(!server.hasPendingConnection(1500));
        QCOMPARE(client.Send("A", 1), 1);
        QCOMPARE(server.receive(), QByteArray("A"));
        QCOMPARE(log.lines().size(), 1);
    }

    void closeThenConnectMakesNewConnection()
    {
        LoopbackServer server;
        QVERIFY(server.listen(0));
        CDeviceSocket client;
        QVERIFY(client.Connect(loopback, server.port(), false, false));
        QVERIFY(server.accept());
        client.Close();
        QVERIFY(!client.IsConnected());
        QCOMPARE(client.Send("A", 1), 0);
        QVERIFY(client.Connect(loopback, server.port(), false, false));
        QVERIFY(server.accept(1000));
    }

    void receiveWaitsItsTimeThenReturnsZero()
    {
        LoopbackServer server;
        QVERIFY(server.listen(0));
        CDeviceSocket client;
        QVERIFY(client.Connect(loopback, server.port(), false, false));
        QVERIFY(server.accept());
        char buffer[8];
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(client.Receive(buffer, sizeof buffer, 1000), 0);
        QVERIFY2(clock.elapsed() >= 990 && clock.elapsed() < 1500, QByteArray::number(clock.elapsed()));

        // An answer is taken the moment it arrives.
        QVERIFY(server.send("X"));
        clock.restart();
        QCOMPARE(client.Receive(buffer, sizeof buffer, 1000), 1);
        QVERIFY(clock.elapsed() < 500);

        server.closePeer();
        clock.restart();
        QCOMPARE(client.Receive(buffer, sizeof buffer, 1000), 0);
        QVERIFY(clock.elapsed() < 500);
    }

    // A connection the peer ended is noticed by the next receive or failed
    // send: one "disconnected." line, and with auto-reconnect a new
    // connection about a second later; without it, Connect to the same
    // endpoint makes one.
    void lostConnectionIsLeft_data()
    {
        QTest::addColumn<bool>("bySend");
        QTest::addColumn<bool>("autoReconnect");
        QTest::newRow("receive finds it closed") << false << true;
        QTest::newRow("send fails") << true << true;
        QTest::newRow("without auto-reconnect") << false << false;
    }
    void lostConnectionIsLeft()
    {
        QFETCH(bool, bySend);
        QFETCH(bool, autoReconnect);
        LoopbackServer server;
        QVERIFY(server.listen(0));
        TrafficLogRecorder log;
        CDeviceSocket client;
        QVERIFY(client.Connect(loopback, server.port(), autoReconnect, false));
        QVERIFY(server.accept());
        QTRY_COMPARE(log.lines(), QStringList { "127.0.0.1 connected." });

        server.closePeer();
        if (bySend) {
            // The first sends may still go into the buffer before the reset comes back.
            int sends = 0;
            while (client.Send("A", 1) == 1 && ++sends < 50)
                QTest::qWait(10);
            QVERIFY(sends < 50);
        } else {
            char buffer[8];
            QCOMPARE(client.Receive(buffer, sizeof buffer, 1000), 0);
        }
        QVERIFY(!client.IsConnected());
        QCOMPARE(log.lines(), (QStringList { "127.0.0.1 connected.", "127.0.0.1 disconnected." }));
        QCOMPARE(client.Send("A", 1), 0);

        if (autoReconnect) {
            QVERIFY(server.accept(CSocketClient::retryPauseMs + 3000));
            QTRY_VERIFY(client.IsConnected());
            QTRY_COMPARE(log.lines().size(), 3);
        } else {
            QVERIFY(!server.hasPendingConnection(CSocketClient::retryPauseMs + 500));
            QVERIFY(client.Connect(loopback, server.port(), false, false));
            QVERIFY(server.accept(1000));
        }
        QCOMPARE(client.Send("B", 1), 1);
        QCOMPARE(server.receive(), QByteArray("B"));
    }

    void reconnectsWhenServerAppearsLate()
    {
        const quint16 port = LoopbackServer::freePort();
        TrafficLogRecorder log;
        CDeviceSocket client;
        QVERIFY(!client.Connect(loopback, port, true, false));
        QTest::qWait(1500);
        QVERIFY(!client.IsConnected());
        QVERIFY(log.lines().isEmpty());
        LoopbackServer server;
        QVERIFY(server.listen(port));
        QTRY_VERIFY_WITH_TIMEOUT(client.IsConnected(), 4000);
        QVERIFY(server.accept());
        QTRY_COMPARE(log.lines(), QStringList { "127.0.0.1 connected." });
    }

    void oneFailedAttemptWithoutRetry()
    {
        CDeviceSocket client;
        QVERIFY(!client.Connect(loopback, LoopbackServer::freePort(), false, false));
        QVERIFY(!client.IsConnected());
    }

    // A listener whose queue is full ignores new handshakes, so the client's
    // attempt hangs in its connect wait; Close must still end it at once.
    void closeDuringRetriesReturnsPromptly()
    {
        LoopbackServer server;
        QVERIFY(server.listen(0, 0));
        QVERIFY(server.fillQueue());

        CDeviceSocket client;
        QVERIFY(client.Connect(loopback, server.port(), true, true));
        // The first attempt starts after the retry pause; be inside its wait.
        QTest::qWait(CSocketClient::retryPauseMs + 200);
        QElapsedTimer clock;
        clock.start();
        client.Close();
        QVERIFY2(clock.elapsed() < 300, QByteArray::number(clock.elapsed()));
        QVERIFY(!client.IsConnected());
    }
};

QTEST_GUILESS_MAIN(TestSocketClient)
#include "tst_socketclient.moc"
