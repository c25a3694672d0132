#include "app/CApp.h"
#include "app/CDlgProcess.h"
#include "app/CMainFrame.h"
#include "app/LanguageManager.h"
#include "app/TrafficLogView.h"
#include "support/SimPrinterProcess.h"
#include "support/TrafficLogRecorder.h"
#include "terminal/CFormCommunication.h"
#include "ui/LayoutLoader.h"
#include "ui/ScriptedPrompts.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString section = QStringLiteral("Communication");

// A started program (port kind NET, so no USB dialog) and its communication page.
struct Program {
    QTemporaryDir dir;
    std::unique_ptr<CApp> app;
    CFormCommunication *page = nullptr;

    explicit Program(const QString &language = QStringLiteral("English"))
    {
        app = std::make_unique<CApp>(dir.filePath(QStringLiteral("settings.ini")));
        app->settings().writeInt(QStringLiteral("Port"), QStringLiteral("PortType"), 1);
        app->settings().writeText(QStringLiteral("Language"), QStringLiteral("LangName"), language);
        app->startUp();
        page = qobject_cast<CFormCommunication *>(app->mainFrame()->page(QStringLiteral("FormCommunication")));
    }
    ~Program() { app->shutDown(); }

    template <typename Control> Control *control(const char *name) const
    {
        return ui::findControl<Control>(page, QString::fromLatin1(name));
    }
    // Sets the formats and the text, clicks Send and waits for the one read.
    QString send(const QString &text, int sendType = 1, int receiveType = 1) const
    {
        control<QComboBox>("cb_send_text_type")->setCurrentIndex(sendType - 1);
        control<QComboBox>("cb_receive_text_type")->setCurrentIndex(receiveType - 1);
        control<QPlainTextEdit>("text_send_text")->setPlainText(text);
        // The button comes back once the previous exchange has quite ended.
        auto *button = control<QPushButton>("btn_send_text");
        if (!QTest::qWaitFor([button] { return button->isEnabled(); }, 5000)) {
            QTest::qFail("the send button stays disabled", __FILE__, __LINE__);
            return QString();
        }
        QSignalSpy received(page, &CFormCommunication::received);
        button->click();
        if (!received.wait(5000)) {
            QTest::qFail("no exchange", __FILE__, __LINE__);
            return QString();
        }
        return received.first().first().toString();
    }
    QString shown() const { return control<QPlainTextEdit>("text_receive_text")->toPlainText(); }
};

QString writeFile(const QTemporaryDir &dir, qsizetype size)
{
    const QString path = dir.filePath(QStringLiteral("data.bin"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(size, 'x')) != size)
        return QString();
    return path;
}

QStringList writeLines(const QStringList &log)
{
    QStringList writes;
    for (const QString &line : log) {
        if (line.startsWith(QStringLiteral("Write: ")))
            writes.append(line);
    }
    return writes;
}

} // namespace

class TestCommunication : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void pageKeepsItsSettingsAcrossARun_data();
    void pageKeepsItsSettingsAcrossARun();
    void sendReachesThePrinterAndShowsItsAnswer_data();
    void sendReachesThePrinterAndShowsItsAnswer();
    void answersAreAppendedAsTheyCame();
    void sendFileRunsBehindTheProgressDialog_data();
    void sendFileRunsBehindTheProgressDialog();
    void upAndDownRecallSentTexts();
    void historyKeepsTheLast50();
    void screenshots_data();
    void screenshots();

private:
    SimPrinterProcess m_sim;
};

void TestCommunication::initTestCase()
{
    registerCommunicationPage();
    LanguageManager::instance().select(QStringLiteral("Lang\\English"), QStringLiteral("English"));
#ifdef SIM_EXECUTABLE
    QVERIFY2(m_sim.start(QStringLiteral(SIM_EXECUTABLE)), qPrintable(m_sim.errorText()));
#endif
}

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

void TestCommunication::sendReachesThePrinterAndShowsItsAnswer_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("sendType");
    QTest::addColumn<int>("receiveType");
    QTest::addColumn<QString>("written"); // the port's "Write: " line
    QTest::addColumn<QString>("shown");
    QTest::newRow("query, answer as text") << "DIAGNOSTIC REPORT DPI\n"
                                           << 1 << 1
                                           << "Write: DIAGNOSTIC REPORT DPI[CRLF]( Hex: 44 49 41 47 4E 4F 53 54 49 "
                                              "43 20 52 45 50 4F 52 54 20 44 50 49 0D 0A  )"
                                           << "203\n";
    QTest::newRow("query, answer as hex") << "DIAGNOSTIC REPORT DPI\n"
                                          << 1 << 2
                                          << "Write: DIAGNOSTIC REPORT DPI[CRLF]( Hex: 44 49 41 47 4E 4F 53 54 49 "
                                             "43 20 52 45 50 4F 52 54 20 44 50 49 0D 0A  )"
                                          << " 32 30 33 0D 0A";
    QTest::newRow("status query in hex, its zero byte shown") << "1B 21 3F" << 2 << 2 << "Write: ( Hex: 1B 21 3F  )"
                                                              << " 00";
    QTest::newRow("status query in hex, answer as text stops at the zero byte")
        << "0x1B,0x21,0x3F" << 2 << 1 << "Write: ( Hex: 1B 21 3F  )"
        << "";
    // Last: the self-test page sets the printing bit of the status for a while.
    QTest::newRow("SELFTEST, 8 bytes") << "SELFTEST" << 1 << 1 << "Write: SELFTEST( Hex: 53 45 4C 46 54 45 53 54  )"
                                       << "";
    QTest::newRow("SELFTEST and a typed line break, 10 bytes")
        << "SELFTEST\n"
        << 1 << 1 << "Write: SELFTEST[CRLF]( Hex: 53 45 4C 46 54 45 53 54 0D 0A  )"
        << "";
}

// Through the real port object to the simulated printer over loopback TCP.
void TestCommunication::sendReachesThePrinterAndShowsItsAnswer()
{
#ifndef SIM_EXECUTABLE
    QSKIP("no simulated printer in this build");
#endif
    QFETCH(QString, typed);
    QFETCH(int, sendType);
    QFETCH(int, receiveType);
    QFETCH(QString, written);
    Program program;
    QVERIFY(m_sim.connectPort(program.app->device()));
    TrafficLogRecorder log;
    program.send(typed, sendType, receiveType);
    QCOMPARE(writeLines(log.lines()), QStringList { written });
    QTEST(program.shown(), "shown");
}

// Each answer goes at the very end, nothing between them, wherever the
// user's cursor or selection is.
void TestCommunication::answersAreAppendedAsTheyCame()
{
#ifndef SIM_EXECUTABLE
    QSKIP("no simulated printer in this build");
#endif
    Program program;
    QVERIFY(m_sim.connectPort(program.app->device()));
    program.send(QStringLiteral("DIAGNOSTIC REPORT DPI\n"), 1, 2);
    auto *receive = program.control<QPlainTextEdit>("text_receive_text");
    receive->moveCursor(QTextCursor::Start);
    receive->moveCursor(QTextCursor::NextWord, QTextCursor::KeepAnchor);
    program.send(QStringLiteral("DIAGNOSTIC REPORT DPI\n"), 1, 1);
    program.send(QString(), 2, 2); // nothing sent, nothing read: a space
    QCOMPARE(program.shown(), QStringLiteral(" 32 30 33 0D 0A203\n "));
}

void TestCommunication::sendFileRunsBehindTheProgressDialog_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("expectedTime");
    QTest::addColumn<int>("writes");
    QTest::addColumn<QString>("last");
    QTest::newRow("1025 bytes, two blocks")
        << 1025 << false << "0:01" << 2 << "Send file: data.bin, 1025 bytes, 2 blocks, expected time 0:01.";
    QTest::newRow("cancelled at once: the first block goes")
        << 5000 << true << "0:02" << 1 << "Send file cancelled: 1024 of 5000 bytes sent.";
}

void TestCommunication::sendFileRunsBehindTheProgressDialog()
{
#ifndef SIM_EXECUTABLE
    QSKIP("no simulated printer in this build");
#endif
    QFETCH(int, size);
    QFETCH(bool, cancel);
    Program program;
    QVERIFY(m_sim.connectPort(program.app->device()));
    ScriptedPrompts prompts;
    const QString path = writeFile(program.dir, size);
    prompts.fileNames.enqueue(path);
    program.control<QPushButton>("btn_select_send_file")->click();
    QCOMPARE(program.control<QLineEdit>("text_send_file")->text(), path);
    QTEST(program.control<QLabel>("label_send_file_time")->text(), "expectedTime");

    TrafficLogRecorder log;
    bool dialogSeen = false;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<CDlgProcess *>(QApplication::activeModalWidget());
        if (!dialog || dialogSeen)
            return;
        dialogSeen = true;
        auto *button = dialog->findChild<QPushButton *>(QStringLiteral("btn_process_cancel"));
        QVERIFY(button && button->isVisible());
        if (cancel)
            button->click();
    });
    watcher.start(5);
    program.control<QPushButton>("btn_send_file")->click(); // returns when the dialog has closed
    QVERIFY(dialogSeen);
    QTEST(int(writeLines(log.lines()).size()), "writes");
    QTEST(log.lines().filter(QStringLiteral("Send file")).constLast(), "last");
    QVERIFY(writeLines(log.lines()).constFirst().contains(QStringLiteral("Write: xxxx")));
}

void TestCommunication::upAndDownRecallSentTexts()
{
    Program program;
    program.app->mainFrame()->show();
    ui::findControl<QPushButton>(program.app->mainFrame(), QStringLiteral("tabctrl_communication"))->click();
    auto *box = program.control<QPlainTextEdit>("text_send_text");
    const auto key = [box](Qt::Key k) {
        QTest::keyClick(box, k);
        return box->toPlainText();
    };
    program.send(QStringLiteral("first"));
    program.send(QStringLiteral("two\nlines"));
    program.send(QStringLiteral("first")); // sent again: moves to the newest place
    box->setPlainText(QStringLiteral("draft"));
    box->moveCursor(QTextCursor::End);
    QCOMPARE(key(Qt::Key_Up), QStringLiteral("first"));
    QCOMPARE(key(Qt::Key_Up), QStringLiteral("two\nlines"));
    // From the last line of a longer text Up first moves inside it.
    box->moveCursor(QTextCursor::End);
    QCOMPARE(key(Qt::Key_Up), QStringLiteral("two\nlines"));
    QCOMPARE(box->textCursor().blockNumber(), 0);
    QCOMPARE(key(Qt::Key_Up), QStringLiteral("two\nlines")); // the oldest stays
    QCOMPARE(key(Qt::Key_Down), QStringLiteral("two\nlines"));
    QCOMPARE(box->textCursor().blockNumber(), 1);
    QCOMPARE(key(Qt::Key_Down), QStringLiteral("first"));
    QCOMPARE(key(Qt::Key_Down), QStringLiteral("draft"));
    QCOMPARE(key(Qt::Key_Down), QStringLiteral("draft"));
    QCOMPARE(program.page->history(), (QStringList { QStringLiteral("two\nlines"), QStringLiteral("first") }));
}

void TestCommunication::historyKeepsTheLast50()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("kept.ini"));
    QStringList sent;
    {
        Program program;
        for (int i = 0; i < 55; ++i) {
            sent.append(QStringLiteral("line %1\nwith \"quotes\", commas").arg(i));
            program.send(sent.constLast());
        }
        program.send(QString()); // an empty text is not kept
        QCOMPARE(program.page->history(), sent.mid(5));
        program.app->mainFrame()->close();
        QVERIFY(QFile::copy(program.dir.filePath(QStringLiteral("settings.ini")), file));
    }
    CApp app(file);
    app.startUp();
    auto *page = qobject_cast<CFormCommunication *>(app.mainFrame()->page(QStringLiteral("FormCommunication")));
    QCOMPARE(page->history(), sent.mid(5));
    app.shutDown();
}

void TestCommunication::screenshots_data()
{
    QTest::addColumn<QString>("language");
    for (const char *language : { "English", "ChineseSimplified", "German", "Russian", "Arabic" })
        QTest::newRow(language) << QString::fromLatin1(language);
}

// Pictures of the tab in the main window for a person to look at, when asked for.
void TestCommunication::screenshots()
{
    const QString folder = qEnvironmentVariable("OSTREL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        QSKIP("set OSTREL_SCREENSHOT_DIR to save pictures of the communication page");
#ifndef SIM_EXECUTABLE
    QSKIP("no simulated printer in this build");
#endif
    QFETCH(QString, language);
    Program program(language);
    QVERIFY(m_sim.connectPort(program.app->device()));
    CMainFrame *frame = program.app->mainFrame();
    frame->show();
    ui::findControl<QPushButton>(frame, QStringLiteral("tabctrl_communication"))->click();
    program.send(QStringLiteral("DIAGNOSTIC REPORT DPI\n"));
    program.send(QStringLiteral("DIAGNOSTIC REPORT DPI\n"), 1, 2);
    program.send(QStringLiteral("1B 21 3F"), 2, 2);
    program.control<QComboBox>("cb_send_text_type")->setCurrentIndex(0);
    program.control<QPlainTextEdit>("text_send_text")->setPlainText(QStringLiteral("DIAGNOSTIC REPORT SPEED\n"));
    ScriptedPrompts prompts;
    prompts.fileNames.enqueue(writeFile(program.dir, 40000));
    program.control<QPushButton>("btn_select_send_file")->click();
    QTest::qWait(100);
    QVERIFY(frame->grab().save(QDir(folder).filePath(QStringLiteral("FormCommunication-%1.png").arg(language))));
    // The send-file dialog with its cancel button, and the log's find bar.
    CDlgProcess dialog(frame);
    dialog.setCancellable(true);
    QVERIFY(dialog.grab().save(QDir(folder).filePath(QStringLiteral("DlgProcess-cancel-%1.png").arg(language))));
    frame->trafficLog()->openFind();
    QTest::keyClicks(frame->trafficLog()->findField(), QStringLiteral("Write"));
    QVERIFY(frame->grab().save(QDir(folder).filePath(QStringLiteral("TrafficLog-find-%1.png").arg(language))));
    LanguageManager::instance().select(QStringLiteral("Lang\\English"), QStringLiteral("English"));
}

QTEST_MAIN(TestCommunication)
#include "tst_communication.moc"
