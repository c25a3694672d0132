#include "bitfont/core/FontActions.h"

#include "bitfont/core/CFreeTypeFont.h"
#include "connection/TrafficLog.h"
#include "platform/AtomicSave.h"
#include "protocol/StorageCommands.h"

bool exportBcf(const CFreeTypeFont &font, int nullCount, BcfSummary &summary)
{
    QByteArray bytes;
    if (!buildBcfBytes(font, nullCount, bytes, summary)) {
        return false;
    }
    if (const QString reason = platform::saveAtomically(font.bcfPath, bytes); !reason.isEmpty()) {
        LogLine(QStringLiteral("BCF not written: %1 (%2)").arg(font.bcfPath, reason));
        return false;
    }
    return true;
}

bool isDownloadableFontName(const QString &name)
{
    for (const QChar character : name) {
        if (character == QLatin1Char(',') || character == QLatin1Char('\r') || character == QLatin1Char('\n'))
            return false;
    }
    return true;
}

DownloadResult downloadFont(
    CDeviceInterface &port, const CFreeTypeFont &font, int nullCount, jobs::JobProgress &progress)
{
    QByteArray bytes;
    BcfSummary summary;
    if (!buildBcfBytes(font, nullCount, bytes, summary)) {
        return DownloadResult::NotBuilt;
    }
    if (summary.rangeCount < 1 || summary.totalChar < 1 || summary.validChar < 1) {
        LogLine(QStringLiteral("font error, count is 0."));
        return DownloadResult::NoGlyphs;
    }
    if (font.fontName.isEmpty()) {
        LogLine(QStringLiteral("font name is null."));
        return DownloadResult::NoName;
    }
    if (!isDownloadableFontName(font.fontName)) {
        LogLine(QStringLiteral("font name has a comma or a line break: %1").arg(font.fontName.simplified()));
        return DownloadResult::BadName;
    }
    const protocol::DownloadOutcome sent
        = protocol::downloadFile(port, font.memoryPlace, font.fontName, bytes, progress);
    return sent.complete ? DownloadResult::Sent : DownloadResult::WriteFailed;
}
