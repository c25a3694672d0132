#pragma once

#include "printer-sim/BootFrame.h"
#include "printer-sim/SimConfig.h"

#include <QByteArray>

#include <optional>

namespace printersim {

// The printer's boot loader: a flash area at 0x60020000 that is erased, then
// written block by block, then summed. Every command but restart is answered
// with a frame whose payload byte 0 is the status.
class BootLoader
{
public:
    static constexpr quint32 flashBase = 0x60020000;
    static constexpr int blockSize = 8192;

    enum Code : quint8 { Query = 2, Erase = 3, WriteBlock = 4, Verify = 6, Restart = 7 };
    enum Status : quint8 {
        Ok = 0x00,
        BadRange = 0x01,
        BadBlock = 0x02,
        BadFrameSum = 0x03,
        EraseFailed = 0x04,
        NotErased = 0x05,
        Refused = 0x06, // a fault switch said so
        UnknownCommand = 0xFE
    };

    explicit BootLoader(quint32 flashSize = 8 * 1024 * 1024);

    void reset();

    // The reply frame, or nothing (restart).
    std::optional<QByteArray> handle(const BootFrame &frame, bool sumMatches, const FaultSwitches &faults);

    bool restartRequested() const { return m_restartRequested; }
    // The bytes written so far, from the start of the erased range.
    QByteArray writtenImage() const { return m_flash.left(m_writeOffset); }
    bool imageComplete() const { return m_erased && m_writeOffset == m_flash.size(); }
    int blocksWritten() const { return m_nextBlock; }

private:
    struct Range {
        quint32 start = 0;
        quint32 end = 0;
    };
    static std::optional<Range> rangeOf(const QByteArray &payload);
    QByteArray erase(const QByteArray &payload, const FaultSwitches &faults);
    QByteArray writeBlock(const QByteArray &payload, const FaultSwitches &faults);
    QByteArray verify(const QByteArray &payload, const FaultSwitches &faults) const;

    quint32 m_flashSize;
    bool m_erased = false;
    QByteArray m_flash; // the erased range, 0xFF where nothing was written
    int m_writeOffset = 0;
    int m_nextBlock = 0;
    bool m_restartRequested = false;
};

} // namespace printersim
