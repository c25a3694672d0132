#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

// What a worker asks a window to do with one of its controls.
enum class ControlOperation : qint32 {
    CloseWindow = 1, // close; a modal run returns value
    SetText = 2, // text of the named control
    SetProgressValue = 4, // ignored outside the range or when unchanged
    SetProgressMin = 5,
    SetProgressMax = 6,
};

struct ControlUpdate {
    QString controlName; // empty for CloseWindow
    ControlOperation operation = ControlOperation::SetText;
    qint64 value = 0; // the number of every operation but SetText
    QString text; // SetText's text
    qint64 extra = 0;
};

// Applies an update on the window's thread. A control that is missing, or is
// not a progress bar for the progress operations, is ignored.
void applyControlUpdate(QWidget *window, const ControlUpdate &update);

// From any thread: hands the update to the window and waits until the
// window's thread has applied it. Nothing happens when the window is gone.
void SendControlUpdate(const QPointer<QWidget> &window, const QString &controlName, ControlOperation operation,
    qint64 value, qint64 extra = 0);
void SendControlUpdate(const QPointer<QWidget> &window, const QString &controlName, const QString &text);
