#include "ui/ControlUpdate.h"

#include "ui/ControlText.h"
#include "ui/LayoutLoader.h"

#include <QCoreApplication>
#include <QDialog>
#include <QProgressBar>
#include <QThread>

#include <algorithm>
#include <climits>

namespace {

void setProgressValue(QProgressBar *bar, qint64 value)
{
    if (value < bar->minimum() || value > bar->maximum() || value == bar->value())
        return;
    bar->setValue(static_cast<int>(value));
}

void applyToProgress(QWidget *window, const ControlUpdate &update)
{
    auto *bar = ui::findControl<QProgressBar>(window, update.controlName);
    if (!bar)
        return;
    const int number = static_cast<int>(std::clamp<qint64>(update.value, INT_MIN, INT_MAX));
    switch (update.operation) {
    case ControlOperation::SetProgressValue:
        setProgressValue(bar, update.value);
        break;
    case ControlOperation::SetProgressMin:
        bar->setMinimum(number);
        break;
    case ControlOperation::SetProgressMax:
        bar->setMaximum(number);
        break;
    default:
        break;
    }
}

void closeWindow(QWidget *window, qint64 result)
{
    if (auto *dialog = qobject_cast<QDialog *>(window))
        dialog->done(static_cast<int>(result));
    else
        window->close();
}

// Applies the update on the application's thread and waits for it. The
// window is checked there, where it can no longer vanish meanwhile.
void applyAndWait(const QPointer<QWidget> &window, const ControlUpdate &update)
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || window.isNull())
        return;
    auto guarded = [window, &update]() {
        if (QWidget *target = window.data())
            applyControlUpdate(target, update);
    };
    if (QThread::currentThread() == application->thread())
        guarded();
    else
        QMetaObject::invokeMethod(application, guarded, Qt::BlockingQueuedConnection);
}

} // namespace

void applyControlUpdate(QWidget *window, const ControlUpdate &update)
{
    switch (update.operation) {
    case ControlOperation::CloseWindow:
        closeWindow(window, update.value);
        break;
    case ControlOperation::SetText:
        if (QWidget *control = ui::findControl(window, update.controlName))
            ui::setControlText(control, update.text);
        break;
    case ControlOperation::SetProgressValue:
    case ControlOperation::SetProgressMin:
    case ControlOperation::SetProgressMax:
        applyToProgress(window, update);
        break;
    }
}

void SendControlUpdate(
    const QPointer<QWidget> &window, const QString &controlName, ControlOperation operation, qint64 value, qint64 extra)
{
    applyAndWait(window, { controlName, operation, value, QString(), extra });
}

void SendControlUpdate(const QPointer<QWidget> &window, const QString &controlName, const QString &text)
{
    applyAndWait(window, { controlName, ControlOperation::SetText, 0, text, 0 });
}
