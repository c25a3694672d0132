// A language pack file, read as a window pack and as the message pack.
#include "ui/LanguagePack.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray xml(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)parseWindowPack(xml).isEmpty();
    (void)parseMessagePack(xml).size();
    return 0;
}
