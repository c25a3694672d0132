#include "file_manager/jobs/FileManagerJobs.h"

#include "connection/CDeviceInterface.h"
#include "protocol/PrinterParameters.h"

#include <QFile>

#include <algorithm>

namespace file_manager {

void readMemory(
    CDeviceInterface &port, PrinterParameters &params, protocol::MemoryPlace place, jobs::JobProgress &progress)
{
    progress.setMaximum(3);
    protocol::queryTotalSize(port, params, place);
    progress.setPosition(1);
    protocol::queryFreeSpace(port, params, place);
    progress.setPosition(2);
    protocol::queryFileList(port, params, place);
    progress.setPosition(3);
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
    if (const std::optional<QString> reply = protocol::readDownloadReply(port, request.placeWord)) {
        outcome.reply = *reply;
        if (reply->startsWith(QLatin1String("ERROR"))) {
            outcome.status = DownloadStatus::Refused;
            CDeviceInterface::LogLine(QStringLiteral("Download refused by the printer: %1").arg(*reply));
        }
    }
    return outcome;
}

} // namespace file_manager
