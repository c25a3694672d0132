#include "app/CDlgProcess.h"

#include "app/JobWindows.h"
#include "app/LanguageManager.h"
#include "app/WorkerThread.h"
#include "ui/LayoutLoader.h"

#include <QHash>
#include <QLayout>
#include <QPushButton>

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

void CDlgProcess::setCancellable(bool cancellable)
{
    if (!cancellable || m_cancel) {
        if (m_cancel)
            m_cancel->setVisible(cancellable);
        return;
    }
    QWidget *progress = findChild<QWidget *>(QString::fromLatin1(progressControl));
    QLayout *layout = progress && progress->parentWidget() ? progress->parentWidget()->layout() : nullptr;
    if (!layout)
        return;
    m_cancel = new QPushButton(translate(QStringLiteral("取消")), progress->parentWidget());
    m_cancel->setObjectName(QStringLiteral("btn_process_cancel"));
    m_cancel->setAutoDefault(false);
    layout->addWidget(m_cancel);
    layout->setAlignment(m_cancel, Qt::AlignRight);
    connect(m_cancel, &QPushButton::clicked, this, &CDlgProcess::reject);
    setFixedSize(width(), this->layout()->sizeHint().height());
}

void CDlgProcess::reject()
{
    // Only the job's end closes the dialog; a cancellable job is asked to stop.
    if (!m_cancel || m_cancel->isHidden())
        return;
    m_cancelAsked = true;
    m_cancel->setEnabled(false);
    if (m_context)
        m_context->requestCancel();
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
    if (m_cancelAsked)
        m_context->requestCancel();
    m_poller = new ProgressBarPoller(this, QString::fromLatin1(progressControl), m_context);
    connect(
        worker, &WorkerThread::jobEnded, this, [this] { done(jobEnded); }, Qt::BlockingQueuedConnection);
}
