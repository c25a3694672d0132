#include "app/CDlgProcess.h"

#include "app/WorkerThread.h"
#include "ui/ControlUpdate.h"
#include "ui/LayoutLoader.h"

#include <QHash>

namespace {

QHash<qint32, CDlgProcess::WorkerFactory> &taskTable()
{
    static QHash<qint32, CDlgProcess::WorkerFactory> table;
    return table;
}

constexpr int closedWithoutWorker = 2;

} // namespace

void CDlgProcess::registerTask(qint32 taskCode, WorkerFactory factory)
{
    taskTable().insert(taskCode, std::move(factory));
}

void CDlgProcess::unregisterTask(qint32 taskCode)
{
    taskTable().remove(taskCode);
}

CDlgProcess::CDlgProcess(QWidget *caller)
    : QDialog(caller, Qt::Dialog | Qt::FramelessWindowHint)
{
    ui::loadLayoutInto(this, QStringLiteral("DlgProcess.ui"));
    setFixedSize(size());
}

void CDlgProcess::postProgressValue(const QPointer<QWidget> &dialog, qint64 value)
{
    PostProgressValue(dialog, QString::fromLatin1(progressControl), value);
}

void CDlgProcess::reject()
{
    // No cancellation: only the worker closes the dialog.
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
    const auto factory = taskTable().constFind(m_taskCode);
    WorkerThread *worker = factory == taskTable().constEnd() ? nullptr : (*factory)(*this);
    // A task without a worker would leave a dialog nobody can close.
    if (!worker) {
        done(closedWithoutWorker);
        return;
    }
    worker->start();
}
