#include "app/WorkerThread.h"
#include "printer_options/FormFixture.h"
#include "printer_options/MaintenanceActions.h"
#include "printer_options/WifiScan.h"
#include "protocol/PrinterParameters.h"
#include "support/ScriptedPort.h"
#include "support/TrafficLogRecorder.h"

#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using printer_options::scanWifiNetworks;
using printer_options::WifiScanResult;

namespace {

const QString python = QStringLiteral("/usr/bin/python3");
const QString networkManager = QStringLiteral("org.freedesktop.NetworkManager");

// NetworkManager as the mock's template builds it: two Wi-Fi devices that
// both see "Office", a wired device, and a device that calls itself Wi-Fi but
// cannot list access points.
const char setUpNetworks[] = R"(
import os, dbus
bus = dbus.bus.BusConnection(os.environ['DBUS_SYSTEM_BUS_ADDRESS'])
mock = dbus.Interface(bus.get_object('org.freedesktop.NetworkManager', '/org/freedesktop'), 'org.freedesktop.DBus.Mock')
first = mock.AddWiFiDevice('wifi0', 'wlan0', 100)
mock.AddAccessPoint(first, 'ap0', 'Office', '00:11:22:33:44:01', 2, 2412, 54000, 80, 0)
mock.AddAccessPoint(first, 'ap1', 'Lab 2.4', '00:11:22:33:44:02', 2, 2437, 54000, 60, 0)
mock.AddEthernetDevice('eth0', 'eth0', 100)
mock.AddObject(
    '/org/freedesktop/NetworkManager/Devices/broken', 'org.freedesktop.NetworkManager.Device',
    {'DeviceType': dbus.UInt32(2)}, dbus.Array([], signature='(ssss)'))
second = mock.AddWiFiDevice('wifi1', 'wlan1', 100)
mock.AddAccessPoint(second, 'ap2', 'Office', '00:11:22:33:44:03', 2, 5180, 54000, 70, 0)
)";

} // namespace

// The Wi-Fi name list against python-dbusmock's NetworkManager template on a
// private bus of the test's own dbus-daemon; the machine's buses are never used.
class WifiScanTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    // Before the mock runs: the bus is there, NetworkManager is not.
    void unreachableNetworkManagerLogsAndListsNothing_data();
    void unreachableNetworkManagerLogsAndListsNothing();
    void listsTheAccessPointsOfEveryWifiDevice();
    void namesAreAddedToTheFormsList();

private:
    void startNetworkManager();
    QDBusConnection bus() const { return QDBusConnection(QStringLiteral("wifiscan-test")); }
    QProcessEnvironment busEnvironment() const;

    QTemporaryDir m_dir;
    QString m_address;
    QProcess m_daemon;
    QProcess m_mock;
};

QProcessEnvironment WifiScanTest::busEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_address);
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
    return environment;
}

void WifiScanTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_address = QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("bus"));
    QFile config(m_dir.filePath(QStringLiteral("bus.conf")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
)")
                     .arg(m_address)
                     .toUtf8());
    config.close();
    m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_daemon.start(QStringLiteral("dbus-daemon"),
        { QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
            QStringLiteral("--print-address") });
    QVERIFY2(m_daemon.waitForStarted(5000), qPrintable(m_daemon.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(m_daemon.canReadLine(), 5000);
    QDBusConnection::connectToBus(m_address, QStringLiteral("wifiscan-test"));
    QVERIFY2(bus().isConnected(), qPrintable(bus().lastError().message()));
}

void WifiScanTest::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("wifiscan-test"));
    for (QProcess *process : { &m_mock, &m_daemon }) {
        if (process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(3000))
                process->kill();
            process->waitForFinished(3000);
        }
    }
}

void WifiScanTest::startNetworkManager()
{
    if (m_mock.state() != QProcess::NotRunning)
        return;
    m_mock.setProcessEnvironment(busEnvironment());
    m_mock.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_mock.start(python,
        { QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"),
            QStringLiteral("networkmanager") });
    QVERIFY2(m_mock.waitForStarted(5000), qPrintable(m_mock.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(bus().interface()->isServiceRegistered(networkManager).value(), 10000);
    QProcess setUp;
    setUp.setProcessEnvironment(busEnvironment());
    setUp.setProcessChannelMode(QProcess::ForwardedChannels);
    setUp.start(python, { QStringLiteral("-c"), QString::fromLatin1(setUpNetworks) });
    QVERIFY(setUp.waitForFinished(10000));
    QCOMPARE(setUp.exitCode(), 0);
}

void WifiScanTest::unreachableNetworkManagerLogsAndListsNothing_data()
{
    QTest::addColumn<bool>("busConnected");
    QTest::newRow("no NetworkManager on the bus") << true;
    QTest::newRow("no bus") << false;
}

void WifiScanTest::unreachableNetworkManagerLogsAndListsNothing()
{
    QFETCH(bool, busConnected);
    QVERIFY(m_mock.state() == QProcess::NotRunning);
    const QDBusConnection connection = busConnected ? bus() : QDBusConnection(QStringLiteral("never-connected"));
    const WifiScanResult result = scanWifiNetworks(connection);
    QVERIFY(result.names.isEmpty());
    QCOMPARE(result.logLines.size(), 1);
    QVERIFY2(result.logLines.first().startsWith(QStringLiteral("NetworkManager connection failed with error: ")),
        qPrintable(result.logLines.first()));
    if (busConnected)
        QVERIFY(result.logLines.first().contains(QStringLiteral("ServiceUnknown")));

    // The form's list stays empty and the failure reaches the traffic log.
    auto form = loadPrinterOptionsLayout();
    ScriptedPort port;
    PrinterParameters params;
    MaintenanceActions actions(form.get(), port, params, form.get());
    TrafficLogRecorder log;
    QSignalSpy finished(&actions, &MaintenanceActions::wifiScanFinished);
    actions.startWifiScan(connection);
    QVERIFY(finished.wait(5000));
    QTRY_VERIFY(!RunningWorkers::isRunning(QString::fromLatin1(MaintenanceActions::wifiScanWorker)));
    QCOMPARE(ui::findControl<QComboBox>(form.get(), QStringLiteral("cb_wifi_name"))->count(), 0);
    QTRY_COMPARE(log.lines(), result.logLines);
    QVERIFY(port.writes().isEmpty());
}

void WifiScanTest::listsTheAccessPointsOfEveryWifiDevice()
{
    startNetworkManager();
    const WifiScanResult result = scanWifiNetworks(bus());
    // The wired device is left out; a network two devices see is listed twice.
    QCOMPARE(
        result.names, (QStringList { QStringLiteral("Office"), QStringLiteral("Lab 2.4"), QStringLiteral("Office") }));
    QCOMPARE(result.logLines.size(), 1);
    QVERIFY2(result.logLines.first().startsWith(QStringLiteral("NetworkManager GetAccessPoints failed with error: ")),
        qPrintable(result.logLines.first()));
}

void WifiScanTest::namesAreAddedToTheFormsList()
{
    startNetworkManager();
    auto form = loadPrinterOptionsLayout();
    auto *names = ui::findControl<QComboBox>(form.get(), QStringLiteral("cb_wifi_name"));
    names->addItem(QStringLiteral("typed before"));
    ScriptedPort port;
    PrinterParameters params;
    MaintenanceActions actions(form.get(), port, params, form.get());
    QSignalSpy finished(&actions, &MaintenanceActions::wifiScanFinished);
    actions.startWifiScan(bus());
    QVERIFY(finished.wait(10000));
    QTRY_VERIFY(!RunningWorkers::isRunning(QString::fromLatin1(MaintenanceActions::wifiScanWorker)));
    QStringList items;
    for (int i = 0; i < names->count(); ++i)
        items.append(names->itemText(i));
    QCOMPARE(items,
        (QStringList { QStringLiteral("typed before"), QStringLiteral("Office"), QStringLiteral("Lab 2.4"),
            QStringLiteral("Office") }));
}

QTEST_MAIN(WifiScanTest)
#include "tst_wifiscan.moc"
