#include "ui/TabButton.h"

#include "ui/LayoutLoader.h"

#include <QStackedWidget>

namespace ui {

TabButton::TabButton(QWidget *parent)
    : QPushButton(parent)
{
    setCheckable(true);
    setAutoExclusive(true);
    connect(this, &QPushButton::clicked, this, &TabButton::showPage);
}

QWidget *TabButton::boundPage(QStackedWidget **stack) const
{
    *stack = findControl<QStackedWidget>(window(), m_stack);
    if (!*stack)
        return nullptr;
    for (int i = 0; i < (*stack)->count(); ++i) {
        if ((*stack)->widget(i)->objectName() == m_page)
            return (*stack)->widget(i);
    }
    return nullptr;
}

bool TabButton::showPage()
{
    QStackedWidget *stack = nullptr;
    QWidget *page = boundPage(&stack);
    if (!page)
        return false;
    stack->setCurrentWidget(page);
    setChecked(true);
    return true;
}

} // namespace ui
