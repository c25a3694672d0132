#pragma once

#include "printer_options/SensorCheckJob.h"
#include "ui/RequiredControls.h"

#include <QDialog>

#include <memory>

class CDeviceInterface;
class QTableWidget;
struct PrinterParameters;

// The live readings of the printer's three media sensors. While the dialog
// is shown a worker polls the printer; the modal call returns only once that
// worker has stopped, so the port is free for the next exchange.
class CDlgSensorCheck : public QDialog
{
    Q_OBJECT
public:
    static constexpr char layoutFile[] = "DlgSensorCheck.ui";
    static constexpr ui::RequiredControl requiredControls[] = {
        { "grid", "QTableWidget" },
        { "window_header", "QWidget" },
        { "windowclosebtn", "QToolButton" },
    };
    // Longest the window waits for the worker's last exchange to end.
    static constexpr int stopWaitMs = 5000;

    CDlgSensorCheck(CDeviceInterface &port, PrinterParameters &params, QWidget *parent = nullptr);
    ~CDlgSensorCheck() override;

    QTableWidget *grid() const { return m_grid; }
    bool isPolling() const { return m_polling; }

    void done(int result) override;
    void reject() override;

Q_SIGNALS:
    void readingsShown();
    void pollingStopped();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void setUpGrid();
    void startPolling();
    void stopPolling();
    void showReadings(const printer_options::SensorReadings &readings);

    CDeviceInterface &m_port;
    PrinterParameters &m_params;
    QTableWidget *m_grid;
    std::shared_ptr<printer_options::StopSignal> m_stop;
    bool m_started = false;
    bool m_polling = false;
    bool m_stopping = false;
};
