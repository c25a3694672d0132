// Times firmware upgrades of a 1 MiB image through the simulated printer's
// USB emulation, with the printer's pauses as prescribed (500 ms after query
// and erase, 60 ms after each block, 200 ms after verify), and reports what
// the upgrade spends beyond those pauses. The printer starts in boot mode and
// no device id is saved, so neither the boot command's waits nor the wait for
// the printer's return (both the printer's time, not the upgrade's) count.
//
//   upgrade [runs]      (default 3)
#include "app/LanguageManager.h"
#include "connection/CDeviceInterface.h"
#include "jobs/JobContext.h"
#include "platform/UsbPrinters.h"
#include "printer-sim/SimServer.h"
#include "protocol/CommandChannel.h"
#include "upgrade/job/BootProtocol.h"
#include "upgrade/job/UpgradeJob.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

namespace {

constexpr qint64 imageSize = 1024 * 1024;

bool waitFor(const std::function<bool()> &condition, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QTemporaryDir dir;
    QByteArray image(imageSize, '\0');
    for (qsizetype i = 0; i < image.size(); ++i)
        image[i] = char((i * 131 + 7) & 0xFF);
    const QString path = dir.filePath(QStringLiteral("firmware.bin"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size())
        return 1;
    file.close();

    const upgrade::UpgradeWaits prescribed;
    const qint64 blocks = upgrade::blockCount(imageSize);
    const qint64 pausesMs = prescribed.queryPauseMs + prescribed.erasePauseMs + blocks * prescribed.blockPauseMs
        + prescribed.verifyPauseMs;

    std::vector<double> totals;
    std::vector<double> overheads;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir sysfs;
        printersim::SimConfig config;
        config.timings.bootEnterMs = 50;
        printersim::ServerOptions options;
        options.tcpPort = 0;
        options.udp = false;
        options.usbSysfsRoot = sysfs.path();
        printersim::SimServer server(config, options);
        QString error;
        if (!server.start(&error)) {
            std::fprintf(stderr, "upgrade: %s\n", qPrintable(error));
            return 1;
        }
        qputenv("OSTREL_SYSFS_ROOT", QFile::encodeName(sysfs.path()));
        CDeviceInterface mainPort;
        PortSettings saved;
        saved.kind = PortKind::Usb;
        saved.usbDeviceId = platform::scanUsbPrinters().value(0).hardwareId;
        if (!mainPort.Open(saved) || !protocol::sendCommand(mainPort, QStringLiteral("INIAP OXALBOOT\r\n")))
            return 1;
        const auto inBoot = [] {
            return platform::findUsbPrinter(
                *platform::systemUsbDeviceTree(), QString::fromLatin1(upgrade::bootDeviceNeedle))
                .has_value();
        };
        if (!waitFor(inBoot, 5000))
            return 1;
        saved.usbDeviceId.clear();
        const upgrade::UpgradeEnvironment environment = upgrade::systemEnvironment(mainPort, saved);
        jobs::JobContext context;
        upgrade::UpgradeOutcome outcome;
        std::atomic<bool> done = false;
        QElapsedTimer timer;
        timer.start();
        std::unique_ptr<QThread> thread(QThread::create([&] {
            outcome = upgrade::runUpgrade(path, environment, context);
            done = true;
        }));
        thread->start();
        waitFor([&] { return done.load(); }, 120000);
        const double totalMs = double(timer.nsecsElapsed()) / 1e6;
        thread->wait();
        if (outcome.result != upgrade::UpgradeResult::UpgradedNotBack
            || server.printer().bootLoader().writtenImage() != image) {
            std::fprintf(stderr, "upgrade: run %d failed: %s\n", run, qPrintable(outcome.statusText));
            return 1;
        }
        totals.push_back(totalMs);
        overheads.push_back(totalMs - double(pausesMs));
        qunsetenv("OSTREL_SYSFS_ROOT");
    }
    std::sort(totals.begin(), totals.end());
    std::sort(overheads.begin(), overheads.end());
    const double total = totals[totals.size() / 2];
    const double overhead = overheads[overheads.size() / 2];
    std::printf("1 MiB image, %lld blocks, %d runs\n", static_cast<long long>(blocks), runs);
    std::printf("prescribed pauses: %lld ms\n", static_cast<long long>(pausesMs));
    std::printf("whole upgrade (median): %.1f ms (%.1f to %.1f)\n", total, totals.front(), totals.back());
    std::printf("beyond the pauses (median): %.1f ms = %.2f %% of the whole (target: under 5 %%)\n", overhead,
        100.0 * overhead / total);
    return 100.0 * overhead / total < 5.0 ? 0 : 2;
}
