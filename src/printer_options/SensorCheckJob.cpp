#include "printer_options/SensorCheckJob.h"

#include "connection/CDeviceInterface.h"
#include "protocol/CommandChannel.h"
#include "protocol/PrinterParameters.h"

#include <algorithm>
#include <chrono>

namespace printer_options {

std::optional<SensorReadings> querySensors(CDeviceInterface &port)
{
    if (!protocol::sendQuery(port, QStringLiteral("SENSORCHECK\r\n")))
        return std::nullopt;
    std::array<char, protocol::replyBufferSize> buffer {};
    const qint32 count = port.Read(buffer.data(), protocol::replyBufferSize, protocol::queryWaitMs);
    if (count < sensorReadingCount)
        return std::nullopt;
    SensorReadings readings {};
    std::transform(buffer.begin(), buffer.begin() + sensorReadingCount, readings.begin(),
        [](char byte) { return static_cast<quint8>(byte); });
    return readings;
}

void storeSensorReadings(PrinterParameters &params, const SensorReadings &readings)
{
    for (int i = 0; i < 16; ++i) {
        params.sensorTransmissive[i] = readings[i];
        params.sensorReflective[i] = readings[16 + i];
        params.sensorAuxiliary[i] = readings[32 + i];
    }
}

void StopSignal::request()
{
    {
        std::lock_guard lock(m_mutex);
        m_requested = true;
    }
    m_changed.notify_all();
}

bool StopSignal::isRequested() const
{
    std::lock_guard lock(m_mutex);
    return m_requested;
}

bool StopSignal::waitFor(int ms)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_requested; });
}

void pollSensors(
    CDeviceInterface &port, StopSignal &stop, const std::function<void(const SensorReadings &)> &onReadings)
{
    while (!stop.waitFor(sensorPollIntervalMs)) {
        const std::optional<SensorReadings> readings = querySensors(port);
        if (readings && !stop.isRequested())
            onReadings(*readings);
    }
}

} // namespace printer_options
