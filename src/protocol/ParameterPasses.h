#pragma once

#include "jobs/JobProgress.h"

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
// first). Reports the minimum 0, the maximum 65 and positions 1..64; runs to
// the end whatever the progress says about cancelling.
void readAllParameters(CDeviceInterface &port, PrinterParameters &params, jobs::JobProgress &progress);

// The settings of one page from params. Reports the minimum 0, the maximum
// 25 and positions 1..26 (the last lies beyond the range, as the form
// expects); runs to the end.
void writePageParameters(
    CDeviceInterface &port, const PrinterParameters &params, int page, jobs::JobProgress &progress);

} // namespace protocol
