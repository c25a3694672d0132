#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A folder laid out like /sys with usblp printers in it, for
// platform::SysfsDeviceTree and OSTREL_SYSFS_ROOT.
class FakeUsbTree
{
public:
    bool isValid() const { return m_root.isValid(); }
    QString root() const { return m_root.path(); }

    // Adds lp<number>. An empty ieee1284Id leaves the attribute out, as for an
    // interface that cannot tell its device id.
    void addPrinter(
        int number, const QByteArray &ieee1284Id, const QString &deviceNode, const QByteArray &interfaceClass = "07")
    {
        const QString dir = QStringLiteral("%1/class/usbmisc/lp%2").arg(root()).arg(number);
        QDir().mkpath(dir + QStringLiteral("/device"));
        write(dir + QStringLiteral("/uevent"), "MAJOR=180\nMINOR=0\nDEVNAME=" + QFile::encodeName(deviceNode) + "\n");
        write(dir + QStringLiteral("/device/bInterfaceClass"), interfaceClass + "\n");
        if (!ieee1284Id.isEmpty())
            write(dir + QStringLiteral("/device/ieee1284_id"), ieee1284Id + "\n");
    }

private:
    static void write(const QString &path, const QByteArray &content)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
    }

    QTemporaryDir m_root;
};
