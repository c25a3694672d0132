// A memory place's sizes and file list read from a port that plays the input
// back, then the list text parsed on its own.
#include "PlaybackPort.h"

#include "protocol/PrinterParameters.h"
#include "protocol/StorageCommands.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    PlaybackPort port(input);
    PrinterParameters params;
    for (const auto place :
        { protocol::MemoryPlace::Dram, protocol::MemoryPlace::Flash, protocol::MemoryPlace::Card }) {
        (void)protocol::queryTotalSize(port, params, place);
        (void)protocol::queryFreeSpace(port, params, place);
        (void)protocol::queryFileList(port, params, place);
    }
    (void)protocol::readDownloadReply(port, QStringLiteral("FLASH"));
    (void)protocol::parseFileList(QString::fromLatin1(input));
    return 0;
}
