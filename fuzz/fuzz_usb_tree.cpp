// A sysfs-shaped USB tree laid out from the input, read and scanned. Records
// are separated by NUL bytes, four per node: the name after "lp" (letters and
// digits kept), bInterfaceClass, uevent and ieee1284_id.
#include "platform/UsbPrinters.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QString treeRoot()
{
    // Never destroyed: the exit handler that removes the tree runs after static destructors.
    static const QString *const root = [] {
        const QString dir = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        std::atexit([] { QDir(treeRoot()).removeRecursively(); });
        return new QString(QStringLiteral("%1/ostrel-fuzz-usb-%2").arg(dir).arg(getpid()));
    }();
    return *root;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString root = treeRoot();
    QDir(root).removeRecursively();
    const QList<QByteArray> records = input.split('\0');
    for (qsizetype i = 0; i + 3 < records.size() && i < 4 * 8; i += 4) {
        QByteArray suffix;
        for (const char c : records[i].left(8)) {
            if (QChar::isLetterOrNumber(uchar(c)) && uchar(c) < 0x80)
                suffix += c;
        }
        const QString node = root + QStringLiteral("/class/usbmisc/lp") + QString::fromLatin1(suffix);
        QDir().mkpath(node + QStringLiteral("/device"));
        writeFile(node + QStringLiteral("/device/bInterfaceClass"), records[i + 1]);
        writeFile(node + QStringLiteral("/uevent"), records[i + 2]);
        writeFile(node + QStringLiteral("/device/ieee1284_id"), records[i + 3]);
    }
    const platform::SysfsDeviceTree tree(root, root + QStringLiteral("/dev"));
    (void)platform::scanUsbPrinters(tree).size();
    return 0;
}
