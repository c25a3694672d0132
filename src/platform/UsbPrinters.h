#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace platform {

// One USB printer as the port dialogs and the port object see it.
struct UsbPrinterEntry {
    QString devicePath; // device node to open, e.g. /dev/usb/lp0
    QString hardwareId; // "USBPRINT\..." built from the printer's IEEE 1284 id
    QString portName; // the device node's name, e.g. lp0
};

// One printer-class USB interface as the system lists it. ieee1284Id is empty
// when the interface could not tell its device id; the scan stops there.
struct UsbPrinterNode {
    QString name; // lp0
    QString devicePath; // /dev/usb/lp0
    std::optional<QByteArray> ieee1284Id;
};

// Where the USB printers come from: the real system (libudev) or a folder laid
// out like sysfs, which tests and the simulated printer create.
class UsbDeviceTree
{
public:
    virtual ~UsbDeviceTree() = default;
    virtual QList<UsbPrinterNode> printerNodes() const = 0;
};

// The live system through libudev: usbmisc devices lp* whose parent interface
// has class 7.
class UdevDeviceTree : public UsbDeviceTree
{
public:
    QList<UsbPrinterNode> printerNodes() const override;
};

// A folder shaped like /sys:
//   <root>/class/usbmisc/lpN/uevent           DEVNAME=usb/lpN (or an absolute path)
//   <root>/class/usbmisc/lpN/device/          the USB interface (directory or link)
//       bInterfaceClass                         "07"
//       ieee1284_id                             "MFG:...;MDL:...;"
// A relative DEVNAME is taken under devRoot.
class SysfsDeviceTree : public UsbDeviceTree
{
public:
    explicit SysfsDeviceTree(QString sysRoot, QString devRoot = QStringLiteral("/dev"));
    QList<UsbPrinterNode> printerNodes() const override;

private:
    QString m_sysRoot;
    QString m_devRoot;
};

// The tree of this machine, or the folder named by OSTREL_SYSFS_ROOT when that
// variable is set (used by the simulated printer's USB emulation).
std::unique_ptr<UsbDeviceTree> systemUsbDeviceTree();

// Lists the printers in the order lp0, lp1, ..., lp10. An interface whose
// device id cannot be read ends the scan: printers listed before it are kept,
// later ones are not examined.
QList<UsbPrinterEntry> scanUsbPrinters(const UsbDeviceTree &tree);
QList<UsbPrinterEntry> scanUsbPrinters();

// The first printer in the scan's order whose hardware id contains needle
// (case-sensitive); nothing for an empty needle. Unlike the scan it skips an
// interface whose device id cannot be read, so that one cannot hide a
// printer listed after it (the boot device during an upgrade).
std::optional<UsbPrinterEntry> findUsbPrinter(const UsbDeviceTree &tree, const QString &needle);

} // namespace platform
