// The whole reading pass over a port that plays the input back as replies.
#include "PlaybackPort.h"

#include "protocol/ParameterPasses.h"
#include "protocol/PrinterParameters.h"

#include <cstddef>
#include <cstdint>

namespace {

class NullProgress : public jobs::JobProgress
{
public:
    void setMinimum(qint32) override { }
    void setMaximum(qint32) override { }
    void setPosition(qint32) override { }
    bool cancelRequested() const override { return false; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    PlaybackPort port(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    PrinterParameters params;
    NullProgress progress;
    (void)protocol::readAllParameters(port, params, progress);
    return 0;
}
