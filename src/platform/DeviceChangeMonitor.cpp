#include "platform/DeviceChangeMonitor.h"

#include "platform/UsbPrinters.h"

#include <QFileInfo>
#include <QSocketNotifier>

#include <libudev.h>

namespace platform {

struct DeviceChangeMonitor::Udev {
    udev *context = nullptr;
    udev_monitor *monitor = nullptr;
    ~Udev()
    {
        if (monitor)
            udev_monitor_unref(monitor);
        if (context)
            udev_unref(context);
    }
};

DeviceChangeMonitor::DeviceChangeMonitor(QObject *parent)
    : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMs);
    connect(&m_settle, &QTimer::timeout, this, &DeviceChangeMonitor::devicesChanged);
    if (!startUdev())
        startRescan(systemUsbDeviceTree(), rescanMs);
}

DeviceChangeMonitor::DeviceChangeMonitor(std::unique_ptr<UsbDeviceTree> tree, int intervalMs, QObject *parent)
    : QObject(parent)
{
    startRescan(std::move(tree), intervalMs);
}

void DeviceChangeMonitor::startRescan(std::unique_ptr<UsbDeviceTree> tree, int intervalMs)
{
    m_tree = std::move(tree);
    m_lastSnapshot = printerSnapshot();
    m_rescan.setInterval(intervalMs);
    connect(&m_rescan, &QTimer::timeout, this, &DeviceChangeMonitor::rescan);
    m_rescan.start();
}

DeviceChangeMonitor::~DeviceChangeMonitor() = default;

bool DeviceChangeMonitor::startUdev()
{
    // Without a udev daemon the monitor would open but never hear anything.
    if (!QFileInfo::exists(QStringLiteral("/run/udev/control")))
        return false;
    auto state = std::make_unique<Udev>();
    state->context = udev_new();
    if (!state->context)
        return false;
    state->monitor = udev_monitor_new_from_netlink(state->context, "udev");
    if (!state->monitor)
        return false;
    udev_monitor_filter_add_match_subsystem_devtype(state->monitor, "usb", "usb_device");
    udev_monitor_filter_add_match_subsystem_devtype(state->monitor, "usbmisc", nullptr);
    if (udev_monitor_enable_receiving(state->monitor) < 0)
        return false;
    const int fd = udev_monitor_get_fd(state->monitor);
    if (fd < 0)
        return false;
    m_udev = std::move(state);
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &DeviceChangeMonitor::readUdevEvents);
    return true;
}

void DeviceChangeMonitor::readUdevEvents()
{
    bool any = false;
    while (udev_device *device = udev_monitor_receive_device(m_udev->monitor)) {
        udev_device_unref(device);
        any = true;
    }
    if (any)
        m_settle.start();
}

QStringList DeviceChangeMonitor::printerSnapshot() const
{
    QStringList snapshot;
    for (const UsbPrinterEntry &entry : scanUsbPrinters(*m_tree))
        snapshot.append(entry.devicePath + QLatin1Char(' ') + entry.hardwareId);
    return snapshot;
}

void DeviceChangeMonitor::rescan()
{
    QStringList snapshot = printerSnapshot();
    if (snapshot == m_lastSnapshot)
        return;
    m_lastSnapshot = std::move(snapshot);
    Q_EMIT devicesChanged();
}

} // namespace platform
