#pragma once

#include <QtGlobal>

#include <functional>

namespace protocol {

// What a long exchange reports to its progress bar; the numbers are the
// progress dialog's update operations, so a worker passes them on unchanged.
enum class ProgressReport : qint32 {
    Position = 4,
    Start = 5, // first report of a pass, no value
    Range = 6,
};

using ProgressCallback = std::function<void(ProgressReport report, qint32 value)>;

// Reports through the callback when there is one.
inline void reportProgress(const ProgressCallback &progress, ProgressReport report, qint32 value = 0)
{
    if (progress)
        progress(report, value);
}

} // namespace protocol
