#include "connection/NetworkSearchRun.h"

#include "connection/AddressCommand.h"
#include "platform/SystemText.h"

#include <QPointer>

NetworkSearchRun::NetworkSearchRun(QObject *parent)
    : QObject(parent)
{
    m_timer.setInterval(queryIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &NetworkSearchRun::sendQuery);
}

NetworkSearchRun::~NetworkSearchRun()
{
    StopSearch();
}

void NetworkSearchRun::setPorts(int printerUdpPort, int localUdpPort)
{
    m_printerPort = printerUdpPort;
    m_localPort = localUdpPort;
}

void NetworkSearchRun::StartSearch(const QStringList &localAddresses)
{
    StopSearch();
    if (localAddresses.isEmpty())
        return;
    const QPointer<NetworkSearchRun> self(this);
    for (const QString &address : localAddresses) {
        // Results cross to the window thread; a run that is gone drops them.
        auto searcher = std::make_unique<CDeviceSearcherUdp>([self](const PrinterInfo &info) {
            QMetaObject::invokeMethod(
                self.data(),
                [self, info] {
                    if (self)
                        Q_EMIT self->printerFound(info);
                },
                Qt::QueuedConnection);
        });
        searcher->Open(address, m_localPort);
        m_searchers.push_back({ std::move(searcher), queryDestination(m_queryAddress, address) });
    }
    sendQuery();
    m_timer.start();
}

void NetworkSearchRun::StopSearch()
{
    m_timer.stop();
    m_searchers.clear();
}

QString NetworkSearchRun::queryDestination(const QString &configured, const QString &localAddress)
{
    if (!configured.isEmpty())
        return configured;
    return localAddress.startsWith(QLatin1String("127.")) ? localAddress : QStringLiteral("255.255.255.255");
}

void NetworkSearchRun::sendQuery()
{
    for (const Searcher &searcher : m_searchers)
        searcher.socket->SendTo(searcher.queryDestination, m_printerPort, query.constData(), qint32(query.size()));
}

QByteArray NetworkSearchRun::networkSettingsCommand(
    bool dhcp, const QString &ip, const QString &subnet, const QString &gateway)
{
    return platform::toSystemBytes(addressCommand("NET", dhcp, ip, subnet, gateway));
}

void NetworkSearchRun::SendNetworkSettings(
    const QString &printerIp, bool dhcp, const QString &ip, const QString &subnet, const QString &gateway)
{
    const QByteArray command = networkSettingsCommand(dhcp, ip, subnet, gateway);
    for (const Searcher &searcher : m_searchers)
        searcher.socket->SendTo(printerIp, m_printerPort, command.constData(), qint32(command.size()));
}
