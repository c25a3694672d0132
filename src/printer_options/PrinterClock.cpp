#include "printer_options/PrinterClock.h"

#include "protocol/ParameterCatalogue.h"

namespace printer_options {

namespace {

LocalClock &clockSource()
{
    static LocalClock source;
    return source;
}

} // namespace

void setLocalClock(LocalClock clock)
{
    clockSource() = std::move(clock);
}

QDateTime localNow()
{
    const LocalClock &source = clockSource();
    return source ? source() : QDateTime::currentDateTime();
}

bool sendPrinterClock(CDeviceInterface &port)
{
    const QDateTime now = localNow();
    const QDate date = now.date();
    const QTime time = now.time();
    return protocol::setClock(port, date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second());
}

} // namespace printer_options
