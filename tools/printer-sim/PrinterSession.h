#pragma once

#include "printer-sim/FileStore.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace printersim {

class SimulatedPrinter;
struct FaultSwitches;

// A reply as the fault switches let it out: nothing with no-answer, scrambled
// with garbage. The delay is the sender's business.
std::optional<QByteArray> applyReplyFaults(const std::optional<QByteArray> &reply, const FaultSwitches &faults);

// One connection to the printer (a TCP client or the USB port): cuts its byte
// stream into commands (text lines, ESC sequences, DOWNLOAD payloads, boot
// frames), hands them to the printer and queues the replies with the fault
// switches applied.
class PrinterSession
{
public:
    enum class Link { Usb, Network };

    PrinterSession(SimulatedPrinter &printer, Link link);

    void receive(const QByteArray &bytes, qint64 nowMs);
    // The replies that are due by nowMs, in order.
    QByteArray takeOutput(qint64 nowMs);
    std::optional<qint64> nextOutputMs() const;
    // Set when the printer dropped this connection in the middle of a transfer
    // (fault switch); everything received afterwards is ignored.
    bool disconnectRequested() const { return m_disconnect; }

    // Result of looking for a download header at the start of the input:
    // DOWNLOAD [<letter>,]<name>,<size>, followed by exactly size data bytes.
    struct DownloadHeader {
        enum class Scan { NeedMore, NotHeader, Complete } scan = Scan::NotHeader;
        Place place = Place::Dram;
        QByteArray name;
        qint64 size = 0;
        qsizetype length = 0; // header bytes
    };
    static DownloadHeader scanDownloadHeader(const QByteArray &input);

private:
    struct Download {
        Place place = Place::Dram;
        QByteArray name;
        qint64 size = 0;
        qint64 cutAt = -1;
        QByteArray data;
    };

    bool syncWithPrinter();
    void parseCommands(qint64 nowMs);
    void parseFrames(qint64 nowMs);
    bool takeDownloadData(qint64 nowMs);
    bool takeNextCommand(qint64 nowMs);
    void queue(const std::optional<QByteArray> &reply, qint64 nowMs);
    void dropConnection();

    SimulatedPrinter &m_printer;
    Link m_link;
    quint64 m_generation;
    QByteArray m_input;
    std::optional<Download> m_download;
    struct Pending {
        qint64 dueMs;
        QByteArray bytes;
    };
    QList<Pending> m_output;
    bool m_disconnect = false;
};

} // namespace printersim
