#pragma once

#include <QByteArray>

namespace printersim {

// The 48 reading bytes of SENSORCHECK at a moment: 16 transmissive, 16
// reflective, 16 auxiliary. They drift over time like a sensor watching
// labels pass, so two queries a few hundred milliseconds apart differ.
QByteArray sensorReadings(qint64 nowMs, int sensorMode);

} // namespace printersim
