#include "port_dialogs/CDlgPortNet.h"

#include "app/GridColumns.h"
#include "platform/LocalAddresses.h"
#include "port_dialogs/CDlgModifyNetWork.h"
#include "ui/LayoutLoader.h"
#include "ui/RequiredControls.h"
#include "ui/WindowChrome.h"

#include <QPushButton>
#include <QTableWidget>

using namespace grids;

namespace {

enum Column { Tick, Name, Model, Ip, Subnet, Gateway, Mac, Dhcp, Firmware };
const QList<GridColumn> columns { { 80, 0, true }, { 150, 2 }, { 120, 3 }, { 150, 4 }, { 150, 5 }, { 150, 6 },
    { 150, 7 }, { 80, 8, true }, { 150, 9 } };

} // namespace

DiscoverySetup DiscoverySetup::system()
{
    DiscoverySetup setup;
    setup.localAddresses = platform::localIPv4Addresses();
    return setup;
}

CDlgPortNet::CDlgPortNet(PortSettings &settings, DiscoverySetup setup, QWidget *parent)
    : QDialog(parent, Qt::Dialog)
    , m_settings(settings)
    , m_setup(std::move(setup))
    , m_runModify([](CDlgModifyNetWork &dialog) { return dialog.exec(); })
{
    ui::loadLayoutInto(this, QString::fromLatin1(layoutFile));
    ui::installWindowChrome(this, false);
    m_search.setQueryAddress(m_setup.queryAddress);
    m_search.setPorts(m_setup.printerPort, m_setup.localPort);
    connect(&m_search, &NetworkSearchRun::printerFound, this, &CDlgPortNet::addPrinter);
    m_grid = ui::requireControl<QTableWidget>(this, "grid_printer_udp");
    setUpGrid(m_grid, QString::fromLatin1(layoutFile), columns);
    connect(m_grid, &QTableWidget::itemSelectionChanged, this, [this] { markSelection(m_grid); });
    connect(
        ui::requireControl<QPushButton>(this, "btn_search"), &QPushButton::clicked, this, &CDlgPortNet::StartSearch);
    connect(
        ui::requireControl<QPushButton>(this, "btn_modify"), &QPushButton::clicked, this, &CDlgPortNet::modifySelected);
    connect(ui::requireControl<QPushButton>(this, "btn_ok"), &QPushButton::clicked, this, &CDlgPortNet::confirm);
}

CDlgPortNet::~CDlgPortNet()
{
    m_search.StopSearch();
}

void CDlgPortNet::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_searchStarted)
        return;
    m_searchStarted = true;
    StartSearch();
}

void CDlgPortNet::StartSearch()
{
    m_search.StopSearch();
    m_grid->setRowCount(0);
    m_search.StartSearch(m_setup.localAddresses);
}

void CDlgPortNet::addPrinter(const PrinterInfo &info)
{
    const QStringList values { QString(), info.name, info.model, info.ip, info.subnet, info.gateway, info.mac,
        info.dhcp ? QStringLiteral("1") : QString(), info.firmware };
    // A reply already on its way when the printer's settings changed brings
    // the old values back; the next one puts the new values in place.
    for (int row = 0; row < m_grid->rowCount(); ++row) {
        if (cellText(m_grid, row, Mac) == info.mac) {
            updateRow(m_grid, row, columns, values);
            return;
        }
    }
    if (appendRow(m_grid, columns, values) == 0)
        m_grid->selectRow(0);
}

void CDlgPortNet::confirm()
{
    const int row = selectedRow(m_grid);
    if (row >= 0) {
        m_settings.kind = PortKind::Net;
        m_settings.ipAddress = cellText(m_grid, row, Ip);
    }
    done(1);
}

void CDlgPortNet::modifySelected()
{
    const int row = selectedRow(m_grid);
    if (row < 0)
        return;
    const QString printerIp = cellText(m_grid, row, Ip);
    CDlgModifyNetWork dialog(
        cellTicked(m_grid, row, Dhcp), printerIp, cellText(m_grid, row, Subnet), cellText(m_grid, row, Gateway), this);
    if (m_runModify(dialog) != 1)
        return;
    m_grid->removeRow(row);
    m_search.SendNetworkSettings(printerIp, dialog.dhcp(), dialog.ip(), dialog.subnet(), dialog.gateway());
}

void CDlgPortNet::done(int result)
{
    m_search.StopSearch();
    QDialog::done(result);
}

void CDlgPortNet::reject()
{
    done(2);
}
