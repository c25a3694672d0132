#pragma once

#include "jobs/Job.h"

#include <QHash>
#include <QMutex>
#include <QString>
#include <QThread>

#include <memory>

class QWidget;

// The one worker class: runs any job on a thread of its own and deletes
// itself when that thread has ended, so nobody waits for it or holds it
// afterwards. While the job runs, its worker class's slot of the
// running-worker table is taken.
class WorkerThread final : public QThread
{
    Q_OBJECT
public:
    // On the window thread, inside the click that asks for the job: takes the
    // slot of slotName (e.g. "CThreadUpgrade") at once and returns the
    // worker, whose thread begins when the window thread is next idle, so the
    // caller connects to it first without a race. Null, starting nothing,
    // when job is null, a worker of slotName is still running, another worker
    // that talks to the printer runs (jobs::talksToPrinter), or an upgrade
    // runs (a firmware upgrade holds every other job).
    static WorkerThread *startJob(const QString &slotName, jobs::Job job, std::shared_ptr<jobs::JobContext> context);

Q_SIGNALS:
    // On the worker's thread, after the job and its result handler, with the
    // slot already free. Connected with Qt::BlockingQueuedConnection it is the
    // job's closing request, sent and waited for.
    void jobEnded();

private:
    WorkerThread(QString slotName, jobs::Job job, std::shared_ptr<jobs::JobContext> context);
    void run() final;

    QString m_slotName;
    jobs::Job m_job;
    std::shared_ptr<jobs::JobContext> m_context;
};

// Disables control now and enables it again when the worker's job has ended:
// what a form does inside the click that started the worker, so that a
// second click cannot ask for a second job.
void disableWhileRunning(QWidget *control, WorkerThread *worker);

// Whether the firmware upgrade worker is running.
bool upgradeRunning();

// One process-wide slot per worker class with the running worker's thread.
class RunningWorkers
{
public:
    struct Entry {
        QThread *thread = nullptr;
        Qt::HANDLE threadId = nullptr; // set once the thread runs
    };

    static bool isRunning(const QString &slotName);
    static Entry entry(const QString &slotName);
    // On the window thread, before the program ends: lets the running workers
    // finish, serving their result handlers meanwhile, for at most timeoutMs.
    // False when one is still running then.
    static bool waitUntilIdle(int timeoutMs);

private:
    friend class WorkerThread;
    static bool claim(const QString &slotName, QThread *thread);
    static void enter(const QString &slotName, QThread *thread);
    static void leave(const QString &slotName, QThread *thread);

    static QMutex s_mutex;
    static QHash<QString, Entry> s_slots;
};
