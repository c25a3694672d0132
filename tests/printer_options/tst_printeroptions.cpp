#include "app/CApp.h"
#include "app/CMainFrame.h"
#include "app/LanguageManager.h"
#include "printer_options/CFormPrinterOptions.h"
#include "printer_options/PrinterStatusText.h"
#include "protocol/ParameterTable.h"
#include "support/SimPrinterProcess.h"
#include "support/TrafficLogRecorder.h"
#include "ui/LayoutLoader.h"
#include "ui/ScriptedPrompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

using protocol::OptionsPage;

namespace {

using Edits = QList<QPair<QString, QString>>;

QString shown(QWidget *form, const QString &name)
{
    QWidget *control = ui::findControl<QWidget>(form, name);
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        return edit->text();
    if (auto *list = qobject_cast<QComboBox *>(control))
        return list->currentText();
    if (auto *check = qobject_cast<QCheckBox *>(control))
        return check->isChecked() ? QStringLiteral("checked") : QStringLiteral("unchecked");
    return QStringLiteral("<no control %1>").arg(name);
}

// As a user would: the text into an edit, the item of that text in a list,
// "checked" or "unchecked" for a check box.
void enter(QWidget *form, const QString &name, const QString &value)
{
    QWidget *control = ui::findControl<QWidget>(form, name);
    if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        edit->setText(value);
    } else if (auto *list = qobject_cast<QComboBox *>(control)) {
        if (list->isEditable())
            list->setCurrentText(value);
        else
            list->setCurrentIndex(list->findText(value));
    } else if (auto *check = qobject_cast<QCheckBox *>(control)) {
        check->setChecked(value == QLatin1String("checked"));
    }
}

bool enabled(QWidget *form, const char *name)
{
    return ui::findControl<QWidget>(form, QString::fromLatin1(name))->isEnabled();
}

// The command lines the port wrote, without their hex part.
QStringList writtenCommands(const TrafficLogRecorder &log)
{
    QStringList commands;
    for (const QString &line : log.lines()) {
        if (line.startsWith(QLatin1String("Write: ")))
            commands.append(line.mid(7, line.indexOf(QLatin1String("( Hex:")) - 7));
    }
    return commands;
}

} // namespace

// The printer options tab against the simulated printer over loopback TCP.
class PrinterOptionsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void readFillsEveryPage();
    void writeSendsExactlyThePageCommands_data();
    void writeSendsExactlyThePageCommands();
    void missingOptionsDisableTheirGroups();
    void silentPrinterLeavesWriteDisabled();
    void writeWaitsForAReadAfterEveryPortChange();
    void valuesNoItemHasAreShownAndSentAsShown_data();
    void valuesNoItemHasAreShownAndSentAsShown();
    void pageWithAWrongFieldIsNotWritten_data();
    void pageWithAWrongFieldIsNotWritten();
    void writeThatEndsEarlyIsShown();
    void statusFollowsReadsAndQueries();
    void fieldsTakeWhatTheirHintsAllow_data();
    void fieldsTakeWhatTheirHintsAllow();
    void listItemsFollowTheLanguage();
    void screenshots_data();
    void screenshots();

private:
    std::unique_ptr<CFormPrinterOptions> readForm(const QStringList &switches = {});
    void restartPrinter(const QStringList &switches);
    void click(QWidget *form, const char *name);

    QTemporaryDir m_dir;
    std::unique_ptr<CApp> m_app;
    SimPrinterProcess m_sim;
    QStringList m_switches;
};

void PrinterOptionsTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    LanguageManager::instance().select(QStringLiteral("Lang\\English"), QStringLiteral("English"));
    m_app = std::make_unique<CApp>(m_dir.filePath(QStringLiteral("settings.ini")));
    registerPrinterOptions(*m_app);
    QVERIFY2(m_sim.start(QStringLiteral(SIM_EXECUTABLE)), qPrintable(m_sim.errorText()));
}

void PrinterOptionsTest::init()
{
    restartPrinter({});
}

void PrinterOptionsTest::restartPrinter(const QStringList &switches)
{
    if (!m_app->device().IsOpen() || switches != m_switches) {
        m_app->device().Close();
        QVERIFY2(m_sim.restart(QStringLiteral(SIM_EXECUTABLE), switches), qPrintable(m_sim.errorText()));
        m_switches = switches;
    }
    QVERIFY(m_sim.connectPort(m_app->device()));
    // Each test starts from a freshly read printer in the same state.
    m_app->parameters().reset();
}

void PrinterOptionsTest::click(QWidget *form, const char *name)
{
    ui::findControl<QPushButton>(form, QString::fromLatin1(name))->click();
}

std::unique_ptr<CFormPrinterOptions> PrinterOptionsTest::readForm(const QStringList &switches)
{
    restartPrinter(switches);
    auto form = std::make_unique<CFormPrinterOptions>(*m_app);
    click(form.get(), "btn_read_all_options");
    return form;
}

void PrinterOptionsTest::readFillsEveryPage()
{
    const auto form = readForm();
    // What the simulated printer holds, by its own tables.
    const struct {
        const char *control;
        const char *text;
    } expected[] = {
        { "text_opt_model", "OX-420T" },
        { "text_opt_dpi", "203" },
        { "text_opt_speed", "4" },
        { "cb_density", "8" },
        { "cb_action_after_print", "Tear Off" },
        { "cb_ribbon_len", "MIDDLE" },
        { "cb_sensor_ref", "Automatic" },
        { "chk_ribbon", "checked" },
        { "text_zpl_density", "15" },
        { "cb_zpl_printer_header_close_mode", "Paper feeding" },
        { "text_zpl_label_width", "832" },
        { "cb_prt_baud_rate", "115200" },
        { "cb_prt_data_bit", "8" },
        { "chk_prt_dhcp", "checked" },
        { "chk_prt_btname", "OX-420T-BT" },
        { "chk_ISWIFI", "checked" },
        { "chk_ISPEEL", "unchecked" },
        { "chk_prt_wifi_dhcp", "checked" },
        { "cb_cutter_mode", "Normal" },
        { "cb_cutter_first_page_rollback", "Back" },
        { "cb_cutter_offset", "40" },
    };
    for (const auto &e : expected)
        QCOMPARE(shown(form.get(), QString::fromLatin1(e.control)), QString::fromUtf8(e.text));
    // The printer reports the address it serves on.
    QCOMPARE(shown(form.get(), QStringLiteral("ipaddr_prt_ip")), m_sim.address());
    // Every bound control shows its field as it was read.
    const PrinterParameters &params = m_app->parameters();
    for (const protocol::ParameterRow &row : protocol::parameterTable()) {
        const QString name = QString::fromLatin1(row.control);
        QWidget *control = ui::findControl<QWidget>(form.get(), name);
        QVERIFY2(control, qPrintable(name));
        if (row.text) {
            QCOMPARE(shown(form.get(), name), params.*row.text);
        } else if (auto *list = qobject_cast<QComboBox *>(control);
                   list && row.binding == protocol::Binding::ItemValue) {
            QCOMPARE(list->currentData().toInt(), params.*row.number);
        } else if (qobject_cast<QCheckBox *>(control)) {
            QCOMPARE(shown(form.get(), name) == QLatin1String("checked"), params.*row.number != 0);
        } else {
            QCOMPARE(shown(form.get(), name).trimmed().toInt(), params.*row.number);
        }
    }
    QVERIFY(form->writeAllowed());
    QVERIFY(ui::findControl<QLabel>(form.get(), QStringLiteral("label_pass_outcome"))->text().isEmpty());
}

void PrinterOptionsTest::writeSendsExactlyThePageCommands_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<QStringList>("commands");
    const auto s = [](const char *text) { return QString::fromUtf8(text); };
    QTest::newRow("basic") << int(OptionsPage::Basic)
                           << Edits { { s("text_opt_speed"), s("5") }, { s("cb_density"), s("12") },
                                  { s("text_paper_width"), s("100") }, { s("text_paper_height"), s("50") },
                                  { s("text_offset"), s("-3") }, { s("text_shift_y"), s("2") },
                                  { s("text_shift_x"), s("-1") }, { s("chk_ribbon"), s("unchecked") },
                                  { s("cb_ribbon_len"), s("HIGHT") }, { s("cb_sensor_ref"), s("Fixed") },
                                  { s("cb_sensor_sta"), s("Special") }, { s("cb_ribbon_end"), s("OFF") } }
                           << QStringList { s("SPEED 5[CRLF]"), s("DENSITY 12[CRLF]"), s("SIZE 100mm,50mm[CRLF]"),
                                  s("OFFSET -3 dot[CRLF]"), s("SHIFT -1,2[CRLF]"), s("SET RIBBON OFF[CRLF]"),
                                  s("SET RIBBONERRLEN HIGHT[CRLF]"), s("SET SENSOR_REF MANUAL[CRLF]"),
                                  s("SET SENSOR_STA SPECIAL[CRLF]"), s("SET RIBBONEND OFF[CRLF]") };
    QTest::newRow("second dialect") << int(OptionsPage::SecondDialect)
                                    << Edits { { s("text_zpl_density"), s("30") },
                                           { s("cb_zpl_printer_header_close_mode"), s("Detecting label length") },
                                           { s("text_zpl_speed"), s("6") }, { s("text_zpl_tear_position"), s("-5") },
                                           { s("text_zpl_label_width"), s("7") },
                                           { s("text_zpl_label_top_offset"), s("-3") },
                                           { s("text_zpl_left_offset"), s("8") } }
                                    << QStringList { s("~SD30[CRLF]"), s("^MF,L[CRLF]"), s("^PR6[CRLF]"),
                                           s("~TA-05[CRLF]"), s("~PW07[CRLF]"), s("~LT-3[CRLF]"), s("~LS8[CRLF]") };
    QTest::newRow("empty page") << int(OptionsPage::Empty) << Edits {} << QStringList {};
    QTest::newRow("serial") << int(OptionsPage::Serial) << Edits { { s("cb_prt_baud_rate"), s("9600") } }
                            << QStringList { s("SET COM1 96[CRLF]") };
    QTest::newRow("network fixed address")
        << int(OptionsPage::Network)
        << Edits { { s("chk_prt_dhcp"), s("unchecked") }, { s("ipaddr_prt_ip"), s("127.0.0.9") },
               { s("ipaddr_prt_mask"), s("255.0.0.0") }, { s("ipaddr_prt_gateway"), s("127.0.0.1") } }
        << QStringList { s("NET IP \"127.0.0.9\",\"255.0.0.0\",\"127.0.0.1\"[CRLF]") };
    QTest::newRow("network by dhcp leaves the address alone")
        << int(OptionsPage::Network)
        << Edits { { s("chk_prt_dhcp"), s("checked") }, { s("ipaddr_prt_ip"), s("") },
               { s("ipaddr_prt_gateway"), s("127.0.0.300") } }
        << QStringList { s("NET DHCP[CRLF]") };
    QTest::newRow("bluetooth is never written")
        << int(OptionsPage::Bluetooth) << Edits { { s("chk_prt_btname"), s("Other") } } << QStringList {};
    QTest::newRow("wifi") << int(OptionsPage::Wifi)
                          << Edits { { s("cb_wifi_name"), s("Shop floor") }, { s("edit_wifi_password"), s("pa ss") },
                                 { s("chk_prt_wifi_dhcp"), s("checked") } }
                          << QStringList { s("WLAN SSID \"Shop floor\"[CRLF]"), s("WLAN PWD \"pa ss\"[CRLF]"),
                                 s("WLAN DHCP[CRLF]") };
    QTest::newRow("cutter") << int(OptionsPage::Cutter)
                            << Edits { { s("cb_cutter_mode"), s("Continuous cutting without rollback") },
                                   { s("cb_cutter_first_page_rollback"), s("Do not backtrack") },
                                   { s("cb_cutter_reverse_display"), s("White on Black") },
                                   { s("cb_cutter_offset"), s("12") } }
                            << QStringList { s("WRITEC CUTBACKNO[CRLF]"), s("WRITEC CUTREVERSEYES[CRLF]"),
                                   s("WRITEC CUTBACKLEN,12[CRLF]"), s("WRITEC CUTMODENOBACK[CRLF]") };
    QTest::newRow("special") << int(OptionsPage::Special) << Edits {} << QStringList {};
}

void PrinterOptionsTest::writeSendsExactlyThePageCommands()
{
    QFETCH(int, page);
    QFETCH(Edits, edits);
    QFETCH(QStringList, commands);
    const auto form = readForm();
    for (const auto &[control, value] : edits) {
        enter(form.get(), control, value);
        QCOMPARE(shown(form.get(), control), value);
    }
    ui::findControl<QStackedWidget>(form.get(), QStringLiteral("tab_printer_options"))->setCurrentIndex(page);
    TrafficLogRecorder log;
    click(form.get(), "btn_write_all_options");
    QCOMPARE(writtenCommands(log), commands);
}

void PrinterOptionsTest::missingOptionsDisableTheirGroups()
{
    const auto form
        = readForm({ QStringLiteral("--no-wifi"), QStringLiteral("--no-cutter"), QStringLiteral("--no-serial") });
    for (const char *name :
        { "cb_prt_baud_rate", "cb_wifi_name", "edit_wifi_password", "chk_prt_wifi_dhcp", "ipaddr_prt_wifi_ip",
            "ipaddr_prt_wifi_mask", "ipaddr_prt_wifi_gateway", "cb_cutter_mode", "cb_cutter_first_page_rollback",
            "cb_cutter_reverse_display", "cb_cutter_offset", "chk_prt_btname", "chk_prt_btpin" })
        QVERIFY2(!enabled(form.get(), name), name);
    for (const char *name : { "chk_prt_dhcp", "ipaddr_prt_ip", "text_opt_speed" })
        QVERIFY2(enabled(form.get(), name), name);
    QVERIFY(form->writeAllowed());
    // The serial group did not answer, and the form says so by the page's name.
    const QString outcome = ui::findControl<QLabel>(form.get(), QStringLiteral("label_pass_outcome"))->text();
    QVERIFY2(outcome.contains(QStringLiteral("Groups that did not answer: Serial port")), qPrintable(outcome));
    for (const OptionsPage page : { OptionsPage::Serial, OptionsPage::Wifi, OptionsPage::Cutter }) {
        ui::findControl<QStackedWidget>(form.get(), QStringLiteral("tab_printer_options"))->setCurrentIndex(int(page));
        TrafficLogRecorder log;
        click(form.get(), "btn_write_all_options");
        QCOMPARE(writtenCommands(log), QStringList());
    }
}

void PrinterOptionsTest::silentPrinterLeavesWriteDisabled()
{
    const auto form = readForm({ QStringLiteral("--no-answer") });
    QVERIFY(!form->writeAllowed());
    QVERIFY(!enabled(form.get(), "btn_write_all_options"));
    QCOMPARE(ui::findControl<QLabel>(form.get(), QStringLiteral("label_pass_outcome"))->text(),
        QStringLiteral("The printer does not answer."));
    // The reset values stay where they are: nothing goes out.
    TrafficLogRecorder log;
    QMetaObject::invokeMethod(form.get(), &CFormPrinterOptions::writeParameters);
    QCOMPARE(writtenCommands(log), QStringList());
}

void PrinterOptionsTest::writeWaitsForAReadAfterEveryPortChange()
{
    CMainFrame frame(*m_app);
    auto *form = qobject_cast<CFormPrinterOptions *>(frame.page(QStringLiteral("FormPrinterOptions")));
    QVERIFY(form);
    QVERIFY(!enabled(form, "btn_write_all_options"));
    click(form, "btn_read_all_options");
    QVERIFY(enabled(form, "btn_write_all_options"));
    Q_EMIT frame.portChanged();
    QVERIFY(!enabled(form, "btn_write_all_options"));
    click(form, "btn_read_all_options");
    QVERIFY(enabled(form, "btn_write_all_options"));
}

void PrinterOptionsTest::valuesNoItemHasAreShownAndSentAsShown_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("control");
    QTest::addColumn<std::function<void(PrinterParameters &)>>("set");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("command");
    QTest::newRow("baud rate of another printer")
        << int(OptionsPage::Serial) << QStringLiteral("cb_prt_baud_rate")
        << std::function<void(PrinterParameters &)>([](PrinterParameters &p) { p.baudRate = 19200; })
        << QStringLiteral("19200") << QStringLiteral("SET COM1 115[CRLF]");
    QTest::newRow("density above 15") << int(OptionsPage::Basic) << QStringLiteral("cb_density")
                                      << std::function<void(PrinterParameters &)>(
                                             [](PrinterParameters &p) { p.density = 20; })
                                      << QStringLiteral("20") << QStringLiteral("DENSITY 20[CRLF]");
    QTest::newRow("ribbon value 2 is on")
        << int(OptionsPage::Basic) << QStringLiteral("chk_ribbon")
        << std::function<void(PrinterParameters &)>([](PrinterParameters &p) { p.ribbon = 2; })
        << QStringLiteral("checked") << QStringLiteral("SET RIBBON ON[CRLF]");
    QTest::newRow("dhcp value 2 stays dhcp")
        << int(OptionsPage::Network) << QStringLiteral("chk_prt_dhcp")
        << std::function<void(PrinterParameters &)>([](PrinterParameters &p) { p.dhcp = 2; })
        << QStringLiteral("checked") << QStringLiteral("NET DHCP[CRLF]");
    QTest::newRow("unknown cutter mode") << int(OptionsPage::Cutter) << QStringLiteral("cb_cutter_reverse_display")
                                         << std::function<void(PrinterParameters &)>(
                                                [](PrinterParameters &p) { p.cutReverse = 7; })
                                         << QStringLiteral("7") << QString();
}

void PrinterOptionsTest::valuesNoItemHasAreShownAndSentAsShown()
{
    QFETCH(int, page);
    QFETCH(QString, control);
    QFETCH(std::function<void(PrinterParameters &)>, set);
    QFETCH(QString, text);
    QFETCH(QString, command);
    const auto form = readForm();
    set(m_app->parameters());
    form->showRecord();
    QCOMPARE(shown(form.get(), control), text);
    ui::findControl<QStackedWidget>(form.get(), QStringLiteral("tab_printer_options"))->setCurrentIndex(page);
    TrafficLogRecorder log;
    click(form.get(), "btn_write_all_options");
    const QStringList commands = writtenCommands(log);
    if (command.isEmpty())
        QVERIFY2(
            !commands.join(QLatin1Char(' ')).contains(QLatin1String("CUTREVERSE")), qPrintable(commands.join(' ')));
    else
        QVERIFY2(commands.contains(command), qPrintable(commands.join(QLatin1Char(' '))));
}

void PrinterOptionsTest::pageWithAWrongFieldIsNotWritten_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<QString>("marked");
    QTest::addColumn<QString>("message");
    const auto s = [](const char *text) { return QString::fromUtf8(text); };
    QTest::newRow("empty speed") << int(OptionsPage::Basic) << Edits { { s("text_opt_speed"), s("") } }
                                 << s("text_opt_speed") << s("Please fill in the marked fields.");
    QTest::newRow("a sign alone") << int(OptionsPage::SecondDialect)
                                  << Edits { { s("text_zpl_tear_position"), s("-") } } << s("text_zpl_tear_position")
                                  << s("Please fill in the marked fields.");
    QTest::newRow("quote in the password")
        << int(OptionsPage::Wifi) << Edits { { s("edit_wifi_password"), s("pa\"ss") } } << s("edit_wifi_password")
        << s("Names and passwords cannot contain a double quote or control characters.");
    QTest::newRow("tab in the network name")
        << int(OptionsPage::Wifi) << Edits { { s("cb_wifi_name"), s("Shop\tfloor") } } << s("cb_wifi_name")
        << s("Names and passwords cannot contain a double quote or control characters.");
    QTest::newRow("malformed address with dhcp off")
        << int(OptionsPage::Network)
        << Edits { { s("chk_prt_dhcp"), s("unchecked") }, { s("ipaddr_prt_ip"), s("127.0.0.300") } }
        << s("ipaddr_prt_ip") << s("The IP address, subnet mask or gateway is malformed.");
    QTest::newRow("empty wifi gateway with dhcp off")
        << int(OptionsPage::Wifi)
        << Edits { { s("chk_prt_wifi_dhcp"), s("unchecked") }, { s("ipaddr_prt_wifi_gateway"), s("") } }
        << s("ipaddr_prt_wifi_gateway") << s("Please fill in the marked fields.");
}

void PrinterOptionsTest::pageWithAWrongFieldIsNotWritten()
{
    QFETCH(int, page);
    QFETCH(Edits, edits);
    QFETCH(QString, marked);
    QFETCH(QString, message);
    const auto form = readForm();
    for (const auto &[control, value] : edits)
        enter(form.get(), control, value);
    ui::findControl<QStackedWidget>(form.get(), QStringLiteral("tab_printer_options"))->setCurrentIndex(page);
    ScriptedPrompts prompts;
    TrafficLogRecorder log;
    click(form.get(), "btn_write_all_options");
    QCOMPARE(writtenCommands(log), QStringList());
    QCOMPARE(prompts.askedTexts, QStringList { message });
    QVERIFY(ui::findControl<QWidget>(form.get(), marked)->property("invalid").toBool());
    // Put right, the page goes out and the mark goes away.
    enter(form.get(), QStringLiteral("chk_prt_dhcp"), QStringLiteral("checked"));
    enter(form.get(), QStringLiteral("chk_prt_wifi_dhcp"), QStringLiteral("checked"));
    enter(
        form.get(), marked, marked.startsWith(QLatin1String("ip")) ? QStringLiteral("127.0.0.1") : QStringLiteral("1"));
    click(form.get(), "btn_write_all_options");
    QVERIFY(!writtenCommands(log).isEmpty());
    QVERIFY(!ui::findControl<QWidget>(form.get(), marked)->property("invalid").toBool());
}

void PrinterOptionsTest::writeThatEndsEarlyIsShown()
{
    const auto form = readForm();
    m_app->device().Close();
    click(form.get(), "btn_write_all_options");
    QCOMPARE(ui::findControl<QLabel>(form.get(), QStringLiteral("label_pass_outcome"))->text(),
        QStringLiteral("Writing parameters ended early; settings sent: 0"));
}

void PrinterOptionsTest::statusFollowsReadsAndQueries()
{
    restartPrinter({ QStringLiteral("--status"), QStringLiteral("0x05") });
    CFormPrinterOptions form(*m_app);
    click(&form, "btn_read_all_options");
    QCOMPARE(shown(&form, QStringLiteral("text_prt_status")), printer_options::statusText(0x05));

    // The status button asks again; a printer that went silent is not shown as it was.
    restartPrinter({ QStringLiteral("--no-answer") });
    click(&form, "btn_read_prt_status");
    QCOMPARE(shown(&form, QStringLiteral("text_prt_status")), printer_options::statusText(-1));
    QCOMPARE(m_app->parameters().statusByte, 0x05);
}

void PrinterOptionsTest::fieldsTakeWhatTheirHintsAllow_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("speed") << QStringLiteral("text_opt_speed") << QStringLiteral("-4x") << QStringLiteral("4");
    QTest::newRow("print width, positive")
        << QStringLiteral("text_zpl_label_width") << QStringLiteral("-812") << QStringLiteral("812");
    QTest::newRow("tear-off, either sign")
        << QStringLiteral("text_zpl_tear_position") << QStringLiteral("-5a") << QStringLiteral("-5");
    QTest::newRow("left start, either sign")
        << QStringLiteral("text_zpl_left_offset") << QStringLiteral("+8") << QStringLiteral("+8");
    QTest::newRow("compensation") << QStringLiteral("cb_cutter_offset") << QStringLiteral("40 dot")
                                  << QStringLiteral("40");
    QTest::newRow("address") << QStringLiteral("ipaddr_prt_wifi_ip") << QStringLiteral("10.0.x0.1")
                             << QStringLiteral("10.0.0.1");
}

void PrinterOptionsTest::fieldsTakeWhatTheirHintsAllow()
{
    QFETCH(QString, control);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    CFormPrinterOptions form(*m_app);
    auto *edit = ui::findControl<QLineEdit>(&form, control);
    edit->setEnabled(true);
    edit->clear();
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), shown);
}

void PrinterOptionsTest::listItemsFollowTheLanguage()
{
    CFormPrinterOptions form(*m_app);
    auto *sensorMode = ui::findControl<QComboBox>(&form, QStringLiteral("cb_sensor_mode"));
    QCOMPARE(sensorMode->itemText(0), QStringLiteral("Gap paper"));
    LanguageManager::instance().select(QStringLiteral("Lang\\ChineseSimplified"), QStringLiteral("ChineseSimplified"));
    ui::reapplyWindowPacks();
    QCOMPARE(sensorMode->itemText(0), QStringLiteral("间隙纸"));
    LanguageManager::instance().select(QStringLiteral("Lang\\English"), QStringLiteral("English"));
    ui::reapplyWindowPacks();
    QCOMPARE(sensorMode->itemText(0), QStringLiteral("Gap paper"));
}

void PrinterOptionsTest::screenshots_data()
{
    QTest::addColumn<QString>("language");
    for (const char *language : { "English", "ChineseSimplified", "German", "Russian", "Arabic" })
        QTest::newRow(language) << QString::fromLatin1(language);
}

// Pictures of every page in the main window for a person to look at, when asked for.
void PrinterOptionsTest::screenshots()
{
    const QString folder = qEnvironmentVariable("OSTREL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        QSKIP("set OSTREL_SCREENSHOT_DIR to save pictures of the printer options");
    QFETCH(QString, language);
    LanguageManager::instance().select(QStringLiteral("Lang\\") + language, language);
    m_app->portSettings().kind = PortKind::Net; // no USB dialog at window start
    CMainFrame frame(*m_app);
    frame.show();
    auto *form = qobject_cast<CFormPrinterOptions *>(frame.page(QStringLiteral("FormPrinterOptions")));
    QVERIFY(form);
    click(form, "btn_read_all_options");
    auto *pages = ui::findControl<QStackedWidget>(form, QStringLiteral("tab_printer_options"));
    for (int page = 0; page < pages->count(); ++page) {
        ui::findControl<QPushButton>(form, QStringLiteral("tabctrl_opt_") + pages->widget(page)->objectName().mid(5))
            ->click();
        QCOMPARE(pages->currentIndex(), page);
        QTest::qWait(50);
        QVERIFY(frame.grab().save(
            QDir(folder).filePath(QStringLiteral("printeroptions-%1-%2.png").arg(page).arg(language))));
    }
    LanguageManager::instance().select(QStringLiteral("Lang\\English"), QStringLiteral("English"));
}

QTEST_MAIN(PrinterOptionsTest)
#include "tst_printeroptions.moc"
