// Restarts the simulated printer on its address again and again and times how
// soon the same port object answers status queries again, in two cases:
//  - noticed: an exchange while the printer was away found the loss, so the
//    client was already retrying when the printer came back;
//  - unnoticed: the printer came back between two exchanges; the first one
//    after its return finds the old connection closed.
//
//   reconnect [restarts]      (default 5)
#include "connection/CDeviceInterface.h"
#include "protocol/CommandChannel.h"
#include "protocol/PrinterParameters.h"
#include "support/SimPrinterProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int pollMs = 10;
constexpr qint64 giveUpMs = 15000;

// Status queries every pollMs until one is answered; the time it took, or -1.
qint64 untilAnswered(CDeviceInterface &port)
{
    QElapsedTimer timer;
    timer.start();
    PrinterParameters params;
    while (timer.elapsed() < giveUpMs) {
        if (protocol::queryStatus(port, params))
            return timer.elapsed();
        QThread::msleep(pollMs);
    }
    return -1;
}

void print(const char *name, std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    std::printf("%-10s median %5lld ms, min %5lld ms, max %5lld ms over %zu restarts\n", name,
        static_cast<long long>(values[values.size() / 2]), static_cast<long long>(values.front()),
        static_cast<long long>(values.back()), values.size());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int restarts = std::max(1, argc > 1 ? QByteArray(argv[1]).toInt() : 5);
    const QString executable = QStringLiteral(SIM_EXECUTABLE);

    SimPrinterProcess sim;
    CDeviceInterface port;
    if (!sim.start(executable) || !sim.connectPort(port)) {
        std::fprintf(stderr, "reconnect: no simulated printer: %s\n", qPrintable(sim.errorText()));
        return 1;
    }
    std::vector<qint64> noticed;
    std::vector<qint64> unnoticed;
    PrinterParameters params;
    for (int i = 0; i < restarts; ++i) {
        for (const bool notice : { true, false }) {
            sim.stop();
            if (notice)
                protocol::queryStatus(port, params);
            if (!sim.restart(executable)) {
                std::fprintf(stderr, "reconnect: the printer did not restart: %s\n", qPrintable(sim.errorText()));
                return 1;
            }
            const qint64 ms = untilAnswered(port);
            if (ms < 0) {
                std::fprintf(stderr, "reconnect: not reached again within %lld ms\n", static_cast<long long>(giveUpMs));
                return 1;
            }
            (notice ? noticed : unnoticed).push_back(ms);
        }
    }
    std::printf("From the restarted printer's ready line to the first answered status query:\n");
    print("noticed", noticed);
    print("unnoticed", unnoticed);
    return 0;
}
