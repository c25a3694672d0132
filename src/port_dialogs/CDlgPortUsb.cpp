#include "port_dialogs/CDlgPortUsb.h"

#include "app/GridColumns.h"
#include "ui/LayoutLoader.h"
#include "ui/RequiredControls.h"
#include "ui/WindowChrome.h"

#include <QPushButton>
#include <QTableWidget>

using namespace grids;

namespace {

enum Column { Tick, Port, Device };
const QList<GridColumn> columns { { 80, 0, true }, { 120, 2 }, { 0, 3 } };

} // namespace

CDlgPortUsb::CDlgPortUsb(CDeviceInterface &device, PortSettings &settings, QWidget *parent)
    : QDialog(parent, Qt::Dialog)
    , m_device(device)
    , m_settings(settings)
{
    ui::loadLayoutInto(this, QString::fromLatin1(layoutFile));
    ui::installWindowChrome(this, false);
    m_grid = ui::requireControl<QTableWidget>(this, "grid_usb_device");
    m_ok = ui::requireControl<QPushButton>(this, "btn_ok");
    setUpGrid(m_grid, QString::fromLatin1(layoutFile), columns);
    connect(m_grid, &QTableWidget::itemSelectionChanged, this, &CDlgPortUsb::selectionChanged);
    connect(m_ok, &QPushButton::clicked, this, &CDlgPortUsb::confirm);
}

int CDlgPortUsb::run()
{
    initialise();
    if (m_grid->rowCount() == 0) {
        reject();
        return result();
    }
    if (m_grid->rowCount() == 1) {
        confirm();
        return result();
    }
    return exec();
}

void CDlgPortUsb::initialise()
{
    m_ok->setEnabled(false);
    m_grid->setRowCount(0);
    for (const UsbPrinterEntry &printer : CDeviceInterface::ScanUsbPrinters())
        appendRow(m_grid, columns, { QString(), printer.portName, printer.hardwareId });
    preselect();
}

void CDlgPortUsb::preselect()
{
    const int rows = m_grid->rowCount();
    int chosen = -1;
    if (m_settings.usbDeviceId.isEmpty() || rows == 1) {
        chosen = rows > 0 ? 0 : -1;
    } else {
        for (int row = 0; row < rows && chosen < 0; ++row) {
            if (cellText(m_grid, row, Device) == m_settings.usbDeviceId)
                chosen = row;
        }
    }
    if (chosen >= 0)
        m_grid->selectRow(chosen);
}

void CDlgPortUsb::selectionChanged()
{
    markSelection(m_grid);
    m_ok->setEnabled(selectedRow(m_grid) >= 0);
}

void CDlgPortUsb::confirm()
{
    const int row = selectedRow(m_grid);
    if (row >= 0) {
        m_settings.kind = PortKind::Usb;
        m_settings.usbDeviceId = cellText(m_grid, row, Device);
        m_device.Close();
        if (m_device.Open(m_settings))
            CDeviceInterface::LogLine(
                QStringLiteral("Device: %1, Port: %2").arg(m_settings.usbDeviceId, cellText(m_grid, row, Port)));
    }
    done(1);
}

void CDlgPortUsb::reject()
{
    done(2);
}
