#include "ostrel/Version.h"
#include "printer-sim/CommandLine.h"
#include "printer-sim/SimServer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

int signalPipe[2] = { -1, -1 };

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    printersim::CommandLine command = printersim::parseCommandLine(app.arguments());
    if (command.showHelp) {
        std::fputs(qPrintable(printersim::helpText()), stdout);
        return 0;
    }
    if (command.showVersion) {
        std::printf("ostrel-printer-sim %s\n", OSTREL_VERSION);
        return 0;
    }
    if (!command.error.isEmpty()) {
        std::fprintf(stderr, "ostrel-printer-sim: %s (see --help)\n", qPrintable(command.error));
        return 2;
    }
    command.config.clockStart = QDateTime::currentDateTime();

    // Ending by a signal still removes the USB entry.
    if (::pipe(signalPipe) == 0) {
        std::signal(SIGTERM, onSignal);
        std::signal(SIGINT, onSignal);
        auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    }

    printersim::SimServer server(command.config, command.server);
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "ostrel-printer-sim: %s\n", qPrintable(error));
        return 1;
    }
    std::fprintf(stdout, "ostrel-printer-sim ready: %s\n", qPrintable(server.describe()));
    std::fflush(stdout);
    return app.exec();
}
