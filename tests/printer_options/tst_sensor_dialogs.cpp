#include "app/LanguageManager.h"
#include "app/WorkerThread.h"
#include "jobs/TaskCode.h"
#include "printer_options/CDlgFormDetect.h"
#include "printer_options/CDlgSensorCheck.h"
#include "printer_options/FormFixture.h"
#include "printer_options/MaintenanceActions.h"
#include "printer_options/SensorCheckJob.h"
#include "protocol/CommandChannel.h"
#include "protocol/PrinterParameters.h"
#include "support/ScriptedPort.h"
#include "support/SimPrinterProcess.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <span>

using printer_options::SensorReadings;

namespace {

const QString sensorWorker = QString::fromLatin1(jobs::worker::sensorCheck);

// 48 readings 0, 5, 10, ... with the last of each row 0xFF.
QByteArray patternReply()
{
    QByteArray bytes;
    for (int i = 0; i < 48; ++i)
        bytes.append(static_cast<char>(i % 16 == 15 ? 0xFF : i * 5));
    return bytes;
}

QStringList row(const QTableWidget *grid, int row)
{
    QStringList texts;
    for (int column = 0; column < grid->columnCount(); ++column)
        texts.append(grid->item(row, column) ? grid->item(row, column)->text() : QString());
    return texts;
}

QStringList headings(const QTableWidget *grid)
{
    QStringList texts;
    for (int column = 0; column < grid->columnCount(); ++column)
        texts.append(grid->horizontalHeaderItem(column)->text());
    return texts;
}

// Runs step on the dialog of the given class once the window thread shows it modally.
template <typename Dialog> void whenShown(std::function<void(Dialog *)> step)
{
    QTimer::singleShot(0, [step] {
        QTRY_VERIFY(qobject_cast<Dialog *>(QApplication::activeModalWidget()));
        step(qobject_cast<Dialog *>(QApplication::activeModalWidget()));
    });
}

void clickOption(QWidget *dialog, const QString &name)
{
    ui::findControl<QRadioButton>(dialog, name)->click();
}

} // namespace

// The sensor calibration dialog and the live sensor view, opened by the
// maintenance actions; the sensor exchange against a scripted port and the
// simulated printer over loopback TCP.
class SensorDialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void calibrationChoiceSurvivesAClosedDialog();
    void calibrationSendsTheChosenCommand_data();
    void calibrationSendsTheChosenCommand();

    void sensorReplyNeedsFortyEightBytes_data();
    void sensorReplyNeedsFortyEightBytes();
    void sensorGridShowsTheReadings_data();
    void sensorGridShowsTheReadings();
    void closingMidExchangeReturnsAfterTheWorker();

    void screenshots_data();
    void screenshots();

private:
    void startPrinter(const QStringList &switches);

    std::unique_ptr<QWidget> m_form;
    PrinterParameters m_params;
    SimPrinterProcess m_sim;
    CDeviceInterface m_port;
};

void SensorDialogsTest::initTestCase()
{
    LanguageManager::instance().select(QStringLiteral("Lang\\English"), QStringLiteral("English"));
}

void SensorDialogsTest::init()
{
    m_form = loadPrinterOptionsLayout();
    m_params = PrinterParameters();
}

void SensorDialogsTest::startPrinter(const QStringList &switches)
{
    m_port.Close();
    m_sim.stop();
    QVERIFY2(m_sim.start(QStringLiteral(SIM_EXECUTABLE), switches), qPrintable(m_sim.errorText()));
    QVERIFY(m_sim.connectPort(m_port));
}

void SensorDialogsTest::calibrationChoiceSurvivesAClosedDialog()
{
    ScriptedPort port;
    MaintenanceActions actions(m_form.get(), port, m_params, m_form.get());
    QCOMPARE(actions.calibrationChoice(), 0);
    QStringList checkedOnOpening;
    auto checked = [](QWidget *dialog) {
        QStringList names;
        for (const ui::RequiredControl &option : std::span(CDlgFormDetect::requiredControls).first(4)) {
            if (ui::findControl<QRadioButton>(dialog, QString::fromLatin1(option.name))->isChecked())
                names.append(QString::fromLatin1(option.name));
        }
        return names;
    };
    whenShown<CDlgFormDetect>([&](CDlgFormDetect *dialog) {
        checkedOnOpening.append(checked(dialog));
        clickOption(dialog, QStringLiteral("chk_bline"));
        ui::findControl<QToolButton>(dialog, QStringLiteral("windowclosebtn"))->click();
    });
    QVERIFY(actions.handleClick(QStringLiteral("btn_sensor_calibration")));
    QCOMPARE(actions.calibrationChoice(), 2);
    QVERIFY(port.writes().isEmpty());

    whenShown<CDlgFormDetect>([&](CDlgFormDetect *dialog) {
        checkedOnOpening.append(checked(dialog));
        dialog->reject();
    });
    QVERIFY(actions.handleClick(QStringLiteral("btn_sensor_calibration")));
    QCOMPARE(checkedOnOpening, (QStringList { QStringLiteral("chk_auto"), QStringLiteral("chk_bline") }));
    QVERIFY(port.writes().isEmpty());
}

void SensorDialogsTest::calibrationSendsTheChosenCommand_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("automatic") << QStringLiteral("chk_auto") << QByteArray("AUTODETECT\r\n");
    QTest::newRow("gap") << QStringLiteral("chk_gap") << QByteArray("GAPDETECT\r\n");
    QTest::newRow("black mark") << QStringLiteral("chk_bline") << QByteArray("BLINEDETECT\r\n");
    QTest::newRow("continuous") << QStringLiteral("chk_continuation") << QByteArray("GAP 0 mm, 0 mm\r\n");
}

void SensorDialogsTest::calibrationSendsTheChosenCommand()
{
    QFETCH(QString, option);
    QFETCH(QByteArray, bytes);
    ScriptedPort port;
    MaintenanceActions actions(m_form.get(), port, m_params, m_form.get());
    whenShown<CDlgFormDetect>([&](CDlgFormDetect *dialog) {
        // Start away from the choice, so the click is what sets it.
        clickOption(
            dialog, option == QLatin1String("chk_gap") ? QStringLiteral("chk_auto") : QStringLiteral("chk_gap"));
        clickOption(dialog, option);
        ui::findControl<QPushButton>(dialog, QStringLiteral("btn_ok"))->click();
    });
    QVERIFY(actions.handleClick(QStringLiteral("btn_sensor_calibration")));
    QCOMPARE(port.writes(), QList<QByteArray> { bytes });
    QVERIFY(port.readWaits().isEmpty());
}

void SensorDialogsTest::sensorReplyNeedsFortyEightBytes_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("taken");
    QTest::newRow("48 bytes") << patternReply() << true;
    QTest::newRow("47 bytes") << patternReply().first(47) << false;
    QTest::newRow("more than 48") << patternReply() + QByteArray("\r\n") << true;
    QTest::newRow("nothing") << QByteArray() << false;
}

void SensorDialogsTest::sensorReplyNeedsFortyEightBytes()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, taken);
    ScriptedPort port;
    if (!reply.isEmpty())
        port.answer("SENSORCHECK\r\n", reply);
    const std::optional<SensorReadings> readings = printer_options::querySensors(port);
    QCOMPARE(port.writes(), QList<QByteArray> { "SENSORCHECK\r\n" });
    QCOMPARE(port.readCapacities(), QList<qint32> { 1024 });
    QCOMPARE(readings.has_value(), taken);
    if (!taken)
        return;
    PrinterParameters params;
    printer_options::storeSensorReadings(params, *readings);
    QCOMPARE(params.sensorTransmissive[1], 5);
    QCOMPARE(params.sensorReflective[0], 80);
    QCOMPARE(params.sensorAuxiliary[14], 230);
    QCOMPARE(params.sensorAuxiliary[15], 255);
}

void SensorDialogsTest::sensorGridShowsTheReadings_data()
{
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<bool>("shown");
    const QStringList fixed { QStringLiteral("--sensor-reply"), QString::fromLatin1(patternReply().toHex()) };
    QTest::newRow("48 bytes") << fixed << true;
    QTest::newRow("47 bytes") << fixed + QStringList { QStringLiteral("--short-sensor-reply") } << false;
}

void SensorDialogsTest::sensorGridShowsTheReadings()
{
    QFETCH(QStringList, switches);
    QFETCH(bool, shown);
    startPrinter(switches);
    CDlgSensorCheck dialog(m_port, m_params);
    QTableWidget *grid = dialog.grid();
    QCOMPARE(grid->rowCount(), 3);
    QCOMPARE(
        headings(grid).first(3), (QStringList { QStringLiteral("Type"), QStringLiteral("0"), QStringLiteral("1") }));
    QCOMPARE(headings(grid).last(), QStringLiteral("15"));
    const QStringList zeros(16, QStringLiteral("0"));
    QCOMPARE(row(grid, 1), QStringList { QStringLiteral("Reflective sensor") } + zeros);

    QSignalSpy refreshed(&dialog, &CDlgSensorCheck::readingsShown);
    dialog.show();
    if (shown) {
        QTRY_VERIFY(refreshed.count() >= 2);
    } else {
        // Three polls' worth of short replies.
        QTest::qWait(3 * (printer_options::sensorPollIntervalMs + 50));
        QCOMPARE(refreshed.count(), 0);
    }
    dialog.done(2);
    QVERIFY(!RunningWorkers::isRunning(sensorWorker));

    const QStringList transmissive = row(grid, 0);
    const QStringList auxiliary = row(grid, 2);
    if (!shown) {
        QCOMPARE(transmissive, QStringList { QStringLiteral("Transmitter sensor") } + zeros);
        QCOMPARE(m_params.sensorAuxiliary[15], 0);
        return;
    }
    QCOMPARE(transmissive.mid(0, 4),
        (QStringList {
            QStringLiteral("Transmitter sensor"), QStringLiteral("0"), QStringLiteral("5"), QStringLiteral("10") }));
    QCOMPARE(transmissive.last(), QStringLiteral("255"));
    QCOMPARE(auxiliary.mid(0, 2), (QStringList { QStringLiteral("Auxiliary sensor"), QStringLiteral("160") }));
    QCOMPARE(auxiliary.last(), QStringLiteral("255"));
    // The readings stay in the record for later.
    QCOMPARE(m_params.sensorReflective[1], 85);
    QCOMPARE(m_params.sensorAuxiliary[15], 255);
}

void SensorDialogsTest::closingMidExchangeReturnsAfterTheWorker()
{
    // Every reply comes 500 ms late: the close falls into the first exchange.
    startPrinter({ QStringLiteral("--slow"), QStringLiteral("500"), QStringLiteral("--sensor-reply"),
        QString::fromLatin1(patternReply().toHex()), QStringLiteral("--status"), QStringLiteral("0x10") });
    MaintenanceActions actions(m_form.get(), m_port, m_params, m_form.get());
    QStringList gridAtClose;
    whenShown<CDlgSensorCheck>([&](CDlgSensorCheck *dialog) {
        QTest::qWait(printer_options::sensorPollIntervalMs + 150);
        QVERIFY(RunningWorkers::isRunning(sensorWorker));
        gridAtClose = row(dialog->grid(), 0);
        ui::findControl<QToolButton>(dialog, QStringLiteral("windowclosebtn"))->click();
    });
    QVERIFY(actions.handleClick(QStringLiteral("btn_query_all_sensor")));
    // The modal call came back only once the worker had let go of the port.
    QVERIFY(!RunningWorkers::isRunning(sensorWorker));
    QCOMPARE(gridAtClose.mid(1), QStringList(16, QStringLiteral("0")));
    QCOMPARE(m_params.sensorTransmissive[1], 0);
    // The next exchange gets its own answer.
    QVERIFY(protocol::queryStatus(m_port, m_params));
    QCOMPARE(m_params.statusByte, 0x10);
}

void SensorDialogsTest::screenshots_data()
{
    QTest::addColumn<QString>("language");
    for (const char *language : { "English", "ChineseSimplified", "German", "Russian", "Arabic" })
        QTest::newRow(language) << QString::fromLatin1(language);
}

// Pictures of both dialogs, when OSTREL_SCREENSHOT_DIR names a folder.
void SensorDialogsTest::screenshots()
{
    const QString folder = qEnvironmentVariable("OSTREL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        QSKIP("OSTREL_SCREENSHOT_DIR is not set");
    QFETCH(QString, language);
    LanguageManager::instance().select(QStringLiteral("Lang\\") + language, language);
    const auto fileName = [&](const char *window) {
        return QDir(folder).filePath(QStringLiteral("%1-%2.png").arg(QLatin1String(window), language));
    };
    int choice = 1;
    CDlgFormDetect detect(choice);
    detect.show();
    QVERIFY(detect.grab().save(fileName("DlgFormDetect")));
    ScriptedPort port;
    PrinterParameters params;
    printer_options::storeSensorReadings(params, [] {
        SensorReadings readings {};
        const QByteArray bytes = patternReply();
        std::copy(bytes.begin(), bytes.end(), readings.begin());
        return readings;
    }());
    CDlgSensorCheck check(port, params);
    check.show();
    QVERIFY(check.grab().save(fileName("DlgSensorCheck")));
    check.done(2);
    LanguageManager::instance().select(QStringLiteral("Lang\\English"), QStringLiteral("English"));
}

QTEST_MAIN(SensorDialogsTest)
#include "tst_sensor_dialogs.moc"
