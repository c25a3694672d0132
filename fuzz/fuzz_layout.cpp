// A layout as the loader gets it: refused by the check, or built by the .ui
// loader (offscreen) and dropped.
#include "ui/LayoutLoader.h"

#include <QApplication>
#include <QBuffer>
#include <QUiLoader>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The loader's warnings about odd input would take most of the time.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_layout";
    static char *argv[] = { name, nullptr };
    static QApplication *app = new QApplication(argc, argv);
    (void)app;
    QByteArray xml(reinterpret_cast<const char *>(data), qsizetype(size));
    if (!ui::layoutTextIsLoadable(xml))
        return 0;
    QBuffer buffer(&xml);
    buffer.open(QIODevice::ReadOnly);
    QUiLoader loader;
    delete loader.load(&buffer);
    return 0;
}
