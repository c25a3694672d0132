#pragma once

#include "printer-sim/PrinterSession.h"
#include "printer-sim/SimulatedPrinter.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

#include <map>
#include <memory>

class QTcpServer;
class QTcpSocket;
class QUdpSocket;

namespace printersim {

class UsbPort;

struct ServerOptions {
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 tcpPort = 9100;
    quint16 udpPort = 22368;
    bool udp = true;
    QString usbSysfsRoot; // empty: no USB emulation
    QString usbNode = QStringLiteral("lp0");
    bool verbose = false;
};

// Puts one simulated printer on the wire: TCP clients, the UDP discovery
// port and the USB emulation each get their own session; a timer delivers
// delayed replies and completes the printer's mode changes.
class SimServer : public QObject
{
    Q_OBJECT

public:
    SimServer(SimConfig config, ServerOptions options, QObject *parent = nullptr);
    ~SimServer() override;

    bool start(QString *error);
    // One line naming where the printer can be reached.
    QString describe() const;
    quint16 tcpPort() const;
    quint16 udpPort() const;
    QString usbDevicePath() const;
    SimulatedPrinter &printer() { return m_printer; }

private:
    qint64 now() const { return m_clock.elapsed(); }
    bool listen(const QHostAddress &address, QString *error);
    void acceptClients();
    void readClient(QTcpSocket *socket);
    void readDatagrams(QUdpSocket *socket);
    void readUsb(const QByteArray &bytes);
    void pump();
    void followAddressChange();
    void reportActions();

    SimulatedPrinter m_printer;
    ServerOptions m_options;
    QElapsedTimer m_clock;
    QTcpServer *m_tcp = nullptr;
    QUdpSocket *m_udp = nullptr;
    UsbPort *m_usb = nullptr;
    std::unique_ptr<PrinterSession> m_usbSession;
    quint64 m_usbGeneration = 0;
    std::map<QTcpSocket *, std::unique_ptr<PrinterSession>> m_clients;
    QTimer m_wakeUp;
    QHostAddress m_boundAddress;
    QUdpSocket *m_homeUdp = nullptr; // discovery on the address the printer started on
    QHostAddress m_homeAddress;
    qint64 m_reportedActions = 0;
};

} // namespace printersim
