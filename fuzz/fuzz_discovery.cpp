// A discovery datagram as the searcher hands it on: system text, then parsed.
#include "connection/PrinterInfo.h"
#include "platform/SystemText.h"

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text
        = platform::fromSystemBytes(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (const auto info = parsePrinterInfo(text))
        (void)info->name.size();
    return 0;
}
