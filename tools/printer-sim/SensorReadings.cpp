#include "printer-sim/SensorReadings.h"

#include <cmath>
#include <numbers>

namespace printersim {

QByteArray sensorReadings(qint64 nowMs, int sensorMode)
{
    QByteArray bytes(48, '\0');
    const double seconds = nowMs / 1000.0;
    for (int i = 0; i < 16; ++i) {
        const double phase = 2 * std::numbers::pi * (seconds + i / 16.0);
        // A gap lets light through, a black mark reflects little.
        const double transmissive = sensorMode == 0 ? 128 + 100 * std::sin(phase) : 60 + 10 * std::sin(phase);
        const double reflective = sensorMode == 1 ? 128 + 100 * std::cos(phase) : 200 + 10 * std::cos(phase);
        const double auxiliary = 40 + 30 * std::sin(phase / 4 + i);
        bytes[i] = static_cast<char>(std::lround(transmissive));
        bytes[16 + i] = static_cast<char>(std::lround(reflective));
        bytes[32 + i] = static_cast<char>(std::lround(auxiliary));
    }
    return bytes;
}

} // namespace printersim
