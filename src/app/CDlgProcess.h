#pragma once

#include "jobs/Job.h"
#include "jobs/TaskCode.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class ProgressBarPoller;
class QPushButton;

// The borderless progress dialog a long job runs behind. Run modally, it
// starts the job of its task code once it is shown, shows the job's progress
// on "ctrl_process" and closes with 1 when the job has ended. The user cannot
// close it (a cancellable one asks its job to stop); when it goes away some
// other way the job is asked to cancel.
class CDlgProcess : public QDialog
{
    Q_OBJECT
public:
    static constexpr char progressControl[] = "ctrl_process";

    // Builds the job of a task from the dialog (its task code, texts and
    // caller window), or a null job when it cannot; the dialog starts it on
    // the worker class of the task code.
    using JobFactory = std::function<jobs::Job(CDlgProcess &dialog)>;
    // Each subsystem registers the jobs of its task codes at start.
    static void registerTask(jobs::TaskCode taskCode, JobFactory factory);
    static void unregisterTask(jobs::TaskCode taskCode);

    explicit CDlgProcess(QWidget *caller);
    ~CDlgProcess() override;

    jobs::TaskCode taskCode() const { return m_taskCode; }
    void setTaskCode(jobs::TaskCode code) { m_taskCode = code; }
    // The download task's inputs, in order.
    const std::array<QString, 3> &texts() const { return m_texts; }
    void setTexts(const std::array<QString, 3> &texts) { m_texts = texts; }
    // A job of the caller's own instead of the registered one, run on the
    // worker class of the task code.
    void setJob(jobs::Job job) { m_ownJob = std::move(job); }
    // The window that opened the dialog.
    QWidget *caller() const { return parentWidget(); }
    // Offers a cancel button (and Esc) that asks the job to stop; the dialog
    // still closes only when the job has ended. Before exec.
    void setCancellable(bool cancellable);

public Q_SLOTS:
    void reject() override;
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void startTask();

    jobs::TaskCode m_taskCode = jobs::TaskCode::ReadParameters;
    std::array<QString, 3> m_texts;
    std::optional<jobs::Job> m_ownJob;
    bool m_started = false;
    QPushButton *m_cancel = nullptr;
    bool m_cancelAsked = false; // may come before the job has started
    std::shared_ptr<jobs::JobContext> m_context;
    ProgressBarPoller *m_poller = nullptr;
};
