#include "app/CDlgProcess.h"
#include "app/WorkerThread.h"
#include "ui/ControlUpdate.h"
#include "ui/LayoutLoader.h"

#include <QProgressBar>
#include <QTest>
#include <QSemaphore>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace {

// A worker whose job is given by the test.
class JobWorker : public WorkerThread
{
public:
    JobWorker(const QString &slot, std::function<void()> job)
        : WorkerThread(slot), m_job(std::move(job))
    {
    }

protected:
    void runJob() override { m_job(); }

private:
    std::function<void()> m_job;
};

constexpr qint32 testTask = 2;

struct TaskRegistration {
    explicit TaskRegistration(CDlgProcess::WorkerFactory factory) { CDlgProcess::registerTask(testTask, std::move(factory)); }
    ~TaskRegistration() { CDlgProcess::unregisterTask(testTask); }
};

} // namespace

class TestWorkers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dialogIsBorderlessWithOneProgressBar();
    void workerFinishingAtOnceClosesWithOne();
    void workerStepsProgressAndDeletesItself();
    void factoryReceivesTheDialogsInputs();
    void taskWithoutWorkerDoesNotHang();
    void userCannotCloseTheDialog();
};

void TestWorkers::dialogIsBorderlessWithOneProgressBar()
{
    QWidget caller;
    CDlgProcess dialog(&caller);
    QCOMPARE(dialog.size(), QSize(500, 40));
    QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(ui::findControl<QProgressBar>(&dialog, QString::fromLatin1(CDlgProcess::progressControl)));
    QCOMPARE(dialog.findChildren<QProgressBar *>().size(), 1);
}

void TestWorkers::workerFinishingAtOnceClosesWithOne()
{
    TaskRegistration task([](CDlgProcess &dialog) {
        QPointer<QWidget> window(&dialog);
        return new JobWorker(QStringLiteral("CThreadSendFile"),
                             [window] { SendControlUpdate(window, QString(), ControlOperation::CloseWindow, 1); });
    });
    QWidget caller;
    CDlgProcess dialog(&caller);
    dialog.setTaskCode(testTask);
    QCOMPARE(dialog.exec(), 1);
}

void TestWorkers::workerStepsProgressAndDeletesItself()
{
    QPointer<WorkerThread> worker;
    QList<int> seen;
    bool slotFilledDuringJob = false;
    TaskRegistration task([&](CDlgProcess &dialog) {
        QPointer<QWidget> window(&dialog);
        auto *bar = ui::findControl<QProgressBar>(&dialog, QStringLiteral("ctrl_process"));
        worker = new JobWorker(QStringLiteral("CThreadTest"), [&, window, bar] {
            slotFilledDuringJob = RunningWorkers::entry(QStringLiteral("CThreadTest")).threadId == QThread::currentThreadId();
            SendControlUpdate(window, QStringLiteral("ctrl_process"), ControlOperation::SetProgressMin, 0);
            SendControlUpdate(window, QStringLiteral("ctrl_process"), ControlOperation::SetProgressMax, 64);
            for (int step = 1; step <= 64; ++step) {
                SendControlUpdate(window, QStringLiteral("ctrl_process"), ControlOperation::SetProgressValue, step);
                seen.append(bar->value());
            }
            CDlgProcess::postProgressValue(window, 63);
            SendControlUpdate(window, QString(), ControlOperation::CloseWindow, 1);
        });
        return worker.data();
    });
    QWidget caller;
    CDlgProcess dialog(&caller);
    dialog.setTaskCode(testTask);
    QCOMPARE(dialog.exec(), 1);
    QCOMPARE(seen.size(), 64);
    QCOMPARE(seen.first(), 1);
    QCOMPARE(seen.last(), 64);
    QVERIFY(slotFilledDuringJob);
    QTRY_VERIFY_WITH_TIMEOUT(worker.isNull(), 5000);
    QVERIFY(!RunningWorkers::isRunning(QStringLiteral("CThreadTest")));
    // The posted value arrived after the close and still follows the rules.
    QCOMPARE(ui::findControl<QProgressBar>(&dialog, QStringLiteral("ctrl_process"))->value(), 63);
}

void TestWorkers::factoryReceivesTheDialogsInputs()
{
    QWidget caller;
    qint32 code = -1;
    std::array<QString, 3> texts;
    QWidget *callerSeen = nullptr;
    for (qint32 bitFontCode = CDlgProcess::BitFontFirst; bitFontCode <= CDlgProcess::BitFontLast; ++bitFontCode) {
        CDlgProcess::registerTask(bitFontCode, [&](CDlgProcess &dialog) {
            code = dialog.taskCode();
            texts = dialog.texts();
            callerSeen = dialog.caller();
            QPointer<QWidget> window(&dialog);
            return new JobWorker(QStringLiteral("CThreadBitFont"),
                                 [window] { SendControlUpdate(window, QString(), ControlOperation::CloseWindow, 1); });
        });
    }
    CDlgProcess dialog(&caller);
    dialog.setTaskCode(7);
    dialog.setTexts({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    QCOMPARE(dialog.exec(), 1);
    for (qint32 bitFontCode = CDlgProcess::BitFontFirst; bitFontCode <= CDlgProcess::BitFontLast; ++bitFontCode)
        CDlgProcess::unregisterTask(bitFontCode);
    QCOMPARE(code, 7);
    QCOMPARE(texts[2], QStringLiteral("c"));
    QCOMPARE(callerSeen, &caller);
}

void TestWorkers::taskWithoutWorkerDoesNotHang()
{
    QWidget caller;
    CDlgProcess dialog(&caller);
    dialog.setTaskCode(11);
    QCOMPARE(dialog.exec(), 2);
}

void TestWorkers::userCannotCloseTheDialog()
{
    QSemaphore release;
    TaskRegistration task([&release](CDlgProcess &dialog) {
        QPointer<QWidget> window(&dialog);
        return new JobWorker(QStringLiteral("CThreadSendFile"), [window, &release] {
            release.tryAcquire(1, 5000);
            SendControlUpdate(window, QString(), ControlOperation::CloseWindow, 1);
        });
    });
    QWidget caller;
    CDlgProcess dialog(&caller);
    dialog.setTaskCode(testTask);
    QTimer::singleShot(50, &dialog, [&] {
        QTest::keyClick(&dialog, Qt::Key_Escape);
        dialog.close();
        QVERIFY(dialog.isVisible());
        release.release();
    });
    QCOMPARE(dialog.exec(), 1);
}

QTEST_MAIN(TestWorkers)
#include "tst_workers.moc"
