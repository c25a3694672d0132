// Runs many reading passes, then many downloads, through one port object
// against the simulated printer over loopback TCP, and prints the resident
// memory after a warm-up and at the end of each run.
//
//   soak [passes] [downloads] [bytes per download]   (default 1000 1000 65536)
#include "connection/CDeviceInterface.h"
#include "jobs/JobContext.h"
#include "protocol/ParameterPasses.h"
#include "protocol/PrinterParameters.h"
#include "protocol/StorageCommands.h"
#include "support/SimPrinterProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

long long residentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atoll(line.c_str() + 6) * 1024;
    }
    return -1;
}

// Runs step count times; the first tenth warms up. Prints the resident
// growth from the end of the warm-up to the end; false on a failed step.
template <typename Step> bool soak(const char *what, int count, Step step)
{
    const int warmUp = std::max(1, count / 10);
    long long afterWarmUp = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        if (!step()) {
            std::fprintf(stderr, "soak: %s %d failed\n", what, i + 1);
            return false;
        }
        if (i + 1 == warmUp) {
            malloc_trim(0);
            afterWarmUp = residentBytes();
        }
    }
    malloc_trim(0);
    const long long atEnd = residentBytes();
    std::printf("  %d %s in %.1f s: resident %.2f MB after %d, %.2f MB at the end, growth %+.0f kB\n", count, what,
        double(timer.elapsed()) / 1000, double(afterWarmUp) / 1e6, warmUp, double(atEnd) / 1e6,
        double(atEnd - afterWarmUp) / 1e3);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int passes = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int downloads = argc > 2 ? std::atoi(argv[2]) : 1000;
    const qint64 size = argc > 3 ? std::atoll(argv[3]) : 65536;

    SimPrinterProcess sim;
    if (!sim.start(QStringLiteral(SIM_EXECUTABLE))) {
        std::fprintf(stderr, "soak: the simulated printer did not start: %s\n", qPrintable(sim.errorText()));
        return 1;
    }
    CDeviceInterface port;
    if (!sim.connectPort(port)) {
        std::fprintf(stderr, "soak: no connection to %s:9100\n", qPrintable(sim.address()));
        return 1;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SOAK.BIN"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(size, 'x')) != size)
            return 1;
    }
    std::printf("soak against the simulated printer at %s:9100\n", qPrintable(sim.address()));
    const bool passed = soak("reading passes", passes, [&port] {
        PrinterParameters params;
        jobs::JobContext progress;
        return protocol::readAllParameters(port, params, progress).end == protocol::ReadPassOutcome::End::Complete;
    });
    // The download as the file manager sends it, file read block by block,
    // without the job's one read for a refusal: that read waits its full
    // bound on every success. The same name each time: the printer replaces
    // the file, so its memory never fills.
    const bool downloaded = soak("downloads", downloads, [&port, &path, size] {
        QFile source(path);
        jobs::JobContext progress;
        return source.open(QIODevice::ReadOnly)
            && protocol::downloadFile(port, QStringLiteral("DRAM"), QStringLiteral("SOAK.BIN"), source, size, progress)
                   .complete;
    });
    // The printer has taken every byte when it answers again.
    PrinterParameters params;
    if (downloaded && !protocol::queryTotalSize(port, params, protocol::MemoryPlace::Dram))
        std::fprintf(stderr, "soak: no answer after the downloads\n");
    return passed && downloaded ? 0 : 1;
}
