#include "app/WorkerThread.h"

QMutex RunningWorkers::s_mutex;
QHash<QString, RunningWorkers::Entry> RunningWorkers::s_slots;

WorkerThread::WorkerThread(QString slotName)
    : m_slotName(std::move(slotName))
{
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void WorkerThread::run()
{
    RunningWorkers::enter(m_slotName, this);
    runJob();
    RunningWorkers::leave(m_slotName, this);
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

void RunningWorkers::enter(const QString &slotName, QThread *thread)
{
    QMutexLocker lock(&s_mutex);
    s_slots.insert(slotName, Entry{thread, QThread::currentThreadId()});
}

void RunningWorkers::leave(const QString &slotName, QThread *thread)
{
    QMutexLocker lock(&s_mutex);
    if (s_slots.value(slotName).thread == thread)
        s_slots.remove(slotName);
}
