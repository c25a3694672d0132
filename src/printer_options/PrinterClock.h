#pragma once

#include <QDateTime>

#include <functional>

class CDeviceInterface;

namespace printer_options {

// Where "set clock" takes the computer's local time from; tests set a fixed
// moment. Null brings back the system clock.
using LocalClock = std::function<QDateTime()>;
void setLocalClock(LocalClock clock);
QDateTime localNow();

// Sends the clock lines for one reading of the local clock, so the fields
// cannot straddle a change of second, minute or year.
bool sendPrinterClock(CDeviceInterface &port);

} // namespace printer_options
