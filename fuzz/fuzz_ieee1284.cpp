// An IEEE 1284 device id: its fields and the hardware id built from it.
#include "platform/HardwareId.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray id(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)platform::ieee1284Field(id, "MFG");
    (void)platform::ieee1284Field(id, "MODEL");
    (void)platform::crc16Arc(id);
    (void)platform::usbPrintHardwareId(id);
    return 0;
}
