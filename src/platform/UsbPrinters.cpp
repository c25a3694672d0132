#include "platform/UsbPrinters.h"

#include "platform/HardwareId.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <fcntl.h>
#include <libudev.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr char printerInterfaceClass[] = "07";

// The usblp driver's ioctl for the device id: two big-endian length bytes
// (which include themselves), then the id text.
std::optional<QByteArray> deviceIdFromIoctl(const QString &devicePath)
{
    const int fd = ::open(QFile::encodeName(devicePath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char buffer[1024] = {};
    const unsigned long request = _IOC(_IOC_READ, 'P', 1, sizeof buffer);
    const int rc = ::ioctl(fd, request, buffer);
    ::close(fd);
    if (rc < 0)
        return std::nullopt;
    int length = (static_cast<quint8>(buffer[0]) << 8) | static_cast<quint8>(buffer[1]);
    length = std::clamp(length, 2, int(sizeof buffer)) - 2;
    return QByteArray(buffer + 2, length);
}

std::optional<QByteArray> readAttribute(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll().trimmed();
}

int nodeNumber(const QString &name)
{
    qsizetype digits = name.size();
    while (digits > 0 && name.at(digits - 1).isDigit())
        --digits;
    bool ok = false;
    const int number = name.mid(digits).toInt(&ok);
    return ok ? number : -1;
}

} // namespace

QList<UsbPrinterNode> UdevDeviceTree::printerNodes() const
{
    QList<UsbPrinterNode> nodes;
    udev *context = udev_new();
    if (!context)
        return nodes;
    udev_enumerate *enumerate = udev_enumerate_new(context);
    udev_enumerate_add_match_subsystem(enumerate, "usbmisc");
    udev_enumerate_add_match_sysname(enumerate, "lp*");
    udev_enumerate_scan_devices(enumerate);
    udev_list_entry *entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate))
    {
        udev_device *device = udev_device_new_from_syspath(context, udev_list_entry_get_name(entry));
        if (!device)
            continue;
        udev_device *interface = udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_interface");
        const char *interfaceClass = interface ? udev_device_get_sysattr_value(interface, "bInterfaceClass") : nullptr;
        const char *devnode = udev_device_get_devnode(device);
        if (interfaceClass && QByteArray(interfaceClass).trimmed() == printerInterfaceClass && devnode) {
            UsbPrinterNode node;
            node.name = QString::fromLocal8Bit(udev_device_get_sysname(device));
            node.devicePath = QString::fromLocal8Bit(devnode);
            if (const char *id = udev_device_get_sysattr_value(interface, "ieee1284_id"))
                node.ieee1284Id = QByteArray(id).trimmed();
            else
                node.ieee1284Id = deviceIdFromIoctl(node.devicePath);
            nodes.append(node);
        }
        udev_device_unref(device);
    }
    udev_enumerate_unref(enumerate);
    udev_unref(context);
    return nodes;
}

SysfsDeviceTree::SysfsDeviceTree(QString sysRoot, QString devRoot)
    : m_sysRoot(std::move(sysRoot))
    , m_devRoot(std::move(devRoot))
{ }

QList<UsbPrinterNode> SysfsDeviceTree::printerNodes() const
{
    QList<UsbPrinterNode> nodes;
    const QDir classDir(m_sysRoot + QStringLiteral("/class/usbmisc"));
    const QStringList names = classDir.entryList({ QStringLiteral("lp*") }, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QString deviceDir = classDir.filePath(name);
        const auto interfaceClass = readAttribute(deviceDir + QStringLiteral("/device/bInterfaceClass"));
        if (!interfaceClass || *interfaceClass != printerInterfaceClass)
            continue;
        QString devName = QStringLiteral("usb/") + name;
        if (const auto uevent = readAttribute(deviceDir + QStringLiteral("/uevent"))) {
            for (const QByteArray &line : uevent->split('\n')) {
                if (line.startsWith("DEVNAME="))
                    devName = QString::fromLocal8Bit(line.mid(8).trimmed());
            }
        }
        UsbPrinterNode node;
        node.name = name;
        node.devicePath = devName.startsWith(QLatin1Char('/')) ? devName : m_devRoot + QLatin1Char('/') + devName;
        node.ieee1284Id = readAttribute(deviceDir + QStringLiteral("/device/ieee1284_id"));
        nodes.append(node);
    }
    return nodes;
}

std::unique_ptr<UsbDeviceTree> systemUsbDeviceTree()
{
    const QString fakeRoot = qEnvironmentVariable("OSTREL_SYSFS_ROOT");
    if (!fakeRoot.isEmpty())
        return std::make_unique<SysfsDeviceTree>(fakeRoot);
    return std::make_unique<UdevDeviceTree>();
}

static QList<UsbPrinterNode> sortedNodes(const UsbDeviceTree &tree)
{
    QList<UsbPrinterNode> nodes = tree.printerNodes();
    std::stable_sort(nodes.begin(), nodes.end(),
        [](const UsbPrinterNode &a, const UsbPrinterNode &b) { return nodeNumber(a.name) < nodeNumber(b.name); });
    return nodes;
}

QList<UsbPrinterEntry> scanUsbPrinters(const UsbDeviceTree &tree)
{
    const QList<UsbPrinterNode> nodes = sortedNodes(tree);
    QList<UsbPrinterEntry> entries;
    for (const UsbPrinterNode &node : nodes) {
        const QString hardwareId = node.ieee1284Id ? usbPrintHardwareId(*node.ieee1284Id) : QString();
        if (hardwareId.isEmpty())
            break;
        entries.append({ node.devicePath, hardwareId, node.name });
    }
    return entries;
}

QList<UsbPrinterEntry> scanUsbPrinters()
{
    return scanUsbPrinters(*systemUsbDeviceTree());
}

std::optional<UsbPrinterEntry> findUsbPrinter(const UsbDeviceTree &tree, const QString &needle)
{
    if (needle.isEmpty())
        return std::nullopt;
    for (const UsbPrinterNode &node : sortedNodes(tree)) {
        const QString hardwareId = node.ieee1284Id ? usbPrintHardwareId(*node.ieee1284Id) : QString();
        if (!hardwareId.isEmpty() && hardwareId.contains(needle))
            return UsbPrinterEntry { node.devicePath, hardwareId, node.name };
    }
    return std::nullopt;
}

} // namespace platform
