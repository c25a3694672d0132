#pragma once

#include "connection/CDeviceInterface.h"
#include "connection/PortSettings.h"
#include "ui/RequiredControls.h"

#include <QDialog>

class QTableWidget;
class QPushButton;

// Lists the USB printers present and opens the chosen one. With exactly one
// printer it connects without asking; with none it cancels.
class CDlgPortUsb : public QDialog
{
    Q_OBJECT
public:
    static constexpr char layoutFile[] = "DlgPortUSB.ui";
    static constexpr ui::RequiredControl requiredControls[] = {
        { "grid_usb_device", "QTableWidget" },
        { "btn_ok", "QPushButton" },
        { "window_header", "QWidget" },
        { "windowclosebtn", "QToolButton" },
    };

    CDlgPortUsb(CDeviceInterface &device, PortSettings &settings, QWidget *parent = nullptr);

    // Initialises, then either decides at once or runs modally: 1 confirmed, 2 cancelled.
    int run();

    QTableWidget *grid() const { return m_grid; }
    void reject() override;

private:
    void initialise();
    void preselect();
    void confirm();
    void selectionChanged();

    CDeviceInterface &m_device;
    PortSettings &m_settings;
    QTableWidget *m_grid;
    QPushButton *m_ok;
};
