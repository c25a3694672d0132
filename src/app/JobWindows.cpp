#include "app/JobWindows.h"

#include "ui/ControlUpdate.h"

WindowControlSink::WindowControlSink(QWidget *window)
    : m_window(window)
{ }

void WindowControlSink::setText(const QString &controlName, const QString &text)
{
    SendControlUpdate(m_window, controlName, text);
}

ProgressBarPoller::ProgressBarPoller(
    QWidget *window, QString progressName, std::shared_ptr<const jobs::JobContext> context)
    : QObject(window)
    , m_window(window)
    , m_progressName(std::move(progressName))
    , m_context(std::move(context))
{
    connect(&m_timer, &QTimer::timeout, this, &ProgressBarPoller::poll);
    m_timer.start(intervalMs);
}

void ProgressBarPoller::poll()
{
    const jobs::ProgressSnapshot now = m_context->progress();
    // The range first, so that a position reported after it is judged by it.
    const auto apply
        = [this](const std::optional<qint32> &value, const std::optional<qint32> &applied, ControlOperation operation) {
              if (value && value != applied)
                  applyControlUpdate(m_window, { m_progressName, operation, *value, QString(), 0 });
          };
    apply(now.minimum, m_applied.minimum, ControlOperation::SetProgressMin);
    apply(now.maximum, m_applied.maximum, ControlOperation::SetProgressMax);
    apply(now.position, m_applied.position, ControlOperation::SetProgressValue);
    m_applied = now;
}
