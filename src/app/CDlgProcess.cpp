#include "app/CDlgProcess.h"

#include "app/JobWindows.h"
#include "app/WorkerThread.h"
#include "ui/LayoutLoader.h"

#include <QHash>

namespace {

QHash<jobs::TaskCode, CDlgProcess::JobFactory> &taskTable()
{
    static QHash<jobs::TaskCode, CDlgProcess::JobFactory> table;
    return table;
}

constexpr int closedWithoutWorker = 2;
constexpr int jobEnded = 1;

} // namespace

void CDlgProcess::registerTask(jobs::TaskCode taskCode, JobFactory factory)
{
    taskTable().insert(taskCode, std::move(factory));
}

void CDlgProcess::unregisterTask(jobs::TaskCode taskCode)
{
    taskTable().remove(taskCode);
}

CDlgProcess::CDlgProcess(QWidget *caller)
    : QDialog(caller, Qt::Dialog | Qt::FramelessWindowHint)
{
    ui::loadLayoutInto(this, QStringLiteral("DlgProcess.ui"));
    setFixedSize(size());
}

CDlgProcess::~CDlgProcess()
{
    if (m_context)
        m_context->requestCancel();
}

void CDlgProcess::reject()
{
    // No cancellation by the user: only the job's end closes the dialog.
}

void CDlgProcess::done(int result)
{
    if (m_context) {
        m_context->requestCancel();
        m_poller->poll();
        m_poller->stop();
    }
    QDialog::done(result);
}

void CDlgProcess::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    QMetaObject::invokeMethod(this, &CDlgProcess::startTask, Qt::QueuedConnection);
}

void CDlgProcess::startTask()
{
    const char *workerName = jobs::workerOf(m_taskCode);
    const auto factory = taskTable().constFind(m_taskCode);
    jobs::Job job;
    if (workerName && m_ownJob)
        job = std::move(*m_ownJob);
    else if (workerName && factory != taskTable().constEnd())
        job = (*factory)(*this);
    QWidget *texts = caller() ? caller()->window() : nullptr;
    auto context = std::make_shared<jobs::JobContext>(std::make_unique<WindowControlSink>(texts));
    WorkerThread *worker = WorkerThread::startJob(QString::fromLatin1(workerName), std::move(job), context);
    // A task without a worker would leave a dialog nobody can close.
    if (!worker) {
        done(closedWithoutWorker);
        return;
    }
    m_context = std::move(context);
    m_poller = new ProgressBarPoller(this, QString::fromLatin1(progressControl), m_context);
    connect(
        worker, &WorkerThread::jobEnded, this, [this] { done(jobEnded); }, Qt::BlockingQueuedConnection);
}
