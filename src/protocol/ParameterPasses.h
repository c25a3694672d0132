#pragma once

#include "protocol/Progress.h"

class CDeviceInterface;
struct PrinterParameters;

// The two long exchanges of the printer options form, as plain functions so
// that a worker thread only wraps them. Neither stops at a failure, and
// neither reports the end of the job: that is the worker's closing message.
namespace protocol {

// Pages of the printer options form, by index.
enum class OptionsPage : int {
    Basic = 0,
    SecondDialect = 1,
    Empty = 2,
    Serial = 3,
    Network = 4,
    Bluetooth = 5,
    Wifi = 6,
    Cutter = 7,
    Special = 8,
};

inline constexpr qint32 readPassRange = 65;
inline constexpr qint32 writePassRange = 25;

// Status query, then 64 counted steps into params (the caller resets it
// first). Reports Start, Range 65 and positions 1..64.
void readAllParameters(CDeviceInterface &port, PrinterParameters &params, const ProgressCallback &progress);

// The settings of one page from params. Reports Start, Range 25 and
// positions 1..26 (the last lies beyond the range, as the form expects).
void writePageParameters(
    CDeviceInterface &port, const PrinterParameters &params, int page, const ProgressCallback &progress);

} // namespace protocol
