#include "printer_options/MaintenanceActions.h"

#include "app/LanguageManager.h"
#include "app/WorkerThread.h"
#include "connection/TrafficLog.h"
#include "printer_options/CDlgFormDetect.h"
#include "printer_options/CDlgSensorCheck.h"
#include "printer_options/PrinterClock.h"
#include "printer_options/PrinterStatusText.h"
#include "printer_options/WifiScan.h"
#include "protocol/CommandChannel.h"
#include "protocol/ParameterCatalogue.h"
#include "protocol/PrinterParameters.h"
#include "ui/ControlText.h"
#include "ui/LayoutLoader.h"
#include "ui/Prompts.h"

#include <QComboBox>
#include <QEventLoop>
#include <QTimer>

namespace {

// The status query waits 1000 ms for its byte; the write has its own bound.
constexpr int statusWaitMs = 4000;

} // namespace

MaintenanceActions::MaintenanceActions(
    QWidget *form, CDeviceInterface &port, PrinterParameters &params, QWidget *dialogParent, QObject *parent)
    : QObject(parent)
    , m_form(form)
    , m_port(port)
    , m_params(params)
    , m_dialogParent(dialogParent)
{ }

bool MaintenanceActions::handleClick(const QString &controlName)
{
    const struct {
        const char *name;
        void (*run)(MaintenanceActions &);
    } actions[] = {
        { "btn_sensor_calibration", [](MaintenanceActions &a) { a.calibrate(); } },
        { "btn_query_all_sensor", [](MaintenanceActions &a) { a.checkSensors(); } },
        { "btn_reset_printer", [](MaintenanceActions &a) { protocol::initialisePrinter(a.m_port); } },
        { "btn_restart_printer", [](MaintenanceActions &a) { protocol::restartPrinter(a.m_port); } },
        { "btn_print_test_page", [](MaintenanceActions &a) { protocol::printSelfTest(a.m_port); } },
        { "btn_cancel_AUTO_BAS",
            [](MaintenanceActions &a) {
                if (a.confirm(QStringLiteral("是否忽略 AUTO.BAS")))
                    protocol::ignoreAutoBas(a.m_port);
            } },
        { "btn_hex_mode",
            [](MaintenanceActions &a) {
                if (a.confirm(QStringLiteral("是否进入HEX模式")))
                    protocol::enterHexMode(a.m_port);
            } },
        { "btn_set_time", [](MaintenanceActions &a) { printer_options::sendPrinterClock(a.m_port); } },
        { "btn_read_prt_status", [](MaintenanceActions &a) { a.readStatus(); } },
    };
    for (const auto &action : actions) {
        if (controlName == QLatin1String(action.name)) {
            action.run(*this);
            return true;
        }
    }
    return false;
}

bool MaintenanceActions::confirm(const QString &question)
{
    // The caption stays "ALARM" in every language.
    return prompts().showMessage(m_dialogParent, translate(question), QStringLiteral("ALARM"),
               Prompts::Buttons::OkCancel, Prompts::Icon::Question)
        == Prompts::Ok;
}

void MaintenanceActions::calibrate()
{
    CDlgFormDetect dialog(m_calibrationChoice, m_dialogParent);
    if (dialog.exec() == 1)
        protocol::calibrate(m_port, m_calibrationChoice);
}

void MaintenanceActions::checkSensors()
{
    CDlgSensorCheck dialog(m_port, m_params, m_dialogParent);
    dialog.exec();
}

void MaintenanceActions::readStatus()
{
    // A silent printer keeps the query waiting for a second: it runs on a
    // worker while the window paints but takes no input, so no other
    // exchange can start on the port meanwhile.
    auto answered = std::make_shared<bool>(false);
    auto byte = std::make_shared<qint32>(m_params.statusByte);
    CDeviceInterface *port = &m_port;
    WorkerThread *worker = WorkerThread::startJob(QString::fromLatin1(statusWorker),
        jobs::makeJob([port, answered, byte](jobs::JobContext &) {
            PrinterParameters reply;
            *answered = protocol::queryStatus(*port, reply);
            if (*answered)
                *byte = reply.statusByte;
        }),
        std::make_shared<jobs::JobContext>());
    if (!worker)
        return;
    QEventLoop loop;
    bool ended = false;
    connect(worker, &WorkerThread::jobEnded, &loop, [&ended, &loop] {
        ended = true;
        loop.quit();
    });
    QTimer::singleShot(statusWaitMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!ended)
        return; // the port is still busy; its answer is not ours to show
    if (*answered)
        m_params.statusByte = *byte;
    showStatus(*answered);
}

void MaintenanceActions::showStatus(bool printerAnswered)
{
    ui::setControlText(ui::findControl<QWidget>(m_form, QStringLiteral("text_prt_status")),
        printer_options::statusTextAfterQuery(printerAnswered, m_params.statusByte));
}

void MaintenanceActions::startWifiScan()
{
    // Even connecting to the system bus can wait, so that happens on the worker too.
    runWifiScan([] { return QDBusConnection::systemBus(); });
}

void MaintenanceActions::startWifiScan(const QDBusConnection &bus)
{
    runWifiScan([bus] { return bus; });
}

void MaintenanceActions::runWifiScan(std::function<QDBusConnection()> bus)
{
    QPointer<QComboBox> names = ui::findControl<QComboBox>(m_form, QStringLiteral("cb_wifi_name"));
    QPointer<MaintenanceActions> self(this);
    WorkerThread *worker = WorkerThread::startJob(QString::fromLatin1(wifiScanWorker),
        jobs::makeJob([bus = std::move(bus)](jobs::JobContext &) { return printer_options::scanWifiNetworks(bus()); },
            [names, self](const printer_options::WifiScanResult &result) {
                for (const QString &line : result.logLines)
                    LogLine(line);
                if (names) {
                    // Adding to an empty list would select the first name in place of the read one.
                    const QString shown = names->currentText();
                    names->addItems(result.names);
                    names->setCurrentText(shown);
                }
                if (self)
                    Q_EMIT self->wifiScanFinished();
            }),
        std::make_shared<jobs::JobContext>());
    if (!worker)
        Q_EMIT wifiScanFinished(); // a scan is still running; its names will come
}
