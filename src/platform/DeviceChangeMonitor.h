#pragma once

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
    ~DeviceChangeMonitor() override;

    bool usesUdev() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void devicesChanged();

private:
    bool startUdev();
    void readUdevEvents();
    void rescan();
    static QStringList printerSnapshot();

    struct Udev;
    std::unique_ptr<Udev> m_udev;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_settle;
    QTimer m_rescan;
    QStringList m_lastSnapshot;
};

} // namespace platform
