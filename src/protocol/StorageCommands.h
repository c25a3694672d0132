#pragma once

#include "jobs/JobProgress.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

class CDeviceInterface;
class QIODevice;
struct FileEntry;
struct PrinterParameters;

// Sizes, file lists, deletion and the download framing of the printer's three
// memory places.
namespace protocol {

enum class MemoryPlace : qint32 { Dram = 0, Flash = 1, Card = 2 }; // the stored settings values

inline constexpr qint32 maxListedFiles = 65535;
// A bound on what one list query reads, 128 bytes for each of the lines above.
inline constexpr qsizetype maxFileListBytes = qsizetype(maxListedFiles) * 128;
inline constexpr qint32 downloadChunkSize = 8192;

// "DRAM", "FLASH" or "CARD".
QString placeWord(MemoryPlace place);
std::optional<MemoryPlace> placeOfWord(const QString &word);
quint32 placeWaitMs(MemoryPlace place);

// Total, free space and list of the place become unknown (zero, empty).
void forgetPlace(PrinterParameters &params, MemoryPlace place);
bool queryTotalSize(CDeviceInterface &port, PrinterParameters &params, MemoryPlace place);
bool queryFreeSpace(CDeviceInterface &port, PrinterParameters &params, MemoryPlace place);
// Empties the place's list, then fills it; a failure leaves it empty.
bool queryFileList(CDeviceInterface &port, PrinterParameters &params, MemoryPlace place);

// Lines of name, blank, size up to the first empty line; a line without a
// blank or with an empty name gives no entry.
QList<FileEntry> parseFileList(const QString &reply);

// True when the printer answered with any line within 2000 ms.
bool deleteFile(CDeviceInterface &port, MemoryPlace place, const QString &name);
bool deleteAllFiles(CDeviceInterface &port, MemoryPlace place);

// "DOWNLOAD A,NAME,10," for "DRAM" (F for "FLASH", E for "CARD"; any other
// word gives no letter).
QString downloadHeader(const QString &placeWord, const QString &fileName, qint64 size);
// What a download got through: complete when every write went out.
struct DownloadOutcome {
    bool complete = false;
    bool sourceShort = false; // the source gave less than the size announced
    qint64 bytesSent = 0; // data bytes written before a failure, the header not counted
};

// Header, data in 8192-byte chunks (the maximum is their number, the position
// the chunks written), CR LF. A failed write ends the download there, with a
// "Download failed" line in the traffic log.
DownloadOutcome downloadFile(CDeviceInterface &port, const QString &placeWord, const QString &fileName,
    QByteArrayView data, jobs::JobProgress &progress);
// The same with size bytes read from source one chunk at a time. When the
// source gives less than a chunk, the rest of the promised size goes out as
// zero bytes (sourceShort), so that the printer does not take later commands
// for file data.
DownloadOutcome downloadFile(CDeviceInterface &port, const QString &placeWord, const QString &fileName,
    QIODevice &source, qint64 size, jobs::JobProgress &progress);
// The one line a printer may send after a download's closing CR LF (a
// refusal such as "ERROR: FLASH FULL"), read once with the place's wait;
// nothing when it stays silent, as it does on success.
std::optional<QString> readDownloadReply(CDeviceInterface &port, const QString &placeWord);

} // namespace protocol
