#pragma once

#include "jobs/JobProgress.h"
#include "protocol/StorageCommands.h"

#include <QString>

class CDeviceInterface;
struct PrinterParameters;

// The file manager's exchanges that run behind the progress dialog: reading
// one memory place and downloading a file into one. No widgets here.
namespace file_manager {

enum class MemoryReadEnd {
    Complete, // all three queries answered
    NoAnswer, // a query went unanswered (or its answer was not understood)
    ConnectionLost, // a query failed and the port was no longer open
};

// Size, free space and file list of one place into params, after dropping any
// reply an earlier exchange left unread. The position counts the three queries.
// The first failed query ends the reading with one traffic-log line saying why;
// what it did not read stays unknown (zero, empty), not the earlier reading's.
MemoryReadEnd readMemory(
    CDeviceInterface &port, PrinterParameters &params, protocol::MemoryPlace place, jobs::JobProgress &progress);

// The printer takes a name up to the header's next comma and reads a quote as
// the start of a quoted name; control characters end the header line.
bool isDownloadName(const QString &name);

struct DownloadRequest {
    QString path;
    QString placeWord; // "DRAM", "FLASH" or "CARD"
    QString name; // the name in the printer
};

enum class DownloadStatus {
    Sent, // every byte went out and the printer raised no objection
    NotSent, // a bad name or an unreadable or empty file: nothing was written
    ReadFailed, // the file gave less than its size while it was sent
    WriteFailed, // the connection failed part-way, or closed before any answer; bytesSent went out
    Refused, // the printer answered with an error line
};

struct DownloadOutcome {
    DownloadStatus status = DownloadStatus::NotSent;
    QString reply; // the printer's line after the data, if any
    qint64 bytesSent = 0; // data bytes written
};

// Checks the name and the file, sends the file block by block and reads the
// printer's one possible answer. Every failure is one traffic-log line.
DownloadOutcome downloadFile(CDeviceInterface &port, const DownloadRequest &request, jobs::JobProgress &progress);

} // namespace file_manager
