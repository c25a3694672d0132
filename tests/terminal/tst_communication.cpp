#include "app/CApp.h"
#include "app/CMainFrame.h"
#include "terminal/CFormCommunication.h"
#include "ui/LayoutLoader.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestCommunication : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { registerCommunicationPage(); }
    void pageKeepsItsSettingsAcrossARun_data();
    void pageKeepsItsSettingsAcrossARun();
};

void TestCommunication::pageKeepsItsSettingsAcrossARun_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<int>("storedSendType");
    QTest::addColumn<int>("storedReceiveType");
    QTest::addColumn<QString>("shownSend");
    QTest::addColumn<QString>("shownReceive");
    QTest::addColumn<int>("chosenSendIndex"); // -2: left alone
    QTest::addColumn<QString>("typed"); // null: left alone
    QTest::addColumn<QString>("writtenText");
    QTest::addColumn<int>("writtenSendType");
    QTest::addColumn<int>("writtenReceiveType");
    QTest::newRow("first run, page untouched") << false << 0 << 0 << "CHAR"
                                               << "CHAR" << -2 << QString() << "" << 1 << 1;
    QTest::newRow("stored HEX, sending switched to CHAR") << true << 2 << 2 << "HEX"
                                                          << "HEX" << 0 << "~!T"
                                                          << "~!T" << 1 << 2;
    QTest::newRow("stored values no entry carries") << true << 0 << 5 << ""
                                                    << "" << -2 << QString() << "SELFTEST" << 0 << 0;
    QTest::newRow("send format cleared, text emptied") << true << 1 << 2 << "CHAR"
                                                       << "HEX" << -1 << ""
                                                       << "" << 0 << 2;
}

// The page restores the send text and formats when the main window builds
// it, and the main window's close request writes what the page shows then,
// whether or not the page was ever shown.
void TestCommunication::pageKeepsItsSettingsAcrossARun()
{
    QFETCH(bool, stored);
    QFETCH(int, chosenSendIndex);
    QFETCH(QString, typed);
    QTemporaryDir dir;
    CApp app(dir.filePath(QStringLiteral("settings.ini")));
    SettingsStore &store = app.settings();
    const QString section = QStringLiteral("Communication");
    store.writeInt(QStringLiteral("Port"), QStringLiteral("PortType"), 1);
    if (stored) {
        QFETCH(int, storedSendType);
        QFETCH(int, storedReceiveType);
        store.writeInt(section, QStringLiteral("SendTextType"), storedSendType);
        store.writeInt(section, QStringLiteral("RecvTextType"), storedReceiveType);
        store.writeText(section, QStringLiteral("SendText"), QStringLiteral("SELFTEST"));
    }
    app.startUp();

    QWidget *page = app.mainFrame()->page(QStringLiteral("FormCommunication"));
    QVERIFY(qobject_cast<CFormCommunication *>(page));
    auto *sendType = ui::findControl<QComboBox>(page, QStringLiteral("cb_send_text_type"));
    auto *receiveType = ui::findControl<QComboBox>(page, QStringLiteral("cb_receive_text_type"));
    auto *sendText = ui::findControl<QPlainTextEdit>(page, QStringLiteral("text_send_text"));
    for (QComboBox *selector : { sendType, receiveType }) {
        QCOMPARE(selector->count(), 2);
        QCOMPARE(selector->itemText(0), QStringLiteral("CHAR"));
        QCOMPARE(selector->itemData(0).toInt(), 1);
        QCOMPARE(selector->itemText(1), QStringLiteral("HEX"));
        QCOMPARE(selector->itemData(1).toInt(), 2);
    }
    QTEST(sendType->currentText(), "shownSend");
    QTEST(receiveType->currentText(), "shownReceive");
    QCOMPARE(sendText->toPlainText(), stored ? QStringLiteral("SELFTEST") : QString());

    if (chosenSendIndex != -2)
        sendType->setCurrentIndex(chosenSendIndex);
    if (!typed.isNull())
        sendText->setPlainText(typed);
    QSignalSpy closed(app.mainFrame(), &CMainFrame::closed);
    QVERIFY(app.mainFrame()->close());
    QCOMPARE(closed.size(), 1);
    QTEST(store.readText(section, QStringLiteral("SendText"), QStringLiteral("none")), "writtenText");
    QTEST(store.readInt(section, QStringLiteral("SendTextType"), -1), "writtenSendType");
    QTEST(store.readInt(section, QStringLiteral("RecvTextType"), -1), "writtenReceiveType");
    app.shutDown();
}

QTEST_MAIN(TestCommunication)
#include "tst_communication.moc"
