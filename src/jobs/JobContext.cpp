#include "jobs/JobContext.h"

#include "connection/TrafficLog.h"

#include <limits>

namespace jobs {

namespace {

// Outside every qint32, so it cannot be confused with a reported value.
constexpr qint64 notSet = std::numeric_limits<qint64>::min();

std::optional<qint32> load(const std::atomic<qint64> &field)
{
    const qint64 value = field.load(std::memory_order_relaxed);
    return value == notSet ? std::nullopt : std::optional<qint32>(static_cast<qint32>(value));
}

} // namespace

JobContext::JobContext(std::unique_ptr<ControlSink> controls)
    : m_minimum(notSet)
    , m_maximum(notSet)
    , m_position(notSet)
    , m_controls(std::move(controls))
{ }

JobContext::~JobContext() = default;

void JobContext::setMinimum(qint32 minimum)
{
    m_minimum.store(minimum, std::memory_order_relaxed);
}

void JobContext::setMaximum(qint32 maximum)
{
    m_maximum.store(maximum, std::memory_order_relaxed);
}

void JobContext::setPosition(qint32 position)
{
    m_position.store(position, std::memory_order_relaxed);
}

bool JobContext::cancelRequested() const
{
    return m_cancel.load(std::memory_order_relaxed);
}

void JobContext::requestCancel()
{
    m_cancel.store(true, std::memory_order_relaxed);
}

ProgressSnapshot JobContext::progress() const
{
    return { load(m_minimum), load(m_maximum), load(m_position) };
}

void JobContext::setControlText(const QString &controlName, const QString &text) const
{
    if (m_controls)
        m_controls->setText(controlName, text);
}

void JobContext::log(const QString &line) const
{
    LogLine(line);
}

} // namespace jobs
