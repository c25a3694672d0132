#pragma once

#include <QHash>
#include <QMutex>
#include <QString>
#include <QThread>

// A long job on a thread of its own. Created on the window thread and started
// at once; it deletes itself when its thread has ended, so nobody waits for
// it or holds it afterwards. While the job runs, the worker's slot of the
// running-worker table names its thread.
class WorkerThread : public QThread
{
    Q_OBJECT
public:
    // slotName: the worker's class, e.g. "CThreadUpgrade".
    explicit WorkerThread(QString slotName);

protected:
    // The whole job, on the worker's thread.
    virtual void runJob() = 0;

private:
    void run() final;

    QString m_slotName;
};

// One process-wide slot per worker class with the running worker's thread.
class RunningWorkers
{
public:
    struct Entry {
        QThread *thread = nullptr;
        Qt::HANDLE threadId = nullptr;
    };

    static bool isRunning(const QString &slotName);
    static Entry entry(const QString &slotName);

private:
    friend class WorkerThread;
    static void enter(const QString &slotName, QThread *thread);
    static void leave(const QString &slotName, QThread *thread);

    static QMutex s_mutex;
    static QHash<QString, Entry> s_slots;
};
