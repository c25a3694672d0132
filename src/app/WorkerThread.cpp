#include "app/WorkerThread.h"

#include "jobs/TaskCode.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWidget>

QMutex RunningWorkers::s_mutex;
QHash<QString, RunningWorkers::Entry> RunningWorkers::s_slots;

WorkerThread *WorkerThread::startJob(const QString &slotName, jobs::Job job, std::shared_ptr<jobs::JobContext> context)
{
    if (job.isNull() || !context)
        return nullptr;
    // An upgrade has the printer in its boot loader: no other job may talk to it meanwhile.
    if (slotName != QLatin1String(jobs::worker::upgrade) && upgradeRunning())
        return nullptr;
    auto *worker = new WorkerThread(slotName, std::move(job), std::move(context));
    if (!RunningWorkers::claim(slotName, worker)) {
        delete worker;
        return nullptr;
    }
    QMetaObject::invokeMethod(
        worker, [worker] { worker->QThread::start(); }, Qt::QueuedConnection);
    return worker;
}

WorkerThread::WorkerThread(QString slotName, jobs::Job job, std::shared_ptr<jobs::JobContext> context)
    : m_slotName(std::move(slotName))
    , m_job(std::move(job))
    , m_context(std::move(context))
{
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void WorkerThread::run()
{
    RunningWorkers::enter(m_slotName, this);
    m_job.run(*m_context);
    // The worker object lives on the window thread, so this is where the
    // result handler runs; the job's thread waits for it like for any
    // window update.
    if (m_job.hasResultHandler())
        QMetaObject::invokeMethod(
            this, [this] { m_job.deliver(); }, Qt::BlockingQueuedConnection);
    RunningWorkers::leave(m_slotName, this);
    Q_EMIT jobEnded();
}

void disableWhileRunning(QWidget *control, WorkerThread *worker)
{
    if (!control || !worker)
        return;
    control->setEnabled(false);
    QObject::connect(worker, &WorkerThread::jobEnded, control, [control] { control->setEnabled(true); });
}

bool upgradeRunning()
{
    return RunningWorkers::isRunning(QString::fromLatin1(jobs::worker::upgrade));
}

bool RunningWorkers::isRunning(const QString &slotName)
{
    return entry(slotName).thread != nullptr;
}

RunningWorkers::Entry RunningWorkers::entry(const QString &slotName)
{
    QMutexLocker lock(&s_mutex);
    return s_slots.value(slotName);
}

bool RunningWorkers::waitUntilIdle(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    const auto idle = [] {
        QMutexLocker lock(&s_mutex);
        return s_slots.isEmpty();
    };
    while (!idle()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

bool RunningWorkers::claim(const QString &slotName, QThread *thread)
{
    QMutexLocker lock(&s_mutex);
    if (s_slots.contains(slotName))
        return false;
    if (jobs::talksToPrinter(slotName)) {
        for (auto it = s_slots.cbegin(); it != s_slots.cend(); ++it) {
            if (jobs::talksToPrinter(it.key()))
                return false;
        }
    }
    s_slots.insert(slotName, Entry { thread, nullptr });
    return true;
}

void RunningWorkers::enter(const QString &slotName, QThread *thread)
{
    QMutexLocker lock(&s_mutex);
    if (s_slots.value(slotName).thread == thread)
        s_slots[slotName].threadId = QThread::currentThreadId();
}

void RunningWorkers::leave(const QString &slotName, QThread *thread)
{
    QMutexLocker lock(&s_mutex);
    if (s_slots.value(slotName).thread == thread)
        s_slots.remove(slotName);
}
