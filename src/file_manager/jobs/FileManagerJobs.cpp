#include "file_manager/jobs/FileManagerJobs.h"

#include "connection/CDeviceInterface.h"
#include "protocol/PrinterParameters.h"

#include <QFile>

#include <algorithm>
#include <array>

namespace file_manager {

MemoryReadEnd readMemory(
    CDeviceInterface &port, PrinterParameters &params, protocol::MemoryPlace place, jobs::JobProgress &progress)
{
    using Query = bool (*)(CDeviceInterface &, PrinterParameters &, protocol::MemoryPlace);
    static constexpr std::array<Query, 3> queries { &protocol::queryTotalSize, &protocol::queryFreeSpace,
        &protocol::queryFileList };
    progress.setMaximum(qint32(queries.size()));
    // A reading that stops early must not leave an earlier reading's list shown as this one's.
    protocol::forgetPlace(params, place);
    for (qsizetype i = 0; i < qsizetype(queries.size()); ++i) {
        // A silent printer would otherwise cost every query's wait in turn.
        if (!queries[i](port, params, place)) {
            const bool lost = !port.IsOpen();
            CDeviceInterface::LogLine(lost
                    ? QStringLiteral("Reading memory stopped: the connection is gone.")
                    : QStringLiteral("Reading memory stopped: the printer does not answer or its answer is not "
                                     "understood."));
            return lost ? MemoryReadEnd::ConnectionLost : MemoryReadEnd::NoAnswer;
        }
        progress.setPosition(qint32(i + 1));
    }
    return MemoryReadEnd::Complete;
}

bool isDownloadName(const QString &name)
{
    return !name.isEmpty() && std::none_of(name.cbegin(), name.cend(), [](QChar c) {
        return c == u',' || c == u'"' || c.category() == QChar::Other_Control;
    });
}

DownloadOutcome downloadFile(CDeviceInterface &port, const DownloadRequest &request, jobs::JobProgress &progress)
{
    if (!isDownloadName(request.name)) {
        CDeviceInterface::LogLine(
            QStringLiteral("Download refused: the file name \"%1\" is empty or holds a comma, a double quote or a "
                           "control character.")
                .arg(request.name));
        return {};
    }
    QFile file(request.path);
    if (request.path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        CDeviceInterface::LogLine(QStringLiteral("Load file failed."));
        return {};
    }
    const qint64 size = file.size();
    if (size <= 0) {
        CDeviceInterface::LogLine(QStringLiteral("Load file failed. Size is 0."));
        return {};
    }
    DownloadOutcome outcome;
    const protocol::DownloadOutcome sent
        = protocol::downloadFile(port, request.placeWord, request.name, file, size, progress);
    outcome.bytesSent = sent.bytesSent;
    if (!sent.complete) {
        outcome.status = DownloadStatus::WriteFailed;
        return outcome;
    }
    outcome.status = sent.sourceShort ? DownloadStatus::ReadFailed : DownloadStatus::Sent;
    if (sent.sourceShort)
        CDeviceInterface::LogLine(QStringLiteral("Load file failed while sending; the rest was sent as zero bytes."));
    const std::optional<QString> reply = protocol::readDownloadReply(port, request.placeWord);
    if (!reply && !port.IsOpen()) {
        // Every byte went into the connection, but a printer that hangs up
        // before the file is stored may have dropped any part of it.
        outcome.status = DownloadStatus::WriteFailed;
        CDeviceInterface::LogLine(
            QStringLiteral("Download failed: the connection closed before the printer took %1.").arg(request.name));
        return outcome;
    }
    if (reply) {
        outcome.reply = *reply;
        if (reply->startsWith(QLatin1String("ERROR"))) {
            outcome.status = DownloadStatus::Refused;
            CDeviceInterface::LogLine(QStringLiteral("Download refused by the printer: %1").arg(*reply));
        }
    }
    return outcome;
}

} // namespace file_manager
