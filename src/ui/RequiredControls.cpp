#include "ui/RequiredControls.h"

#include "ui/LayoutLoader.h"

#include <QDebug>

namespace ui {
namespace {

QString layoutFileInside(const QWidget *window)
{
    if (isLayoutRoot(window))
        return layoutFileOf(window);
    for (const QWidget *child : window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (isLayoutRoot(child))
            return layoutFileOf(child);
    }
    return QStringLiteral("no layout");
}

} // namespace

void reportMissingControl(const QWidget *window, const QString &name, const char *className)
{
    const QWidget *found = window->findChild<QWidget *>(name);
    qCritical().noquote()
        << QStringLiteral("%1 (%2) needs the control %3 of class %4; its layout %5")
               .arg(QString::fromLatin1(window->metaObject()->className()), layoutFileInside(window), name,
                   QString::fromLatin1(className),
                   found ? QStringLiteral("has it as %1").arg(QString::fromLatin1(found->metaObject()->className()))
                         : QStringLiteral("has no such control"));
}

} // namespace ui
