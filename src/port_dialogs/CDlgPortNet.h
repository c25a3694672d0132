#pragma once

#include "connection/NetworkSearchRun.h"
#include "connection/PortSettings.h"
#include "ui/RequiredControls.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class QTableWidget;
class CDlgModifyNetWork;

// Where the network dialog searches: every local IPv4 address by default,
// asking the broadcast address (see NetworkSearchRun::setQueryAddress); tests
// give loopback addresses and ports.
struct DiscoverySetup {
    QStringList localAddresses;
    QString queryAddress;
    int printerPort = NetworkSearchRun::printerPort;
    int localPort = NetworkSearchRun::localPort;

    static DiscoverySetup system();
};

// Lists the network printers that answer discovery; confirming chooses the
// selected one, and its network settings can be changed from here.
class CDlgPortNet : public QDialog
{
    Q_OBJECT
public:
    static constexpr char layoutFile[] = "DlgPortNet.ui";
    static constexpr ui::RequiredControl requiredControls[] = {
        { "grid_printer_udp", "QTableWidget" },
        { "btn_search", "QPushButton" },
        { "btn_modify", "QPushButton" },
        { "btn_ok", "QPushButton" },
        { "window_header", "QWidget" },
        { "windowclosebtn", "QToolButton" },
    };
    using ModifyRunner = std::function<int(CDlgModifyNetWork &)>;

    CDlgPortNet(PortSettings &settings, DiscoverySetup setup, QWidget *parent = nullptr);
    ~CDlgPortNet() override;

    QTableWidget *grid() const { return m_grid; }
    const NetworkSearchRun &searchRun() const { return m_search; }
    // How the settings dialog is run; modally by default.
    void setModifyRunner(ModifyRunner runner) { m_runModify = std::move(runner); }

    void StartSearch();
    // A printer already listed (same MAC text) shows the reply's values in its row.
    void addPrinter(const PrinterInfo &info);
    void done(int result) override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void confirm();
    void modifySelected();

    PortSettings &m_settings;
    DiscoverySetup m_setup;
    NetworkSearchRun m_search;
    QTableWidget *m_grid;
    ModifyRunner m_runModify;
    bool m_searchStarted = false;
};
