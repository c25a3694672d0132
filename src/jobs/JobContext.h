#pragma once

#include "jobs/JobProgress.h"

#include <QString>

#include <atomic>
#include <memory>
#include <optional>

namespace jobs {

// Where a job's control texts go; the application implements it with the
// window update of the window that started the job. Called on the job's
// thread; returns when the text is shown (or the window is gone).
class ControlSink
{
public:
    virtual ~ControlSink() = default;
    virtual void setText(const QString &controlName, const QString &text) = 0;
};

// What a job has reported so far; a field the job has not set is empty.
struct ProgressSnapshot {
    std::optional<qint32> minimum;
    std::optional<qint32> maximum;
    std::optional<qint32> position;
    bool operator==(const ProgressSnapshot &) const = default;
};

// Everything a running job shares with the window that waits for it. The job
// writes progress without waiting (atomics a window polls); the window asks
// for a cancel. Shared by the worker and the window, so either may outlive
// the other.
class JobContext final : public JobProgress
{
public:
    explicit JobContext(std::unique_ptr<ControlSink> controls = nullptr);
    ~JobContext() override;

    void setMinimum(qint32 minimum) override;
    void setMaximum(qint32 maximum) override;
    void setPosition(qint32 position) override;
    bool cancelRequested() const override;

    // From any thread, usually the window's when it goes away.
    void requestCancel();
    ProgressSnapshot progress() const;

    // A text of the starting window's controls; nothing without a sink.
    void setControlText(const QString &controlName, const QString &text) const;
    // A line of the traffic log.
    void log(const QString &line) const;

private:
    std::atomic<qint64> m_minimum;
    std::atomic<qint64> m_maximum;
    std::atomic<qint64> m_position;
    std::atomic<bool> m_cancel { false };
    std::unique_ptr<ControlSink> m_controls;
};

} // namespace jobs
