#include "printer-sim/PrinterSession.h"

#include "printer-sim/BootFrame.h"
#include "printer-sim/SimulatedPrinter.h"

namespace printersim {
namespace {

// A line that never ends is dropped rather than kept for ever.
constexpr qsizetype maxLineLength = 64 * 1024;
constexpr qsizetype maxHeaderLength = 4096;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<QByteArray> applyReplyFaults(const std::optional<QByteArray> &reply, const FaultSwitches &faults)
{
    if (!reply || faults.noAnswer)
        return std::nullopt;
    if (!faults.garbage)
        return reply;
    QByteArray bytes = *reply;
    for (char &c : bytes)
        c = static_cast<char>(c ^ 0x5A);
    return bytes;
}

PrinterSession::PrinterSession(SimulatedPrinter &printer, Link link)
    : m_printer(printer)
    , m_link(link)
    , m_generation(printer.generation())
{ }

PrinterSession::DownloadHeader PrinterSession::scanDownloadHeader(const QByteArray &input)
{
    DownloadHeader header;
    static const QByteArray word("DOWNLOAD ");
    if (input.size() < word.size() || input.left(word.size()).toUpper() != word)
        return header;
    qsizetype at = word.size();
    while (at < input.size() && input[at] == ' ')
        ++at;
    if (at + 1 >= input.size()) {
        header.scan = DownloadHeader::Scan::NeedMore;
        return header;
    }
    // Without a place letter the file goes to DRAM.
    if (const auto place = FileStore::placeOfLetter(input.at(at)); place && input[at + 1] == ',') {
        header.place = *place;
        at += 2;
    }
    const qsizetype nameStart = at;
    for (qsizetype i = nameStart; i < input.size(); ++i) {
        if (input[i] == '\r' || input[i] == '\n' || i > maxHeaderLength)
            return header;
        if (input[i] != ',' || i == nameStart)
            continue;
        qsizetype end = i + 1;
        while (end < input.size() && isDigit(input[end]))
            ++end;
        if (end == input.size()) {
            header.scan = DownloadHeader::Scan::NeedMore;
            return header;
        }
        if (end > i + 1 && input[end] == ',') {
            header.name = input.mid(nameStart, i - nameStart);
            if (header.name.size() >= 2 && header.name.startsWith('"') && header.name.endsWith('"'))
                header.name = header.name.mid(1, header.name.size() - 2);
            header.size = input.mid(i + 1, end - i - 1).toLongLong();
            header.length = end + 1;
            header.scan = DownloadHeader::Scan::Complete;
            return header;
        }
    }
    header.scan = DownloadHeader::Scan::NeedMore;
    return header;
}

bool PrinterSession::syncWithPrinter()
{
    if (m_generation == m_printer.generation())
        return false;
    // The printer went away or came back: what was on its way is lost.
    m_generation = m_printer.generation();
    m_input.clear();
    m_download.reset();
    return true;
}

void PrinterSession::receive(const QByteArray &bytes, qint64 nowMs)
{
    m_printer.advance(nowMs);
    syncWithPrinter();
    if (m_disconnect)
        return;
    switch (m_printer.mode()) {
    case PrinterMode::Normal:
        m_input += bytes;
        parseCommands(nowMs);
        break;
    case PrinterMode::Boot:
        // The boot loader only listens on USB.
        if (m_link == Link::Usb) {
            m_input += bytes;
            parseFrames(nowMs);
        }
        break;
    default:
        break;
    }
}

void PrinterSession::parseCommands(qint64 nowMs)
{
    while (!m_input.isEmpty() && !m_disconnect) {
        const bool progressed = m_download ? takeDownloadData(nowMs) : takeNextCommand(nowMs);
        if (syncWithPrinter() || !progressed)
            return;
    }
}

bool PrinterSession::takeDownloadData(qint64 nowMs)
{
    Download &download = *m_download;
    const qint64 wanted = (download.cutAt >= 0 ? download.cutAt : download.size) - download.data.size();
    const qsizetype take = static_cast<qsizetype>(qMin<qint64>(wanted, m_input.size()));
    download.data += m_input.left(take);
    m_input.remove(0, take);
    if (download.cutAt >= 0 && download.data.size() >= download.cutAt) {
        dropConnection();
        return false;
    }
    if (download.data.size() < download.size)
        return take > 0;
    queue(m_printer.storeDownload(download.place, download.name, download.data), nowMs);
    m_download.reset();
    // The CR LF after the data arrives as an empty line, which is ignored.
    return true;
}

bool PrinterSession::takeNextCommand(qint64 nowMs)
{
    const char first = m_input[0];
    if (first == '\x1B') {
        if (m_input.size() < 3)
            return false;
        if (m_input[1] == '!')
            queue(m_printer.executeEscape(m_input[2], nowMs), nowMs);
        m_input.remove(0, m_input[1] == '!' ? 3 : 1);
        return true;
    }
    if (first == '~' && QByteArray("~!D").startsWith(m_input.left(3))) {
        if (m_input.size() < 3)
            return false;
        m_printer.enterHexMode();
        m_input.remove(0, 3);
        return true;
    }
    const DownloadHeader header = scanDownloadHeader(m_input);
    if (header.scan == DownloadHeader::Scan::NeedMore)
        return false;
    if (header.scan == DownloadHeader::Scan::Complete) {
        m_input.remove(0, header.length);
        Download download { header.place, header.name, header.size, -1, {} };
        if (m_printer.faults().closeMidTransfer && header.size >= 2)
            download.cutAt = header.size / 2;
        m_download = download;
        return true;
    }
    const qsizetype end = m_input.indexOf('\n');
    if (end < 0) {
        if (m_input.size() > maxLineLength)
            m_input.clear();
        return false;
    }
    QByteArray line = m_input.left(end);
    m_input.remove(0, end + 1);
    if (line.endsWith('\r'))
        line.chop(1);
    queue(m_printer.executeLine(line, nowMs), nowMs);
    return true;
}

void PrinterSession::parseFrames(qint64 nowMs)
{
    while (!m_input.isEmpty() && !m_disconnect) {
        const BootFrame::ScanResult result = BootFrame::scan(m_input);
        if (result.scan == BootFrame::Scan::NeedMore)
            return;
        if (result.scan == BootFrame::Scan::Complete && result.frame.code == BootLoader::WriteBlock
            && m_printer.faults().closeMidTransfer) {
            dropConnection();
            return;
        }
        m_input.remove(0, result.length);
        if (result.scan == BootFrame::Scan::Complete)
            queue(m_printer.executeBootFrame(result.frame, result.sumMatches, nowMs), nowMs);
        if (syncWithPrinter())
            return;
    }
}

void PrinterSession::dropConnection()
{
    m_disconnect = true;
    m_input.clear();
    m_download.reset();
}

void PrinterSession::queue(const std::optional<QByteArray> &reply, qint64 nowMs)
{
    const FaultSwitches &faults = m_printer.faults();
    if (const auto bytes = applyReplyFaults(reply, faults))
        m_output.append({ nowMs + faults.answerDelayMs, *bytes });
}

QByteArray PrinterSession::takeOutput(qint64 nowMs)
{
    QByteArray bytes;
    while (!m_output.isEmpty() && m_output.first().dueMs <= nowMs)
        bytes += m_output.takeFirst().bytes;
    return bytes;
}

std::optional<qint64> PrinterSession::nextOutputMs() const
{
    if (m_output.isEmpty())
        return std::nullopt;
    return m_output.first().dueMs;
}

} // namespace printersim
