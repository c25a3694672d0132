// The settings file as the program reads it at start and per page, then one
// write back (the file is rewritten whole on a write).
#include "app/SettingsStore.h"
#include "app/StartupChoices.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

const QString &settingsPath()
{
    // Never destroyed: the exit handler that removes the file runs after static destructors.
    static const QString *const path = [] {
        const QString dir = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        const QString p = QStringLiteral("%1/ostrel-fuzz-settings-%2.conf").arg(dir).arg(getpid());
        std::atexit([] { QFile::remove(settingsPath()); });
        return new QString(p);
    }();
    return *path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QFile file(settingsPath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    SettingsStore store(settingsPath());
    (void)startup::chooseLanguage(store, QLocale(QLocale::German));
    (void)startup::readPortKind(store);
    const QString keys[][2] = {
        { QStringLiteral("Communication"), QStringLiteral("SendText") },
        { QStringLiteral("Communication"), QStringLiteral("SendTextType") },
        { QStringLiteral("Communication"), QStringLiteral("RecvTextType") },
        { QStringLiteral("BitFont"), QStringLiteral("MemoryPlace") },
        { QStringLiteral("BitFont"), QStringLiteral("NullCount") },
        { QStringLiteral("ImportFont"), QStringLiteral("Width") },
        { QStringLiteral("ImportFont"), QStringLiteral("FilePath") },
    };
    for (const auto &key : keys) {
        (void)store.readInt(key[0], key[1], 1);
        (void)store.readText(key[0], key[1], QString());
    }
    (void)startup::writePortKind(store, startup::readPortKind(store));
    return 0;
}
