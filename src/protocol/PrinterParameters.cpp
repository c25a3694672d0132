#include "protocol/PrinterParameters.h"

void PrinterParameters::reset()
{
    PrinterParameters fresh;
    fresh.serialQueried = serialQueried;
    fresh.networkQueried = networkQueried;
    fresh.bluetoothQueried = bluetoothQueried;
    fresh.statusByte = statusByte;
    fresh.wifiQueried = wifiQueried;
    *this = std::move(fresh);
}
