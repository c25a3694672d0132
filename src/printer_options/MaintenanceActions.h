#pragma once

#include "jobs/TaskCode.h"
#include "ui/RequiredControls.h"

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class CDeviceInterface;
class QComboBox;
struct PrinterParameters;

// The printer options form's single actions: status, sensor calibration and
// sensor view, reset, restart, self-test page, AUTO.BAS, HEX mode, clock, and
// the Wi-Fi name list. Works on the form's layout by control names, so the
// form hands its clicks over by name.
class MaintenanceActions : public QObject
{
    Q_OBJECT
public:
    // What these actions write into the form's layout.
    static constexpr ui::RequiredControl requiredControls[] = {
        { "text_prt_status", "QWidget" },
        { "cb_wifi_name", "QComboBox" },
    };
    static constexpr char statusWorker[] = "CThreadPrinterStatus";
    static constexpr const char *wifiScanWorker = jobs::worker::wifiScan;

    // form: the root of the "FormPrinterOptions" layout (or a window holding
    // it); port and params: the application's port object and record;
    // dialogParent: the window that owns the dialogs and message boxes.
    MaintenanceActions(QWidget *form, CDeviceInterface &port, PrinterParameters &params, QWidget *dialogParent,
        QObject *parent = nullptr);

    // Runs the action of a clicked control; false when the name is not one of
    // btn_sensor_calibration, btn_query_all_sensor, btn_reset_printer,
    // btn_restart_printer, btn_print_test_page, btn_cancel_AUTO_BAS,
    // btn_hex_mode, btn_set_time, btn_read_prt_status.
    bool handleClick(const QString &controlName);

    // The status text of the record's status byte into text_prt_status; with
    // printerAnswered false (the last status query went unanswered) the text
    // says "not connected" while the record keeps its byte.
    void showStatus(bool printerAnswered = true);

    // Adds the Wi-Fi names the computer sees to cb_wifi_name, asking
    // NetworkManager on the system bus (or on bus) from a worker; failures go
    // to the traffic log. wifiScanFinished follows on the window thread.
    void startWifiScan();
    void startWifiScan(const QDBusConnection &bus);

    // The media choice of the calibration dialog, kept for the whole run.
    int calibrationChoice() const { return m_calibrationChoice; }

Q_SIGNALS:
    void wifiScanFinished();

private:
    void calibrate();
    void checkSensors();
    void readStatus();
    bool confirm(const QString &question);
    void runWifiScan(std::function<QDBusConnection()> bus);

    QPointer<QWidget> m_form;
    CDeviceInterface &m_port;
    PrinterParameters &m_params;
    QPointer<QWidget> m_dialogParent;
    int m_calibrationChoice = 0;
};
