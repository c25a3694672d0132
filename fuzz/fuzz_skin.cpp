// A skin package: the zip read whole, each entry's name and bytes.
#include "ui/SkinPackage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const SkinPackage package
        = SkinPackage::fromZip(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const QString &name : package.entryNames())
        (void)package.read(name).size();
    return 0;
}
