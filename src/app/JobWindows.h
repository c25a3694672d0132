#pragma once

#include "jobs/JobContext.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

// A job's control texts as synchronous updates of one window (usually the
// top-level window of the one that started the job); lost once it is gone.
class WindowControlSink final : public jobs::ControlSink
{
public:
    explicit WindowControlSink(QWidget *window);
    void setText(const QString &controlName, const QString &text) override;

private:
    QPointer<QWidget> m_window;
};

// Shows a job's progress on a progress bar of a window: polls the context on
// a timer and applies what changed with the rules of the progress updates
// (a value outside the range, or equal to the current one, is ignored).
class ProgressBarPoller final : public QObject
{
    Q_OBJECT
public:
    static constexpr int intervalMs = 40;

    // window owns the poller; progressName names the bar in its layout.
    ProgressBarPoller(QWidget *window, QString progressName, std::shared_ptr<const jobs::JobContext> context);

    // Applies the context now, e.g. once more when the job has ended.
    void poll();
    void stop() { m_timer.stop(); }

private:
    QWidget *m_window;
    QString m_progressName;
    std::shared_ptr<const jobs::JobContext> m_context;
    jobs::ProgressSnapshot m_applied;
    QTimer m_timer;
};
