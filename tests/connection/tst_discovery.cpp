#include "connection/NetworkSearchRun.h"
#include "connection/PrinterInfo.h"
#include "platform/LocalAddresses.h"

#include <QSignalSpy>
#include <QtTest>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString exampleReply
    = QStringLiteral("NET BROADCAST,NET NAME:P1,MODEL:M2,SOFT:V3,DHCP OFF,IP ADDR:192.168.1.20,SUBNET:255.255.255.0,"
                     "GATEWAY:192.168.1.1,MAC:00-11-22-33-44-55\r\n");

// A printer's discovery port on loopback, played by the test.
class FakePrinterUdp
{
public:
    FakePrinterUdp()
    {
        m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        socklen_t size = sizeof address;
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &size);
        m_port = ntohs(address.sin_port);
    }
    ~FakePrinterUdp() { ::close(m_fd); }
    int port() const { return m_port; }

    // Next datagram within waitMs, and who sent it; the event loop runs meanwhile.
    QByteArray receive(sockaddr_in *from, int waitMs = 2000)
    {
        QElapsedTimer clock;
        clock.start();
        pollfd entry { m_fd, POLLIN, 0 };
        while (::poll(&entry, 1, 10) <= 0) {
            if (clock.elapsed() > waitMs)
                return {};
            QCoreApplication::processEvents();
        }
        char buffer[2048];
        socklen_t size = sizeof *from;
        const ssize_t n = ::recvfrom(m_fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(from), &size);
        return n > 0 ? QByteArray(buffer, n) : QByteArray();
    }
    void reply(const sockaddr_in &to, const QByteArray &bytes)
    {
        ::sendto(m_fd, bytes.constData(), bytes.size(), 0, reinterpret_cast<const sockaddr *>(&to), sizeof to);
    }

private:
    int m_fd = -1;
    int m_port = 0;
};

QString senderAddress(const sockaddr_in &from)
{
    return QString::fromLatin1(inet_ntoa(from.sin_addr));
}

} // namespace

class TestDiscovery : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("isReply");
        QTest::addColumn<QStringList>("fields"); // name model firmware ip subnet gateway mac
        QTest::addColumn<bool>("dhcp");
        const QStringList example { "P1", "M2", "V3", "192.168.1.20", "255.255.255.0", "192.168.1.1",
            "00-11-22-33-44-55" };
        QTest::newRow("example") << exampleReply << true << example << false;
        QTest::newRow("no line end") << exampleReply.chopped(2) << true << example << false;
        QTest::newRow("keys in another order")
            << "MAC:AA,IP ADDR:10.0.0.5,NET BROADCAST,DHCP ON,NET "
               "NAME:Shop,MODEL:X,SOFT:1.2,SUBNET:255.0.0.0,GATEWAY:10.0.0.1\r\n"
            << true << QStringList { "Shop", "X", "1.2", "10.0.0.5", "255.0.0.0", "10.0.0.1", "AA" } << true;
        QTest::newRow("no SOFT, no DHCP") << "NET BROADCAST,NET NAME:P,MODEL:M,IP ADDR:1.2.3.4,MAC:m\r\n"
                                          << true << QStringList { "P", "M", "", "1.2.3.4", "", "", "m" } << true;
        QTest::newRow("not a discovery reply") << "NET NAME:P,MAC:m\r\n" << false << QStringList() << true;
    }
    void parse()
    {
        QFETCH(QString, reply);
        QFETCH(bool, isReply);
        QFETCH(QStringList, fields);
        QFETCH(bool, dhcp);
        const auto info = parsePrinterInfo(reply);
        QCOMPARE(info.has_value(), isReply);
        if (!info)
            return;
        QCOMPARE(
            QStringList({ info->name, info->model, info->firmware, info->ip, info->subnet, info->gateway, info->mac }),
            fields);
        QCOMPARE(info->dhcp, dhcp);
    }

    void settingsCommands()
    {
        QCOMPARE(NetworkSearchRun::networkSettingsCommand(true, "1.2.3.4", "255.0.0.0", "1.2.3.1"),
            QByteArray("NET DHCP\r\n"));
        QCOMPARE(NetworkSearchRun::networkSettingsCommand(false, "10.0.0.9", "255.255.255.0", "10.0.0.1"),
            QByteArray("NET IP \"10.0.0.9\",\"255.255.255.0\",\"10.0.0.1\"\r\n"));
    }

    void queryDestination_data()
    {
        QTest::addColumn<QString>("configured");
        QTest::addColumn<QString>("local");
        QTest::addColumn<QString>("destination");
        QTest::newRow("network address broadcasts") << ""
                                                    << "192.168.1.7"
                                                    << "255.255.255.255";
        QTest::newRow("loopback asks itself") << ""
                                              << "127.0.0.1"
                                              << "127.0.0.1";
        QTest::newRow("configured wins") << "127.0.0.9"
                                         << "192.168.1.7"
                                         << "127.0.0.9";
    }
    void queryDestination()
    {
        QFETCH(QString, configured);
        QFETCH(QString, local);
        QTEST(NetworkSearchRun::queryDestination(configured, local), "destination");
    }

    void localAddressesIncludeLoopback()
    {
        QVERIFY(platform::localIPv4Addresses().contains(QStringLiteral("127.0.0.1")));
    }

    // Two local addresses give two searchers; each asks every second, each
    // reply reaches the window thread, and settings go from every searcher.
    void searchOnTwoLoopbackAddresses()
    {
        FakePrinterUdp printer;
        NetworkSearchRun run;
        run.setQueryAddress(QStringLiteral("127.0.0.1"));
        const int localPort = 20000 + (QCoreApplication::applicationPid() % 20000);
        run.setPorts(printer.port(), localPort);
        QSignalSpy found(&run, &NetworkSearchRun::printerFound);
        run.StartSearch({ QStringLiteral("127.0.0.1"), QStringLiteral("127.0.0.2") });
        QCOMPARE(run.searcherCount(), 2);

        QStringList senders;
        for (int i = 0; i < 2; ++i) {
            sockaddr_in from {};
            QCOMPARE(printer.receive(&from), NetworkSearchRun::query);
            QCOMPARE(int(ntohs(from.sin_port)), localPort);
            senders.append(senderAddress(from));
            printer.reply(from, exampleReply.toLatin1());
        }
        senders.sort();
        QCOMPARE(senders, QStringList({ "127.0.0.1", "127.0.0.2" }));
        QTRY_COMPARE(found.size(), 2);
        QCOMPARE(found.at(0).at(0).value<PrinterInfo>().mac, QStringLiteral("00-11-22-33-44-55"));

        sockaddr_in from {};
        QCOMPARE(printer.receive(&from, 1500), NetworkSearchRun::query); // the timer asks again

        while (!printer.receive(&from, 50).isEmpty()) { }
        run.SendNetworkSettings(QStringLiteral("127.0.0.1"), false, "10.0.0.9", "255.255.255.0", "10.0.0.1");
        QByteArray settings;
        for (int i = 0; i < 4 && settings.isEmpty(); ++i) {
            const QByteArray datagram = printer.receive(&from);
            if (datagram != NetworkSearchRun::query)
                settings = datagram;
        }
        QCOMPARE(settings, QByteArray("NET IP \"10.0.0.9\",\"255.255.255.0\",\"10.0.0.1\"\r\n"));

        QElapsedTimer clock;
        clock.start();
        run.StopSearch();
        QVERIFY(clock.elapsed() < 500);
        QCOMPARE(run.searcherCount(), 0);
        while (!printer.receive(&from, 50).isEmpty()) { }
        QVERIFY(printer.receive(&from, 1300).isEmpty());
    }

    void busyPortLeavesOtherSearchersWorking()
    {
        FakePrinterUdp printer;
        NetworkSearchRun first;
        NetworkSearchRun second;
        const int localPort = 20001 + (QCoreApplication::applicationPid() % 20000);
        for (NetworkSearchRun *run : { &first, &second }) {
            run->setQueryAddress(QStringLiteral("127.0.0.1"));
            run->setPorts(printer.port(), localPort);
        }
        first.StartSearch({ QStringLiteral("127.0.0.3") });
        second.StartSearch({ QStringLiteral("127.0.0.3"), QStringLiteral("127.0.0.4") });
        QCOMPARE(second.searcherCount(), 2);
        QStringList senders;
        sockaddr_in from {};
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(printer.receive(&from), NetworkSearchRun::query);
            senders.append(senderAddress(from));
        }
        senders.sort();
        QCOMPARE(senders, QStringList({ "127.0.0.3", "127.0.0.4" }));
    }
};

QTEST_GUILESS_MAIN(TestDiscovery)
#include "tst_discovery.moc"
