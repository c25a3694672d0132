#pragma once

#include "platform/UsbPrinters.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>

class QSocketNotifier;

namespace platform {

// Tells when USB devices come and go: a udev monitor where a udev daemon
// runs, otherwise a periodic rescan of the USB printers. Bursts of events
// (a device and its interfaces) are announced once.
class DeviceChangeMonitor : public QObject
{
    Q_OBJECT
public:
    static constexpr int settleMs = 300;
    static constexpr int rescanMs = 2000;

    explicit DeviceChangeMonitor(QObject *parent = nullptr);
    // Rescans the given tree every intervalMs, without udev.
    DeviceChangeMonitor(std::unique_ptr<UsbDeviceTree> tree, int intervalMs, QObject *parent = nullptr);
    ~DeviceChangeMonitor() override;

    bool usesUdev() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void devicesChanged();

private:
    bool startUdev();
    void readUdevEvents();
    void startRescan(std::unique_ptr<UsbDeviceTree> tree, int intervalMs);
    void rescan();
    QStringList printerSnapshot() const;

    struct Udev;
    std::unique_ptr<Udev> m_udev;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_settle;
    QTimer m_rescan;
    std::unique_ptr<UsbDeviceTree> m_tree;
    QStringList m_lastSnapshot;
};

} // namespace platform
