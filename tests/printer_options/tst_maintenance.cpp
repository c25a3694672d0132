#include "app/LanguageManager.h"
#include "printer_options/FormFixture.h"
#include "printer_options/MaintenanceActions.h"
#include "printer_options/PrinterClock.h"
#include "protocol/PrinterParameters.h"
#include "support/ScriptedPort.h"
#include "support/SimPrinterProcess.h"
#include "ui/ControlText.h"
#include "ui/ScriptedPrompts.h"

#include <QTimer>
#include <QtTest>

namespace {

// Records the caption of every message box besides its text.
class CaptionPrompts : public ScriptedPrompts
{
public:
    QStringList captions;
    int showMessage(QWidget *parent, const QString &text, const QString &caption, Buttons buttons, Icon icon) override
    {
        captions.append(caption);
        return ScriptedPrompts::showMessage(parent, text, caption, buttons, icon);
    }
};

void selectLanguage(const QString &folder)
{
    LanguageManager::instance().select(QStringLiteral("Lang\\") + folder, folder);
}

} // namespace

// The status field and the single maintenance actions of the printer options
// form, on its loaded layout: bytes against a scripted port, the status query
// against the simulated printer over loopback TCP.
class MaintenanceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void statusTextOfTheByte_data();
    void statusTextOfTheByte();
    void statusQueryAgainstThePrinter_data();
    void statusQueryAgainstThePrinter();
    void actionsSendTheirBytes_data();
    void actionsSendTheirBytes();
    void clockIsOneReadingOfLocalTime_data();
    void clockIsOneReadingOfLocalTime();
    void otherControlsAreNotHandled();

private:
    QString statusShown() const
    {
        return ui::controlText(ui::findControl<QWidget>(m_form.get(), QStringLiteral("text_prt_status")));
    }

    std::unique_ptr<QWidget> m_form;
    PrinterParameters m_params;
};

void MaintenanceTest::init()
{
    selectLanguage(QStringLiteral("English"));
    m_form = loadPrinterOptionsLayout();
    m_params = PrinterParameters();
}

void MaintenanceTest::cleanup()
{
    printer_options::setLocalClock(nullptr);
    m_form.reset();
}

void MaintenanceTest::statusTextOfTheByte_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("statusByte");
    QTest::addColumn<QString>("text");
    const QString english = QStringLiteral("English");
    QTest::newRow("never read") << english << -1 << QStringLiteral("Not connected");
    QTest::newRow("0") << english << 0 << QStringLiteral("Normal");
    QTest::newRow("0x05") << english << 0x05 << QStringLiteral("Cover opened Out of paper ");
    QTest::newRow("0x40 is a blank") << english << 0x40 << QStringLiteral(" ");
    QTest::newRow("0x80") << english << 0x80 << QStringLiteral("Overheat ");
    QTest::newRow("0xFF") << english << 0xFF
                          << QStringLiteral(
                                 "Cover opened Paper error Out of paper Ribbon error Paused Printing  Overheat ");
    QTest::newRow("0x05 Chinese") << QStringLiteral("ChineseSimplified") << 0x05 << QStringLiteral("开盖 无纸 ");
}

void MaintenanceTest::statusTextOfTheByte()
{
    QFETCH(QString, language);
    QFETCH(int, statusByte);
    QFETCH(QString, text);
    selectLanguage(language);
    ScriptedPort port;
    MaintenanceActions actions(m_form.get(), port, m_params, m_form.get());
    m_params.statusByte = statusByte;
    actions.showStatus();
    QCOMPARE(statusShown(), text);
    QVERIFY(port.writes().isEmpty());
}

void MaintenanceTest::statusQueryAgainstThePrinter_data()
{
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<int>("byteBefore");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("byteAfter");
    QTest::newRow("answered") << QStringList { QStringLiteral("--status"), QStringLiteral("0x05") } << -1
                              << QStringLiteral("Cover opened Out of paper ") << 0x05;
    QTest::newRow("0xFF is 255") << QStringList { QStringLiteral("--status"), QStringLiteral("255") } << 0
                                 << QStringLiteral(
                                        "Cover opened Paper error Out of paper Ribbon error Paused Printing  "
                                        "Overheat ")
                                 << 255;
    // An earlier answer of 0 would read "Normal" although nothing answers now.
    QTest::newRow("silent printer") << QStringList { QStringLiteral("--no-answer") } << 0
                                    << QStringLiteral("Not connected") << 0;
}

void MaintenanceTest::statusQueryAgainstThePrinter()
{
    QFETCH(QStringList, switches);
    QFETCH(int, byteBefore);
    QFETCH(QString, text);
    QFETCH(int, byteAfter);
    SimPrinterProcess sim;
    QVERIFY2(sim.start(QStringLiteral(SIM_EXECUTABLE), switches), qPrintable(sim.errorText()));
    CDeviceInterface port;
    QVERIFY(sim.connectPort(port));
    MaintenanceActions actions(m_form.get(), port, m_params, m_form.get());
    m_params.statusByte = byteBefore;

    // The window thread keeps running while the query waits for its byte.
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(20);
    QVERIFY(actions.handleClick(QStringLiteral("btn_read_prt_status")));
    ticker.stop();

    QCOMPARE(statusShown(), text);
    QCOMPARE(m_params.statusByte, byteAfter);
    if (switches.contains(QStringLiteral("--no-answer")))
        QVERIFY2(ticks > 5, qPrintable(QString::number(ticks)));
}

void MaintenanceTest::actionsSendTheirBytes_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("answer"); // the confirmation's answer, 0 when none is asked
    QTest::addColumn<QString>("question");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("reset") << QStringLiteral("btn_reset_printer") << 0 << QString() << QByteArray("INITALPRINTER\r\n");
    QTest::newRow("restart") << QStringLiteral("btn_restart_printer") << 0 << QString()
                             << QByteArray("\x1b\x21\x52\x0d\x0a");
    QTest::newRow("self-test page") << QStringLiteral("btn_print_test_page") << 0 << QString()
                                    << QByteArray("SELFTEST\r\n");
    QTest::newRow("AUTO.BAS OK") << QStringLiteral("btn_cancel_AUTO_BAS") << int(Prompts::Ok)
                                 << QStringLiteral("Ignore AUTO.BAS?") << QByteArray("\x1b\x21\x43");
    QTest::newRow("AUTO.BAS Cancel") << QStringLiteral("btn_cancel_AUTO_BAS") << int(Prompts::Cancel)
                                     << QStringLiteral("Ignore AUTO.BAS?") << QByteArray();
    QTest::newRow("HEX OK") << QStringLiteral("btn_hex_mode") << int(Prompts::Ok) << QStringLiteral("Enter HEX Mode?")
                            << QByteArray("\x7e\x21\x44");
    QTest::newRow("HEX Cancel") << QStringLiteral("btn_hex_mode") << int(Prompts::Cancel)
                                << QStringLiteral("Enter HEX Mode?") << QByteArray();
}

void MaintenanceTest::actionsSendTheirBytes()
{
    QFETCH(QString, control);
    QFETCH(int, answer);
    QFETCH(QString, question);
    QFETCH(QByteArray, bytes);
    CaptionPrompts prompts;
    if (answer != 0)
        prompts.answers.enqueue(answer);
    ScriptedPort port;
    MaintenanceActions actions(m_form.get(), port, m_params, m_form.get());
    QVERIFY(actions.handleClick(control));
    QCOMPARE(port.written(), bytes);
    QVERIFY(port.writes().size() <= 1); // one write, no reply read
    QVERIFY(port.readWaits().isEmpty());
    QCOMPARE(prompts.askedTexts, question.isEmpty() ? QStringList() : QStringList { question });
    QCOMPARE(prompts.captions, question.isEmpty() ? QStringList() : QStringList { QStringLiteral("ALARM") });
}

void MaintenanceTest::clockIsOneReadingOfLocalTime_data()
{
    QTest::addColumn<QDateTime>("first");
    QTest::addColumn<QDateTime>("later");
    QTest::addColumn<QByteArray>("bytes");
    // A clock that moves on between readings: the fields must all come from the first.
    QTest::newRow("last second of 2030")
        << QDateTime(QDate(2030, 12, 31), QTime(23, 59, 59, 999)) << QDateTime(QDate(2031, 1, 1), QTime(0, 0))
        << QByteArray("YEAR = 30\r\nMONTH = 12\r\nDATE = 31\r\nHOUR = 23\r\nMINUTE = 59\r\nSECOND = 59\r\n");
    QTest::newRow("new year 2031")
        << QDateTime(QDate(2031, 1, 1), QTime(0, 0)) << QDateTime(QDate(2031, 1, 1), QTime(0, 0, 1))
        << QByteArray("YEAR = 31\r\nMONTH = 01\r\nDATE = 01\r\nHOUR = 00\r\nMINUTE = 00\r\nSECOND = 00\r\n");
}

void MaintenanceTest::clockIsOneReadingOfLocalTime()
{
    QFETCH(QDateTime, first);
    QFETCH(QDateTime, later);
    QFETCH(QByteArray, bytes);
    int readings = 0;
    printer_options::setLocalClock([&] { return readings++ == 0 ? first : later; });
    ScriptedPort port;
    MaintenanceActions actions(m_form.get(), port, m_params, m_form.get());
    QVERIFY(actions.handleClick(QStringLiteral("btn_set_time")));
    QCOMPARE(port.writes(), QList<QByteArray> { bytes });
    QCOMPARE(readings, 1);
}

void MaintenanceTest::otherControlsAreNotHandled()
{
    ScriptedPrompts prompts;
    ScriptedPort port;
    MaintenanceActions actions(m_form.get(), port, m_params, m_form.get());
    for (const char *name : { "btn_hardware_upgrade", "btn_read_all_options", "" })
        QVERIFY(!actions.handleClick(QString::fromLatin1(name)));
    QVERIFY(port.writes().isEmpty());
    QVERIFY(prompts.askedTexts.isEmpty());
}

QTEST_MAIN(MaintenanceTest)
#include "tst_maintenance.moc"
