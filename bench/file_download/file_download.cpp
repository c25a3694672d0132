// Times downloads of a 4 MiB file to the simulated printer over loopback TCP
// and compares them with a bare socket write of the same bytes. Both end with
// the same free-space query, whose answer comes once the printer has taken
// every byte.
//
//   file_download [runs]      (default 10)
#include "connection/CDeviceInterface.h"
#include "connection/transports/TcpTransport.h"
#include "file_manager/jobs/FileManagerJobs.h"
#include "jobs/JobContext.h"
#include "protocol/CommandChannel.h"
#include "protocol/PrinterParameters.h"
#include "protocol/StorageCommands.h"
#include "support/SimPrinterProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr qint64 fileSize = 4 * 1024 * 1024;
const QString place = QStringLiteral("CARD");
const QString name = QStringLiteral("BENCH.BIN");
const QByteArray freeQuery = "DIAGNOSTIC REPORT CFREESPACE\r\n";

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double elapsedMs(const QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The same bytes on a plain blocking socket: header, data, CR LF, the query,
// then its reply line. The milliseconds from the first byte to the reply, or
// a negative value on failure.
double bareDownload(const QString &address, const QByteArray &data)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_port = htons(TcpTransport::printerPort);
    ::inet_pton(AF_INET, qPrintable(address), &to.sin_addr);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    timeval wait { 2, 0 };
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    const QByteArray bytes
        = protocol::commandBytes(protocol::downloadHeader(place, name, data.size())) + data + "\r\n" + freeQuery;
    QElapsedTimer timer;
    timer.start();
    bool ok = true;
    for (qsizetype sent = 0; ok && sent < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), 0);
        ok = n > 0;
        sent += std::max<ssize_t>(n, 0);
    }
    QByteArray reply;
    char buffer[256];
    while (ok && !reply.endsWith("\r\n")) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        ok = n > 0;
        reply.append(buffer, std::max<ssize_t>(n, 0));
    }
    const double ms = elapsedMs(timer);
    ::close(fd);
    return ok ? ms : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = std::max(1, argc > 1 ? QByteArray(argv[1]).toInt() : 10);

    SimPrinterProcess sim;
    if (!sim.start(QStringLiteral(SIM_EXECUTABLE), { QStringLiteral("--card-kb"), QStringLiteral("65536") })) {
        std::fprintf(stderr, "file_download: the simulated printer did not start: %s\n", qPrintable(sim.errorText()));
        return 1;
    }
    CDeviceInterface port;
    if (!sim.connectPort(port)) {
        std::fprintf(stderr, "file_download: no connection to %s:9100\n", qPrintable(sim.address()));
        return 1;
    }
    QTemporaryDir dir;
    QByteArray data(fileSize, Qt::Uninitialized);
    for (qint64 i = 0; i < fileSize; ++i)
        data[i] = char(i * 31 + i / 4096);
    const QString path = dir.filePath(QStringLiteral("bench.bin"));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(data) != fileSize) {
        std::fprintf(stderr, "file_download: cannot write %s\n", qPrintable(path));
        return 1;
    }
    out.close();

    std::vector<double> programMs, bareMs;
    for (int run = 0; run < runs; ++run) {
        protocol::deleteAllFiles(port, protocol::MemoryPlace::Card);
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        jobs::JobContext progress;
        QElapsedTimer timer;
        timer.start();
        protocol::downloadFile(port, place, name, file, fileSize, progress);
        QString reply;
        const bool answered = protocol::query(port, QString::fromLatin1(freeQuery), protocol::queryWaitMs, reply);
        programMs.push_back(elapsedMs(timer));
        if (!answered) {
            std::fprintf(stderr, "file_download: no answer after the program's download\n");
            return 1;
        }

        protocol::deleteAllFiles(port, protocol::MemoryPlace::Card);
        PrinterParameters params;
        protocol::queryFreeSpace(port, params, protocol::MemoryPlace::Card); // the delete is done
        const double ms = bareDownload(sim.address(), data);
        if (ms < 0) {
            std::fprintf(stderr, "file_download: the bare socket download failed\n");
            return 1;
        }
        bareMs.push_back(ms);
    }

    // The whole job once: its name and file checks, and the one read that
    // waits for a refusal, which a silent printer lets run to its bound.
    protocol::deleteAllFiles(port, protocol::MemoryPlace::Card);
    jobs::JobContext progress;
    QElapsedTimer timer;
    timer.start();
    const file_manager::DownloadOutcome outcome = file_manager::downloadFile(port, { path, place, name }, progress);
    const double jobMs = elapsedMs(timer);

    const double program = median(programMs);
    const double bare = median(bareMs);
    const double mib = double(fileSize) / (1024.0 * 1024.0);
    std::printf("4 MiB download to the simulated printer at %s:9100 over loopback TCP, %d runs (median)\n",
        qPrintable(sim.address()), runs);
    std::printf("  program (file read block by block, 8192-byte writes through the port object): %.1f ms, %.0f MiB/s\n",
        program, mib / (program / 1000.0));
    std::printf("  bare socket write of the same bytes:                                       %.1f ms, %.0f MiB/s\n",
        bare, mib / (bare / 1000.0));
    std::printf("  overhead of the program: %+.1f %% (target: under 20 %%)\n", (program / bare - 1.0) * 100.0);
    std::printf("  the whole job once, with its read for a refusal: %.1f ms (%s); the read waits up to %u ms on a "
                "network port when the printer stays silent\n",
        jobMs, outcome.status == file_manager::DownloadStatus::Sent ? "stored" : "not stored",
        unsigned(TcpTransport::readWaitMs));
    return 0;
}
