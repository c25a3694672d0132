// Times full reading passes against the simulated printer over loopback TCP
// and compares them with bare query round trips on the same connection.
//
//   read_pass [passes]      (default 20)
#include "connection/CDeviceInterface.h"
#include "jobs/JobContext.h"
#include "protocol/CommandChannel.h"
#include "protocol/ParameterPasses.h"
#include "protocol/PrinterParameters.h"
#include "support/SimPrinterProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The port object, counting the exchanges that a pass makes.
class CountingPort : public CDeviceInterface
{
public:
    qint32 Write(const void *data, qint32 length) override
    {
        ++writes;
        return CDeviceInterface::Write(data, length);
    }
    qint32 Read(void *buffer, qint32 capacity, quint32 waitMs) override
    {
        const qint32 count = CDeviceInterface::Read(buffer, capacity, waitMs);
        ++(count > 0 ? answered : unanswered);
        return count;
    }
    int writes = 0;
    int answered = 0;
    int unanswered = 0;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double elapsedMs(const QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int passes = std::max(1, argc > 1 ? QByteArray(argv[1]).toInt() : 20);

    SimPrinterProcess sim;
    if (!sim.start(QStringLiteral(SIM_EXECUTABLE))) {
        std::fprintf(stderr, "read_pass: the simulated printer did not start: %s\n", qPrintable(sim.errorText()));
        return 1;
    }
    CountingPort port;
    if (!sim.connectPort(port)) {
        std::fprintf(stderr, "read_pass: no connection to %s:9100\n", qPrintable(sim.address()));
        return 1;
    }

    std::vector<double> passMs;
    int writes = 0, answered = 0, unanswered = 0;
    for (int i = 0; i < passes; ++i) {
        PrinterParameters params;
        jobs::JobContext progress;
        port.writes = port.answered = port.unanswered = 0;
        QElapsedTimer timer;
        timer.start();
        protocol::readAllParameters(port, params, progress);
        passMs.push_back(elapsedMs(timer));
        writes = port.writes;
        answered = port.answered;
        unanswered = port.unanswered;
    }

    std::vector<double> roundTripMs;
    for (int i = 0; i < 200; ++i) {
        QString reply;
        QElapsedTimer timer;
        timer.start();
        protocol::query(port, QStringLiteral("DIAGNOSTIC REPORT DPI\r\n"), protocol::queryWaitMs, reply);
        roundTripMs.push_back(elapsedMs(timer));
    }

    const double pass = median(passMs);
    const double roundTrip = median(roundTripMs);
    std::printf("reading pass over loopback TCP (simulated printer at %s:9100), %d passes\n", qPrintable(sim.address()),
        passes);
    std::printf("  exchanges per pass: %d writes, %d reads answered, %d unanswered\n", writes, answered, unanswered);
    std::printf("  one pass: median %.1f ms, min %.1f ms, max %.1f ms\n", pass,
        *std::min_element(passMs.begin(), passMs.end()), *std::max_element(passMs.begin(), passMs.end()));
    std::printf("  per answered read: %.2f ms (the wait allowed per query is %u ms)\n", pass / std::max(1, answered),
        protocol::queryWaitMs);
    std::printf("  bare query round trip: median %.3f ms; a pass costs %.1f round trips for %d reads\n", roundTrip,
        pass / roundTrip, answered + unanswered);
    return 0;
}
