#include "protocol/StorageCommands.h"

#include "connection/CDeviceInterface.h"
#include "protocol/CommandChannel.h"
#include "protocol/PrinterParameters.h"
#include "protocol/ReplyGrammar.h"

#include <QBuffer>
#include <QIODevice>

#include <algorithm>
#include <array>
#include <optional>

namespace protocol {

namespace {

using P = PrinterParameters;

struct PlaceRow {
    MemoryPlace place;
    const char *word;
    char commandLetter; // KILL and DOWNLOAD
    char queryLetter; // DIAGNOSTIC REPORT keywords
    quint32 waitMs;
    qint32 P::*total;
    qint32 P::*free;
    QList<FileEntry> P::*files;
};

constexpr PlaceRow placeTable[] = {
    { MemoryPlace::Dram, "DRAM", 'A', 'D', queryWaitMs, &P::dramTotal, &P::dramFree, &P::dramFiles },
    { MemoryPlace::Flash, "FLASH", 'F', 'F', slowQueryWaitMs, &P::flashTotal, &P::flashFree, &P::flashFiles },
    { MemoryPlace::Card, "CARD", 'E', 'C', slowQueryWaitMs, &P::cardTotal, &P::cardFree, &P::cardFiles },
};

const PlaceRow &rowOf(MemoryPlace place)
{
    return *std::find_if(
        std::begin(placeTable), std::end(placeTable), [place](const PlaceRow &row) { return row.place == place; });
}

QString reportCommand(const PlaceRow &row, const char *keyword)
{
    return QLatin1String("DIAGNOSTIC REPORT ") + QLatin1Char(row.queryLetter) + QLatin1String(keyword)
        + QLatin1String("\r\n");
}

bool queryInteger(CDeviceInterface &port, const QString &command, quint32 waitMs, qint32 &field)
{
    QString reply;
    if (!query(port, command, waitMs, reply))
        return false;
    field = parseInteger(reply);
    return true;
}

// Collects a file list over as many reads as it takes: a long list does not
// fit one 1024-byte read. The list is complete at its first empty line or at
// the line limit. When the printer falls silent first, or keeps sending more
// than any list of that many lines holds, the lines received so far count only
// if the last one is whole.
class FileListReader
{
public:
    void append(QByteArrayView bytes)
    {
        // A CR at the end of the previous read may pair with an LF now.
        qsizetype from = std::max(m_lineStart, m_data.size() - 1);
        m_data.append(bytes);
        qsizetype end;
        while (!m_ended && (end = m_data.indexOf("\r\n", from)) >= 0) {
            if (end == m_lineStart) {
                m_ended = true;
            } else {
                m_lineStart = from = end + 2;
                m_ended = ++m_lines >= maxListedFiles;
            }
        }
    }
    bool wantsMore() const { return !m_ended && m_data.size() < maxFileListBytes; }
    bool succeeded() const { return m_ended || (!m_data.isEmpty() && m_lineStart == m_data.size()); }
    QByteArrayView wholeLines() const { return QByteArrayView(m_data).first(m_lineStart); }

private:
    QByteArray m_data;
    qsizetype m_lineStart = 0;
    qint32 m_lines = 0;
    bool m_ended = false;
};

std::optional<QString> readFileList(CDeviceInterface &port, quint32 waitMs)
{
    FileListReader reader;
    std::array<char, replyBufferSize> buffer;
    while (reader.wantsMore()) {
        const qint32 count = port.Read(buffer.data(), replyBufferSize, waitMs);
        if (count <= 0 || count > replyBufferSize)
            break;
        reader.append(QByteArrayView(buffer.data(), count));
    }
    if (!reader.succeeded())
        return std::nullopt;
    return replyText(reader.wholeLines());
}

} // namespace

QString placeWord(MemoryPlace place)
{
    return QLatin1String(rowOf(place).word);
}

std::optional<MemoryPlace> placeOfWord(const QString &word)
{
    const auto row = std::find_if(std::begin(placeTable), std::end(placeTable),
        [&word](const PlaceRow &r) { return word == QLatin1String(r.word); });
    if (row == std::end(placeTable))
        return std::nullopt;
    return row->place;
}

quint32 placeWaitMs(MemoryPlace place)
{
    return rowOf(place).waitMs;
}

void forgetPlace(PrinterParameters &params, MemoryPlace place)
{
    const PlaceRow &row = rowOf(place);
    params.*row.total = 0;
    params.*row.free = 0;
    (params.*row.files).clear();
}

bool queryTotalSize(CDeviceInterface &port, PrinterParameters &params, MemoryPlace place)
{
    const PlaceRow &row = rowOf(place);
    return queryInteger(port, reportCommand(row, "PHYSPACE"), row.waitMs, params.*row.total);
}

bool queryFreeSpace(CDeviceInterface &port, PrinterParameters &params, MemoryPlace place)
{
    const PlaceRow &row = rowOf(place);
    return queryInteger(port, reportCommand(row, "FREESPACE"), row.waitMs, params.*row.free);
}

QList<FileEntry> parseFileList(const QString &reply)
{
    QList<FileEntry> files;
    const QList<QStringView> lines = QStringView(reply).split(u"\r\n");
    for (qsizetype i = 0; i < std::min<qsizetype>(lines.size(), maxListedFiles); ++i) {
        const QStringView line = lines[i];
        if (line.isEmpty())
            break;
        const qsizetype blank = line.indexOf(u' ');
        if (blank <= 0)
            continue;
        files.append(FileEntry { line.first(blank).toString(), parseInteger(line.sliced(blank + 1)) });
    }
    return files;
}

bool queryFileList(CDeviceInterface &port, PrinterParameters &params, MemoryPlace place)
{
    const PlaceRow &row = rowOf(place);
    QList<FileEntry> &files = params.*row.files;
    files.clear();
    if (!sendQuery(port, reportCommand(row, "FILELIST")))
        return false;
    const std::optional<QString> reply = readFileList(port, row.waitMs);
    if (!reply)
        return false;
    files = parseFileList(*reply);
    return true;
}

bool deleteFile(CDeviceInterface &port, MemoryPlace place, const QString &name)
{
    const QString command
        = QStringLiteral("KILL %1,\"").arg(QLatin1Char(rowOf(place).commandLetter)) + name + QLatin1String("\"\r\n");
    QString reply;
    return query(port, command, slowQueryWaitMs, reply);
}

bool deleteAllFiles(CDeviceInterface &port, MemoryPlace place)
{
    return sendCommand(port, QStringLiteral("KILL %1,\"*.*\"\r\n").arg(QLatin1Char(rowOf(place).commandLetter)));
}

QString downloadHeader(const QString &placeWord, const QString &fileName, qint64 size)
{
    QString header = QStringLiteral("DOWNLOAD ");
    if (const std::optional<MemoryPlace> place = placeOfWord(placeWord))
        header += QLatin1Char(rowOf(*place).commandLetter) + QLatin1String(",");
    return header + fileName + QLatin1Char(',') + QString::number(size) + QLatin1Char(',');
}

DownloadOutcome downloadFile(CDeviceInterface &port, const QString &placeWord, const QString &fileName,
    QByteArrayView data, jobs::JobProgress &progress)
{
    const QByteArray bytes = QByteArray::fromRawData(data.data(), data.size());
    QBuffer source;
    source.setData(bytes);
    source.open(QIODevice::ReadOnly);
    return downloadFile(port, placeWord, fileName, source, bytes.size(), progress);
}

DownloadOutcome downloadFile(CDeviceInterface &port, const QString &placeWord, const QString &fileName,
    QIODevice &source, qint64 size, jobs::JobProgress &progress)
{
    DownloadOutcome outcome;
    const auto failed = [&] {
        CDeviceInterface::LogLine(QStringLiteral("Download failed: %1 of %2 bytes of %3 sent.")
                                      .arg(outcome.bytesSent)
                                      .arg(size)
                                      .arg(fileName));
        return outcome;
    };
    if (!sendCommand(port, downloadHeader(placeWord, fileName, size)))
        return failed();
    const qint64 chunks = (size + downloadChunkSize - 1) / downloadChunkSize;
    progress.setMaximum(static_cast<qint32>(chunks));
    QByteArray chunk(downloadChunkSize, Qt::Uninitialized);
    for (qint64 index = 0; index < chunks; ++index) {
        const qint64 length = std::min<qint64>(downloadChunkSize, size - index * downloadChunkSize);
        qint64 filled = 0;
        while (!outcome.sourceShort && filled < length) {
            const qint64 count = source.read(chunk.data() + filled, length - filled);
            if (count <= 0)
                outcome.sourceShort = true;
            else
                filled += count;
        }
        std::fill(chunk.begin() + filled, chunk.begin() + length, '\0');
        if (!sendBytes(port, QByteArrayView(chunk).first(length)))
            return failed();
        outcome.bytesSent += length;
        progress.setPosition(static_cast<qint32>(index + 1));
    }
    if (!sendCommand(port, QStringLiteral("\r\n")))
        return failed();
    outcome.complete = true;
    return outcome;
}

std::optional<QString> readDownloadReply(CDeviceInterface &port, const QString &placeWord)
{
    const std::optional<MemoryPlace> place = placeOfWord(placeWord);
    std::array<char, replyBufferSize> buffer;
    const qint32 count = port.Read(buffer.data(), replyBufferSize, place ? placeWaitMs(*place) : queryWaitMs);
    if (count <= 0 || count > replyBufferSize)
        return std::nullopt;
    return replyText(QByteArrayView(buffer.data(), count)).trimmed();
}

} // namespace protocol
