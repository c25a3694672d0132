#pragma once

#include <QtGlobal>

#include <array>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

class CDeviceInterface;
struct PrinterParameters;

// The live sensor view's exchange with the printer, without widgets.
namespace printer_options {

inline constexpr int sensorReadingCount = 48; // 16 transmissive, 16 reflective, 16 auxiliary
inline constexpr int sensorPollIntervalMs = 200;

using SensorReadings = std::array<quint8, sensorReadingCount>;

// One SENSORCHECK exchange. Nothing when the command did not go out or fewer
// than 48 bytes came back; bytes after the 48th are ignored.
std::optional<SensorReadings> querySensors(CDeviceInterface &port);

// The readings into the record's three arrays of 16.
void storeSensorReadings(PrinterParameters &params, const SensorReadings &readings);

// A stop request that a waiting loop hears at once, from any thread.
class StopSignal
{
public:
    void request();
    bool isRequested() const;
    // Waits up to ms; true when the stop was requested (before or meanwhile).
    bool waitFor(int ms);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_requested = false;
};

// Polls until stop is requested: wait, one exchange, the readings to
// onReadings. An exchange under way when the stop comes is finished (the
// printer's answer must not be left for the next exchange to find) but its
// readings are dropped.
void pollSensors(
    CDeviceInterface &port, StopSignal &stop, const std::function<void(const SensorReadings &)> &onReadings);

} // namespace printer_options
