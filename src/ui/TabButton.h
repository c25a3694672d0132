#pragma once

#include <QPushButton>

class QStackedWidget;

namespace ui {

// A tab button bound to a page stack of its window and to one page of it by
// names; pressing it shows that page.
class TabButton : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(QString tabStack READ tabStack WRITE setTabStack)
    Q_PROPERTY(QString tabPage READ tabPage WRITE setTabPage)
public:
    explicit TabButton(QWidget *parent = nullptr);

    QString tabStack() const { return m_stack; }
    void setTabStack(const QString &name) { m_stack = name; }
    QString tabPage() const { return m_page; }
    void setTabPage(const QString &name) { m_page = name; }

    // Shows the bound page; false when the stack or the page is missing.
    bool showPage();

private:
    QWidget *boundPage(QStackedWidget **stack) const;

    QString m_stack;
    QString m_page;
};

} // namespace ui
