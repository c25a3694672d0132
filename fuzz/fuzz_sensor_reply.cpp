// The live sensor view: SENSORCHECK replies played back from the input, each
// one stored into the parameter record as the dialog does.
#include "PlaybackPort.h"

#include "printer_options/SensorCheckJob.h"
#include "protocol/PrinterParameters.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace printer_options;
    PlaybackPort port(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    PrinterParameters params;
    for (int exchange = 0; exchange < 4 && port.IsOpen(); ++exchange) {
        const std::optional<SensorReadings> readings = querySensors(port);
        if (!readings)
            continue;
        storeSensorReadings(params, *readings);
        if (params.sensorAuxiliary[15] != (*readings)[47])
            std::abort();
    }
    return 0;
}
