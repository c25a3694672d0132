#pragma once

#include <QDialog>
#include <QPointer>

#include <array>
#include <functional>

class WorkerThread;

// The borderless progress dialog a long job runs behind. Run modally, it
// starts the worker of its task code once it is shown; the worker reports to
// "ctrl_process" and closes the dialog with 1 at the end. The user cannot
// close it.
class CDlgProcess : public QDialog
{
    Q_OBJECT
public:
    enum TaskCode : qint32 {
        ReadParameters = 0,
        WriteParameters = 1,
        SendFile = 2,
        DownloadFile = 3,
        BitFontFirst = 4,
        BitFontLast = 10,
    };
    static constexpr char progressControl[] = "ctrl_process";

    // Builds the worker of a task from the dialog (its task code, texts and
    // caller window), or null when it cannot; the dialog starts it.
    using WorkerFactory = std::function<WorkerThread *(CDlgProcess &dialog)>;
    // Each subsystem registers the workers of its task codes at start.
    static void registerTask(qint32 taskCode, WorkerFactory factory);
    static void unregisterTask(qint32 taskCode);

    explicit CDlgProcess(QWidget *caller);

    qint32 taskCode() const { return m_taskCode; }
    void setTaskCode(qint32 code) { m_taskCode = code; }
    // The download task's inputs, in order.
    const std::array<QString, 3> &texts() const { return m_texts; }
    void setTexts(const std::array<QString, 3> &texts) { m_texts = texts; }
    // The window that opened the dialog.
    QWidget *caller() const { return parentWidget(); }

    // The progress message: sets ctrl_process from any thread without waiting.
    static void postProgressValue(const QPointer<QWidget> &dialog, qint64 value);

public Q_SLOTS:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void startTask();

    qint32 m_taskCode = ReadParameters;
    std::array<QString, 3> m_texts;
    bool m_started = false;
};
