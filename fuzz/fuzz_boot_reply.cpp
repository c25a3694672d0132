// The boot loader's replies during a firmware upgrade: the first byte picks
// the code sent, the rest is what came back. A frame built for any payload
// must read back as that payload.
#include "upgrade/job/BootProtocol.h"

#include <QByteArrayView>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace upgrade;
    if (size == 0)
        return 0;
    static constexpr std::array codes { BootCode::Query, BootCode::Erase, BootCode::WriteBlock, BootCode::Verify,
        BootCode::Restart };
    const BootCode sent = codes[data[0] % codes.size()];
    const QByteArrayView received(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    const BootReply reply = checkReply(received, sent);
    if (reply.check != ReplyCheck::Complete && !reply.payload.isEmpty())
        std::abort();
    if (reply.payload.size() > received.size())
        std::abort();

    const QByteArrayView payload = received.first(std::min<qsizetype>(received.size(), replyCapacity - frameOverhead));
    const BootReply echoed = checkReply(bootFrame(sent, payload), sent);
    if (echoed.check != ReplyCheck::Complete || echoed.payload != payload)
        std::abort();
    return 0;
}
