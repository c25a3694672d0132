#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace printersim {

// The printer's USB side: a pseudo-terminal in raw mode stands in for the
// device node, and a folder laid out like sysfs tells the program's USB scan
// about it (class/usbmisc/<node>/uevent with DEVNAME, device/bInterfaceClass
// "07", device/ieee1284_id).
class UsbPort : public QObject
{
    Q_OBJECT

public:
    UsbPort(QString sysfsRoot, QString nodeName, QObject *parent = nullptr);
    ~UsbPort() override;

    bool open(QString *error);
    QString devicePath() const { return m_devicePath; }

    // Shows the printer with this IEEE 1284 id, or removes it when empty.
    bool publish(const QByteArray &ieee1284Id);
    bool write(const QByteArray &bytes);
    // Drops the line as an unplugged cable would: the program's handle dies
    // and the entry comes back on a fresh device node.
    bool hangUp(QString *error);

Q_SIGNALS:
    void received(const QByteArray &bytes);

private:
    void closeTerminal();
    void readAvailable();
    QString entryPath() const;

    QString m_sysfsRoot;
    QString m_nodeName;
    int m_master = -1;
    int m_slave = -1;
    QString m_devicePath;
    QByteArray m_publishedId;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace printersim
