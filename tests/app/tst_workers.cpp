#include "app/CDlgProcess.h"
#include "app/WorkerThread.h"
#include "ui/LayoutLoader.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

using jobs::JobContext;
using jobs::TaskCode;

namespace {

constexpr TaskCode testTask = TaskCode::SendFile;
const QString testSlot = QString::fromLatin1(jobs::worker::sendFile);

struct TaskRegistration {
    TaskRegistration(TaskCode code, CDlgProcess::JobFactory factory)
        : code(code)
    {
        CDlgProcess::registerTask(code, std::move(factory));
    }
    explicit TaskRegistration(CDlgProcess::JobFactory factory)
        : TaskRegistration(testTask, std::move(factory))
    { }
    ~TaskRegistration() { CDlgProcess::unregisterTask(code); }
    TaskCode code;
};

QProgressBar *progressBar(const QWidget &dialog)
{
    return ui::findControl<QProgressBar>(&dialog, QString::fromLatin1(CDlgProcess::progressControl));
}

} // namespace

class TestWorkers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dialogIsBorderlessWithOneProgressBar();
    void jobFinishingAtOnceClosesWithOne();
    void dialogPollsTheJobsProgressWhileItRuns();
    void typedResultArrivesOnTheWindowThreadBeforeTheClose();
    void jobReceivesTheDialogsInputsAndReachesTheCallersWindow();
    void taskWithoutJobDoesNotHang_data();
    void taskWithoutJobDoesNotHang();
    void userCannotCloseTheDialog();
    void dialogGoingAwayAsksTheJobToCancel();
    void secondStartWhileOneRunsIsRefused();
    void oneWorkerAtATimeTalksToThePrinter();
    void quittingWaitsForTheRunningWorker();
};

void TestWorkers::dialogIsBorderlessWithOneProgressBar()
{
    QWidget caller;
    CDlgProcess dialog(&caller);
    QCOMPARE(dialog.size(), QSize(500, 40));
    QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(progressBar(dialog));
    QCOMPARE(dialog.findChildren<QProgressBar *>().size(), 1);
}

void TestWorkers::jobFinishingAtOnceClosesWithOne()
{
    TaskRegistration task([](CDlgProcess &) { return jobs::makeJob([](JobContext &) {}); });
    QWidget caller;
    CDlgProcess dialog(&caller);
    dialog.setTaskCode(testTask);
    QCOMPARE(dialog.exec(), 1);
}

void TestWorkers::dialogPollsTheJobsProgressWhileItRuns()
{
    QSemaphore shown;
    QSemaphore full;
    std::atomic<Qt::HANDLE> jobThread { nullptr };
    TaskRegistration task([&](CDlgProcess &) {
        return jobs::makeJob([&](JobContext &context) {
            jobThread = QThread::currentThreadId();
            context.setMinimum(0);
            context.setMaximum(64);
            context.setPosition(10);
            shown.tryAcquire(1, 5000);
            context.setMaximum(25);
            context.setPosition(25);
            full.tryAcquire(1, 5000);
            // The writing pass ends one position beyond its range.
            context.setPosition(26);
        });
    });
    QWidget caller;
    CDlgProcess dialog(&caller);
    dialog.setTaskCode(testTask);
    dialog.open();
    QProgressBar *bar = progressBar(dialog);
    QTRY_COMPARE_WITH_TIMEOUT(bar->value(), 10, 5000);
    QCOMPARE(bar->maximum(), 64);
    const RunningWorkers::Entry running = RunningWorkers::entry(testSlot);
    QVERIFY(running.thread);
    QCOMPARE(running.threadId, jobThread.load());
    QPointer<QThread> worker(running.thread);
    shown.release();
    QTRY_COMPARE_WITH_TIMEOUT(bar->value(), 25, 5000);
    full.release();

    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 5000);
    QCOMPARE(dialog.result(), 1);
    QCOMPARE(bar->maximum(), 25);
    QCOMPARE(bar->value(), 25);
    QVERIFY(!RunningWorkers::isRunning(testSlot));
    QTRY_VERIFY_WITH_TIMEOUT(worker.isNull(), 5000);
}

void TestWorkers::typedResultArrivesOnTheWindowThreadBeforeTheClose()
{
    QWidget caller;
    CDlgProcess dialog(&caller);
    std::optional<int> received;
    bool onWindowThread = false;
    bool dialogStillOpen = false;
    TaskRegistration task([&](CDlgProcess &) {
        return jobs::makeJob([](JobContext &) { return 42; },
            [&](int result) {
                received = result;
                onWindowThread = QThread::currentThread() == qApp->thread();
                dialogStillOpen = dialog.isVisible();
            });
    });
    dialog.setTaskCode(testTask);
    QCOMPARE(dialog.exec(), 1);
    QCOMPARE(received, 42);
    QVERIFY(onWindowThread);
    QVERIFY(dialogStillOpen);
}

void TestWorkers::jobReceivesTheDialogsInputsAndReachesTheCallersWindow()
{
    // The font tab lies inside the main window, whose fields the job fills.
    QWidget mainWindow;
    auto *tab = new QWidget(&mainWindow);
    auto *field = new QLineEdit(&mainWindow);
    field->setObjectName(QStringLiteral("edit_bitfont_font_name"));
    TaskCode code = TaskCode::ReadParameters;
    std::array<QString, 3> texts;
    QWidget *callerSeen = nullptr;
    TaskRegistration task(TaskCode::LoadProject, [&](CDlgProcess &dialog) {
        code = dialog.taskCode();
        texts = dialog.texts();
        callerSeen = dialog.caller();
        return jobs::makeJob([](JobContext &context) {
            context.setControlText(QStringLiteral("edit_bitfont_font_name"), QStringLiteral("DejaVu Sans"));
        });
    });
    CDlgProcess dialog(tab);
    dialog.setTaskCode(TaskCode::LoadProject);
    dialog.setTexts({ QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c") });
    QCOMPARE(dialog.exec(), 1);
    QCOMPARE(code, TaskCode::LoadProject);
    QCOMPARE(texts[2], QStringLiteral("c"));
    QCOMPARE(callerSeen, tab);
    QCOMPARE(field->text(), QStringLiteral("DejaVu Sans"));
}

void TestWorkers::taskWithoutJobDoesNotHang_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("registered");
    QTest::newRow("code without a task") << 11 << false;
    QTest::newRow("font code nobody registered") << 7 << false;
    QTest::newRow("factory that builds no job") << int(testTask) << true;
}

void TestWorkers::taskWithoutJobDoesNotHang()
{
    QFETCH(int, code);
    QFETCH(bool, registered);
    std::optional<TaskRegistration> task;
    if (registered)
        task.emplace([](CDlgProcess &) { return jobs::Job(); });
    QWidget caller;
    CDlgProcess dialog(&caller);
    dialog.setTaskCode(TaskCode(code));
    QCOMPARE(dialog.exec(), 2);
}

void TestWorkers::userCannotCloseTheDialog()
{
    QSemaphore release;
    TaskRegistration task(
        [&release](CDlgProcess &) { return jobs::makeJob([&release](JobContext &) { release.tryAcquire(1, 5000); }); });
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

void TestWorkers::dialogGoingAwayAsksTheJobToCancel()
{
    std::atomic<bool> started { false };
    std::atomic<bool> sawCancel { false };
    TaskRegistration task([&](CDlgProcess &) {
        return jobs::makeJob([&](JobContext &context) {
            started = true;
            QElapsedTimer waited;
            waited.start();
            while (!context.cancelRequested() && waited.elapsed() < 5000)
                QThread::msleep(1);
            sawCancel = context.cancelRequested();
        });
    });
    QWidget caller;
    auto *dialog = new CDlgProcess(&caller);
    dialog->setTaskCode(testTask);
    dialog->open();
    QTRY_VERIFY_WITH_TIMEOUT(started, 5000);
    delete dialog;
    // The job stops, and its closing request to the gone dialog is lost.
    QTRY_VERIFY_WITH_TIMEOUT(!RunningWorkers::isRunning(testSlot), 5000);
    QVERIFY(sawCancel);
}

void TestWorkers::secondStartWhileOneRunsIsRefused()
{
    const QString slot = QString::fromLatin1(jobs::worker::upgrade);
    QSemaphore release;
    int starts = 0;
    QPushButton button(QStringLiteral("btn_upgrade"));
    const auto startUpgrade = [&] {
        return WorkerThread::startJob(slot, jobs::makeJob([&release](JobContext &) { release.tryAcquire(1, 5000); }),
            std::make_shared<JobContext>());
    };
    connect(&button, &QPushButton::clicked, &button, [&] {
        if (WorkerThread *worker = startUpgrade()) {
            ++starts;
            disableWhileRunning(&button, worker);
        }
    });
    // A double click: both clicks arrive before the window thread is idle.
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(starts, 1);
    QVERIFY(!button.isEnabled());
    // Taken inside the click, before the worker's thread has run.
    QVERIFY(RunningWorkers::isRunning(slot));
    QVERIFY(!startUpgrade());

    release.release();
    QTRY_VERIFY_WITH_TIMEOUT(button.isEnabled(), 5000);
    QVERIFY(!RunningWorkers::isRunning(slot));
    release.release();
    QVERIFY(startUpgrade());
    QTRY_VERIFY_WITH_TIMEOUT(!RunningWorkers::isRunning(slot), 5000);
}

void TestWorkers::oneWorkerAtATimeTalksToThePrinter()
{
    QSemaphore release;
    const auto start = [&](const char *slot) {
        return WorkerThread::startJob(QString::fromLatin1(slot),
            jobs::makeJob([&release](JobContext &) { release.tryAcquire(1, 5000); }), std::make_shared<JobContext>());
    };
    QVERIFY(start("CThreadCommunication"));
    // A read pass from another tab would share the port with the running exchange.
    QVERIFY(!start(jobs::worker::readParameters));
    QVERIFY(start(jobs::worker::wifiScan));
    release.release(2);
    QTRY_VERIFY_WITH_TIMEOUT(!RunningWorkers::isRunning(QStringLiteral("CThreadCommunication"))
            && !RunningWorkers::isRunning(QString::fromLatin1(jobs::worker::wifiScan)),
        5000);
    QVERIFY(start(jobs::worker::readParameters));
    release.release();
    QTRY_VERIFY_WITH_TIMEOUT(!RunningWorkers::isRunning(QString::fromLatin1(jobs::worker::readParameters)), 5000);
}

void TestWorkers::quittingWaitsForTheRunningWorker()
{
    bool delivered = false;
    QVERIFY(WorkerThread::startJob(QStringLiteral("CThreadCommunication"),
        jobs::makeJob(
            [](JobContext &) {
                QThread::msleep(200);
                return 1;
            },
            [&delivered](int) { delivered = true; }),
        std::make_shared<JobContext>()));
    // The result handler needs the window thread, which the wait keeps serving.
    QVERIFY(RunningWorkers::waitUntilIdle(5000));
    QVERIFY(delivered);

    QSemaphore release;
    QVERIFY(WorkerThread::startJob(QStringLiteral("CThreadCommunication"),
        jobs::makeJob([&release](JobContext &) { release.tryAcquire(1, 5000); }), std::make_shared<JobContext>()));
    QVERIFY(!RunningWorkers::waitUntilIdle(100));
    release.release();
    QVERIFY(RunningWorkers::waitUntilIdle(5000));
}

QTEST_MAIN(TestWorkers)
#include "tst_workers.moc"
