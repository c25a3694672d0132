#include "platform/DeviceChangeMonitor.h"
#include "support/FakeUsbTree.h"

#include <QSignalSpy>
#include <QTest>

class TestDeviceMonitor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rescanAnnouncesEachChangeOnce();
};

void TestDeviceMonitor::rescanAnnouncesEachChangeOnce()
{
    FakeUsbTree tree;
    QVERIFY(tree.isValid());
    constexpr int intervalMs = 20;
    platform::DeviceChangeMonitor monitor(std::make_unique<platform::SysfsDeviceTree>(tree.root()), intervalMs);
    QSignalSpy changes(&monitor, &platform::DeviceChangeMonitor::devicesChanged);

    QTest::qWait(3 * intervalMs);
    QCOMPARE(changes.size(), 0);

    tree.addPrinter(0, "MFG:Brenik;MDL:LP 42;", QStringLiteral("usb/lp0"));
    QTRY_COMPARE_WITH_TIMEOUT(changes.size(), 1, 2000);
    QTest::qWait(3 * intervalMs);
    QCOMPARE(changes.size(), 1);

    QVERIFY(QDir(tree.root() + QStringLiteral("/class/usbmisc/lp0")).removeRecursively());
    QTRY_COMPARE_WITH_TIMEOUT(changes.size(), 2, 2000);
}

QTEST_MAIN(TestDeviceMonitor)
#include "tst_devicemonitor.moc"
