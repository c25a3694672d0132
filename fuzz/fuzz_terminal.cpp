// The communication tab: the HEX a technician types, and the display of
// what one read brings back, over a port that plays the input back. The
// first byte picks the send and receive formats.
#include "PlaybackPort.h"

#include "terminal/TerminalExchange.h"

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace terminal;
    if (size == 0)
        return 0;
    const qint32 sendType = data[0] & 1 ? Char : Hex;
    const qint32 receiveType = data[0] & 2 ? Char : Hex;
    const QByteArrayView input(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const QString typed = QString::fromUtf8(input.first(std::min<qsizetype>(input.size(), 512)));

    const HexBytes hex = parseHex(typed);
    if (hex.unclean.size() > hex.bytes.size() || hex.bytes.size() > typed.size())
        std::abort();
    (void)withCrLf(typed);
    (void)receivedText(input, qint32(data[0]) * 8 - 1000, receiveType);

    PlaybackPort port(input);
    (void)sendAndReceive(port, typed, sendType, receiveType);
    (void)sendAndReceive(port, typed, sendType, receiveType);
    return 0;
}
