#include "printer-sim/BootLoader.h"

namespace printersim {
namespace {

QByteArray statusReply(BootLoader::Status status)
{
    return QByteArray(1, static_cast<char>(status));
}

} // namespace

BootLoader::BootLoader(quint32 flashSize)
    : m_flashSize(flashSize)
{ }

void BootLoader::reset()
{
    m_erased = false;
    m_flash.clear();
    m_writeOffset = 0;
    m_nextBlock = 0;
    m_restartRequested = false;
}

std::optional<BootLoader::Range> BootLoader::rangeOf(const QByteArray &payload)
{
    if (payload.size() != 9 || payload[0] != '\0')
        return std::nullopt;
    return Range { bigEndian32(payload, 1), bigEndian32(payload, 5) };
}

std::optional<QByteArray> BootLoader::handle(const BootFrame &frame, bool sumMatches, const FaultSwitches &faults)
{
    QByteArray reply;
    if (!sumMatches) {
        reply = statusReply(BadFrameSum);
    } else {
        switch (frame.code) {
        case Query:
            if (faults.failQuery) {
                reply = statusReply(Refused);
                break;
            }
            reply = statusReply(Ok);
            appendBigEndian32(reply, flashBase);
            appendBigEndian32(reply, m_flashSize);
            break;
        case Erase:
            reply = erase(frame.payload, faults);
            break;
        case WriteBlock:
            reply = writeBlock(frame.payload, faults);
            break;
        case Verify:
            reply = verify(frame.payload, faults);
            break;
        case Restart:
            m_restartRequested = true;
            return std::nullopt;
        default:
            reply = statusReply(UnknownCommand);
            break;
        }
    }
    return BootFrame { frame.code, reply }.encode();
}

QByteArray BootLoader::erase(const QByteArray &payload, const FaultSwitches &faults)
{
    const auto range = rangeOf(payload);
    if (!range || range->start != flashBase || range->end <= range->start || range->end - range->start > m_flashSize)
        return statusReply(BadRange);
    reset();
    if (faults.failErase)
        return statusReply(EraseFailed);
    m_erased = true;
    m_flash = QByteArray(static_cast<qsizetype>(range->end - range->start), '\xFF');
    return statusReply(Ok);
}

QByteArray BootLoader::writeBlock(const QByteArray &payload, const FaultSwitches &faults)
{
    if (!m_erased)
        return statusReply(NotErased);
    if (faults.failBlock == m_nextBlock)
        return statusReply(Refused);
    if (payload.size() < 7)
        return statusReply(BadBlock);
    const int number = static_cast<quint8>(payload[4]);
    const int length = bigEndian16(payload, 5);
    const bool headerZero = payload.left(4) == QByteArray(4, '\0');
    if (!headerZero || length != payload.size() - 7 || length == 0 || length > blockSize || number != m_nextBlock % 256
        || m_writeOffset + length > m_flash.size())
        return statusReply(BadBlock);
    m_flash.replace(m_writeOffset, length, payload.mid(7));
    m_writeOffset += length;
    ++m_nextBlock;
    return statusReply(Ok);
}

QByteArray BootLoader::verify(const QByteArray &payload, const FaultSwitches &faults) const
{
    const auto range = rangeOf(payload);
    if (!m_erased)
        return statusReply(NotErased);
    if (!range || range->start != flashBase || range->end - range->start != quint32(m_flash.size()))
        return statusReply(BadRange);
    quint32 sum = imageSum(m_flash);
    if (faults.wrongVerifySum)
        sum += 1;
    QByteArray reply(1, char(Ok));
    appendBigEndian32(reply, sum);
    return reply;
}

} // namespace printersim
