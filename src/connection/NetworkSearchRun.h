#pragma once

#include "connection/CDeviceSearcherUdp.h"
#include "connection/PrinterInfo.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <vector>

// One discovery session: a searcher per local address, bound to port 22369,
// asking every second; each reply arrives on the window thread as
// printerFound. Also sends the network settings datagrams.
class NetworkSearchRun : public QObject
{
    Q_OBJECT
public:
    static constexpr int printerPort = 22368;
    static constexpr int localPort = 22369;
    static constexpr int queryIntervalMs = 1000;
    static inline const QByteArray query = QByteArrayLiteral("DIAGNOSTIC REPORT NETBROADCAST\r\n");

    explicit NetworkSearchRun(QObject *parent = nullptr);
    ~NetworkSearchRun() override;

    // Where the query goes. Empty (the default): the broadcast address, except
    // that a searcher on a loopback address asks its own address, because
    // broadcasts never reach loopback and a printer simulated on this machine
    // should be found.
    void setQueryAddress(const QString &address) { m_queryAddress = address; }
    static QString queryDestination(const QString &configured, const QString &localAddress);
    void setPorts(int printerUdpPort, int localUdpPort);

    void StartSearch(const QStringList &localAddresses);
    void StopSearch();
    int searcherCount() const { return int(m_searchers.size()); }

    // "NET DHCP" or "NET IP \"ip\",\"mask\",\"gateway\"" to a printer, from every searcher.
    void SendNetworkSettings(
        const QString &printerIp, bool dhcp, const QString &ip, const QString &subnet, const QString &gateway);
    static QByteArray networkSettingsCommand(
        bool dhcp, const QString &ip, const QString &subnet, const QString &gateway);

Q_SIGNALS:
    void printerFound(const PrinterInfo &info);

private:
    void sendQuery();

    struct Searcher {
        std::unique_ptr<CDeviceSearcherUdp> socket;
        QString queryDestination;
    };
    std::vector<Searcher> m_searchers;
    QTimer m_timer;
    QString m_queryAddress;
    int m_printerPort = printerPort;
    int m_localPort = localPort;
};
