#pragma once

#include "jobs/Job.h"
#include "jobs/TaskCode.h"
#include "protocol/ParameterPasses.h"
#include "ui/RequiredControls.h"

#include <QWidget>

#include <functional>
#include <optional>

class CApp;
class MaintenanceActions;
class QLabel;
class QPushButton;
class QStackedWidget;
struct PrinterParameters;

// The printer options tab: the printer's identity and every parameter on
// nine pages, moved between the record and the controls by the bindings of
// the parameter table, read and written behind the progress dialog.
class CFormPrinterOptions : public QWidget
{
    Q_OBJECT
public:
    static constexpr char layoutFile[] = "FormPrinterOptions.ui";
    static constexpr ui::RequiredControl requiredControls[] = {
        { "tab_printer_options", "QStackedWidget" },
        { "btn_read_all_options", "QPushButton" },
        { "btn_write_all_options", "QPushButton" },
        { "label_pass_outcome", "QLabel" },
        { "text_prt_status", "QLineEdit" },
        { "cb_wifi_name", "QComboBox" },
        { "btn_sensor_calibration", "QPushButton" },
        { "btn_reset_printer", "QPushButton" },
        { "btn_restart_printer", "QPushButton" },
        { "btn_print_test_page", "QPushButton" },
        { "btn_hardware_upgrade", "QPushButton" },
        { "btn_query_all_sensor", "QPushButton" },
        { "btn_cancel_AUTO_BAS", "QPushButton" },
        { "btn_hex_mode", "QPushButton" },
        { "btn_set_time", "QPushButton" },
        { "btn_read_prt_status", "QPushButton" },
    };
    // The single actions of the left column and the status field, run by
    // MaintenanceActions (the firmware upgrade opens its dialog).
    static constexpr const char *maintenanceButtons[] = {
        "btn_sensor_calibration",
        "btn_reset_printer",
        "btn_restart_printer",
        "btn_print_test_page",
        "btn_hardware_upgrade",
        "btn_query_all_sensor",
        "btn_cancel_AUTO_BAS",
        "btn_hex_mode",
        "btn_set_time",
        "btn_read_prt_status",
    };

    explicit CFormPrinterOptions(CApp &app, QWidget *parent = nullptr);

    int currentPage() const;
    bool writeAllowed() const { return m_writeAllowed; }

    // Record to controls and controls to record, by every binding.
    void showRecord();
    void takeRecord();

    // Fills cb_wifi_name from the networks the computer sees; once, when the
    // main window creates the page.
    void startWifiScan();

public Q_SLOTS:
    void readParameters();
    void writeParameters();
    // The port was opened again, perhaps to another printer: what was read
    // no longer describes it.
    void onPortChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onMaintenanceClick(const QString &controlName);
    void fillLists();
    void translateListItems();
    void applyGroupStates();
    void showReadOutcome(const protocol::ReadPassOutcome &outcome);
    void showWriteOutcome(const protocol::WritePassOutcome &outcome);
    // False, with the fields marked and a message, when the page cannot be written.
    bool pageCanBeWritten(int page);
    bool dhcpIsOn(const protocol::ParameterRow &row);
    void setWriteAllowed(bool allowed);
    int runJob(jobs::TaskCode code, jobs::Job job);

    CApp &m_app;
    QStackedWidget *m_pages = nullptr;
    QPushButton *m_write = nullptr;
    QLabel *m_outcome = nullptr;
    bool m_writeAllowed = false;
    MaintenanceActions *m_actions = nullptr;
    std::optional<protocol::ReadPassOutcome> m_readOutcome;
    std::optional<protocol::WritePassOutcome> m_writeOutcome;
    // Controls the layout enables; the group rules may only disable these.
    QList<QWidget *> m_enabledByLayout;
};

// Installs the tab page into the program; its two jobs run under the task
// codes of reading and writing parameters, handed to the progress dialog.
void registerPrinterOptions(CApp &app);
