#pragma once

#include <QString>
#include <QWidget>

#include <type_traits>

namespace ui {

// A control that a window's code cannot work without, by its layout name and
// the class it must be or derive from. Each window class lists its own in a
// constant table `requiredControls`; a test checks every table against the
// layouts of the skin package, so a renamed control cannot leave a dead button.
struct RequiredControl {
    const char *name;
    const char *className;
};

// Logs, in every build, that a window's layout lacks a control its code needs.
void reportMissingControl(const QWidget *window, const QString &name, const char *className);

// The named control of a window. When the layout lacks it, or has it with
// another class, that is logged as an error and a hidden stand-in takes its
// place: callers need no null test and the rest of the window keeps working.
template <typename Control = QWidget> Control *requireControl(QWidget *window, const char *name)
{
    static_assert(!std::is_abstract_v<Control>, "a stand-in must be constructible");
    const QString objectName = QString::fromLatin1(name);
    if (auto *control = window->findChild<Control *>(objectName))
        return control;
    reportMissingControl(window, objectName, Control::staticMetaObject.className());
    auto *standIn = new Control(window);
    standIn->setObjectName(objectName);
    standIn->hide();
    return standIn;
}

} // namespace ui
