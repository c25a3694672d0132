#include "printer-sim/SimServer.h"

#include "printer-sim/UsbPort.h"

#include <QNetworkDatagram>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

#include <algorithm>
#include <cstdio>

namespace printersim {

SimServer::SimServer(SimConfig config, ServerOptions options, QObject *parent)
    : QObject(parent)
    , m_printer(std::move(config))
    , m_options(std::move(options))
{
    m_clock.start();
    m_wakeUp.setSingleShot(true);
    connect(&m_wakeUp, &QTimer::timeout, this, &SimServer::pump);
}

SimServer::~SimServer()
{
    // The clients' signal handlers use the session table, which goes first.
    for (auto &client : m_clients) {
        client.first->disconnect(this);
        delete client.first;
    }
}

bool SimServer::start(QString *error)
{
    if (!listen(m_options.address, error))
        return false;
    if (!m_options.usbSysfsRoot.isEmpty()) {
        m_usb = new UsbPort(m_options.usbSysfsRoot, m_options.usbNode, this);
        if (!m_usb->open(error) || !m_usb->publish(m_printer.ieee1284Id())) {
            if (error->isEmpty())
                *error = QStringLiteral("cannot write the USB entry under %1").arg(m_options.usbSysfsRoot);
            return false;
        }
        m_usbSession = std::make_unique<PrinterSession>(m_printer, PrinterSession::Link::Usb);
        connect(m_usb, &UsbPort::received, this, &SimServer::readUsb);
    }
    return true;
}

bool SimServer::listen(const QHostAddress &address, QString *error)
{
    auto *tcp = new QTcpServer(this);
    if (!tcp->listen(address, m_tcp ? m_tcp->serverPort() : m_options.tcpPort)) {
        *error = QStringLiteral("TCP %1:%2: %3").arg(address.toString()).arg(m_options.tcpPort).arg(tcp->errorString());
        delete tcp;
        return false;
    }
    QUdpSocket *udp = nullptr;
    if (m_options.udp && m_homeUdp && address.isEqual(m_homeAddress)) {
        udp = m_homeUdp;
    } else if (m_options.udp) {
        udp = new QUdpSocket(this);
        const quint16 port = m_udp ? m_udp->localPort() : m_options.udpPort;
        if (!udp->bind(address, port)) {
            *error = QStringLiteral("UDP %1:%2: %3").arg(address.toString()).arg(port).arg(udp->errorString());
            delete udp;
            delete tcp;
            return false;
        }
        connect(udp, &QUdpSocket::readyRead, this, [this, udp] { readDatagrams(udp); });
    }
    delete m_tcp;
    // A printer hears the discovery query whatever its own address, so the
    // socket on the address it was started on (where the program asks) stays.
    if (m_udp != m_homeUdp)
        delete m_udp;
    m_tcp = tcp;
    m_udp = udp;
    m_boundAddress = address;
    if (!m_homeUdp) {
        m_homeUdp = udp;
        m_homeAddress = address;
    }
    connect(m_tcp, &QTcpServer::newConnection, this, &SimServer::acceptClients);
    return true;
}

QString SimServer::describe() const
{
    QString text = QStringLiteral("TCP %1:%2").arg(m_boundAddress.toString()).arg(m_tcp->serverPort());
    if (m_udp)
        text += QStringLiteral(", UDP %1:%2").arg(m_boundAddress.toString()).arg(m_udp->localPort());
    if (m_usb)
        text += QStringLiteral(", USB %1 (%2/class/usbmisc/%3)")
                    .arg(m_usb->devicePath(), m_options.usbSysfsRoot, m_options.usbNode);
    return text;
}

quint16 SimServer::tcpPort() const
{
    return m_tcp ? m_tcp->serverPort() : 0;
}

quint16 SimServer::udpPort() const
{
    return m_udp ? m_udp->localPort() : 0;
}

QString SimServer::usbDevicePath() const
{
    return m_usb ? m_usb->devicePath() : QString();
}

void SimServer::acceptClients()
{
    while (QTcpSocket *socket = m_tcp->nextPendingConnection()) {
        // Owned here, not by the listener, so moving the listener keeps the connection.
        socket->setParent(this);
        m_clients[socket] = std::make_unique<PrinterSession>(m_printer, PrinterSession::Link::Network);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readClient(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_clients.erase(socket);
            socket->deleteLater();
        });
    }
}

void SimServer::readClient(QTcpSocket *socket)
{
    const auto client = m_clients.find(socket);
    if (client == m_clients.end())
        return;
    client->second->receive(socket->readAll(), now());
    pump();
}

void SimServer::readUsb(const QByteArray &bytes)
{
    m_usbSession->receive(bytes, now());
    pump();
}

void SimServer::readDatagrams(QUdpSocket *socket)
{
    while (socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket->receiveDatagram();
        const auto reply = applyReplyFaults(m_printer.answerDatagram(datagram.data(), now()), m_printer.faults());
        if (!reply)
            continue;
        const auto send = [udp = QPointer<QUdpSocket>(socket), bytes = *reply, to = datagram.senderAddress(),
                              port = static_cast<quint16>(datagram.senderPort())] {
            if (udp)
                udp->writeDatagram(bytes, to, port);
        };
        if (m_printer.faults().answerDelayMs > 0)
            QTimer::singleShot(m_printer.faults().answerDelayMs, this, send);
        else
            send();
    }
    followAddressChange();
    reportActions();
}

// A NET IP to another loopback address moves the listeners there, so the
// program finds the printer where discovery now says it is. Other addresses
// are only reported: the printer stays on the address it was started on.
void SimServer::followAddressChange()
{
    const QHostAddress wanted(QString::fromLatin1(m_printer.settings().link.netIp));
    if (wanted.isNull() || !wanted.isLoopback() || wanted.isEqual(m_boundAddress))
        return;
    QString error;
    if (listen(wanted, &error))
        std::fprintf(stderr, "ostrel-printer-sim: now on %s\n", qPrintable(describe()));
    else
        std::fprintf(
            stderr, "ostrel-printer-sim: stays on %s (%s)\n", qPrintable(m_boundAddress.toString()), qPrintable(error));
}

void SimServer::pump()
{
    const qint64 t = now();
    m_printer.advance(t);
    std::optional<qint64> next = m_printer.nextChangeMs();
    const auto plan = [&next](std::optional<qint64> at) {
        if (at && (!next || *at < *next))
            next = at;
    };
    QList<QTcpSocket *> dropped;
    for (auto &[socket, session] : m_clients) {
        const QByteArray out = session->takeOutput(t);
        if (!out.isEmpty())
            socket->write(out);
        if (session->disconnectRequested())
            dropped.append(socket);
        plan(session->nextOutputMs());
    }
    for (QTcpSocket *socket : dropped)
        socket->abort();
    if (m_usb) {
        const QByteArray out = m_usbSession->takeOutput(t);
        if (!out.isEmpty())
            m_usb->write(out);
        if (m_usbSession->disconnectRequested()) {
            QString error;
            if (!m_usb->hangUp(&error))
                std::fprintf(stderr, "ostrel-printer-sim: %s\n", qPrintable(error));
            m_usbSession = std::make_unique<PrinterSession>(m_printer, PrinterSession::Link::Usb);
        }
        if (m_printer.generation() != m_usbGeneration) {
            // A printer that restarts drops off the bus: the program's handle
            // dies, and the entry comes back (if at all) on a fresh node.
            m_usbGeneration = m_printer.generation();
            m_usb->publish({});
            QString error;
            if (!m_usb->hangUp(&error))
                std::fprintf(stderr, "ostrel-printer-sim: %s\n", qPrintable(error));
            m_usbSession = std::make_unique<PrinterSession>(m_printer, PrinterSession::Link::Usb);
        }
        m_usb->publish(m_printer.ieee1284Id());
        plan(m_usbSession->nextOutputMs());
    }
    followAddressChange();
    reportActions();
    if (next)
        m_wakeUp.start(static_cast<int>(std::clamp<qint64>(*next - t, 0, 60000)));
}

void SimServer::reportActions()
{
    const QList<QByteArray> &actions = m_printer.actions();
    const qint64 total = m_printer.actionsRecorded();
    if (m_options.verbose) {
        const qsizetype unseen = static_cast<qsizetype>(qMin<qint64>(total - m_reportedActions, actions.size()));
        for (qsizetype i = actions.size() - unseen; i < actions.size(); ++i)
            std::fprintf(stderr, "ostrel-printer-sim: %s\n", actions[i].constData());
    }
    m_reportedActions = total;
}

} // namespace printersim
