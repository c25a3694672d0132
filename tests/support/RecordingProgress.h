#pragma once

#include "jobs/JobProgress.h"

#include <QList>
#include <QPair>

#include <limits>

// A job's progress as the list of what it reported, in order. With
// stopBefore(n) a cancel is requested once the position n - 1 was reported,
// as when the window waiting for the job goes away then.
class RecordingProgress : public jobs::JobProgress
{
public:
    enum class Report { Minimum, Maximum, Position };
    using Reports = QList<QPair<Report, qint32>>;

    void setMinimum(qint32 minimum) override { reports.append({ Report::Minimum, minimum }); }
    void setMaximum(qint32 maximum) override { reports.append({ Report::Maximum, maximum }); }
    void setPosition(qint32 position) override
    {
        reports.append({ Report::Position, position });
        m_lastPosition = position;
        ++m_positions;
    }
    bool cancelRequested() const override { return m_lastPosition + 1 >= m_stopBefore; }

    void stopBefore(qint32 position) { m_stopBefore = position; }

    // The last maximum reported, -1 without one.
    qint32 maximum() const
    {
        for (auto it = reports.crbegin(); it != reports.crend(); ++it) {
            if (it->first == Report::Maximum)
                return it->second;
        }
        return -1;
    }
    qint32 lastPosition() const { return m_lastPosition; }
    int positionCount() const { return m_positions; }

    Reports reports;

private:
    qint32 m_stopBefore = std::numeric_limits<qint32>::max();
    qint32 m_lastPosition = -1;
    int m_positions = 0;
};
