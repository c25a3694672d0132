#include "platform/SerialMode.h"
#include "support/PseudoTerminal.h"

#include <QtTest>

#include <fcntl.h>
#include <termios.h>

using platform::SerialMode;

class TestSerialMode : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("baud");
        QTest::addColumn<char>("parity");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("stopBits");
        QTest::newRow("empty is 9600 8N1") << "" << true << 9600 << 'N' << 8 << 1;
        QTest::newRow("full") << "baud=19200 parity=e data=7 stop=2" << true << 19200 << 'E' << 7 << 2;
        QTest::newRow("partial") << "  BAUD=115200  " << true << 115200 << 'N' << 8 << 1;
        QTest::newRow("odd rate") << "baud=12345" << false << 0 << 'N' << 0 << 0;
        QTest::newRow("unknown key") << "flow=x" << false << 0 << 'N' << 0 << 0;
        QTest::newRow("no value") << "baud" << false << 0 << 'N' << 0 << 0;
        QTest::newRow("bad parity") << "parity=Q" << false << 0 << 'N' << 0 << 0;
        QTest::newRow("nine data bits") << "data=9" << false << 0 << 'N' << 0 << 0;
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const auto mode = SerialMode::parse(text);
        QCOMPARE(mode.has_value(), valid);
        if (!valid)
            return;
        QTEST(mode->baud, "baud");
        QTEST(mode->parity, "parity");
        QTEST(mode->dataBits, "dataBits");
        QTEST(mode->stopBits, "stopBits");
    }

    // A pseudo-terminal keeps speed and stop bits (it ignores size and parity).
    void appliesToTerminal()
    {
        PseudoTerminal line;
        const int fd = ::open(QFile::encodeName(line.devicePath()).constData(), O_RDWR | O_NOCTTY);
        QVERIFY(fd >= 0);
        QVERIFY(SerialMode::parse(QStringLiteral("baud=19200 parity=O data=8 stop=2"))->applyTo(fd));
        termios tio {};
        QCOMPARE(::tcgetattr(fd, &tio), 0);
        QCOMPARE(::cfgetospeed(&tio), speed_t(B19200));
        QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
        QVERIFY(tio.c_cflag & CSTOPB);
        ::close(fd);
    }
};

QTEST_GUILESS_MAIN(TestSerialMode)
#include "tst_serialmode.moc"
