#include "ui/ControlText.h"

#include "ui/LanguagePack.h"
#include "ui/LayoutLoader.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace ui {
namespace {

constexpr char layoutTextKey[] = "_ostrelLayoutText";
constexpr char layoutToolTipKey[] = "_ostrelLayoutToolTip";
constexpr char layoutHintKey[] = "_ostrelLayoutHint";

int resourceId(const QWidget *control)
{
    bool ok = false;
    const int id = control->property(resourceIdProperty).toInt(&ok);
    return ok ? id : 0;
}

// The controls of root's own layout: nested layouts are skipped.
template <typename Visit> void forEachLayoutControl(QWidget *root, Visit visit)
{
    visit(root);
    for (QObject *child : root->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget || isLayoutRoot(widget))
            continue;
        forEachLayoutControl(widget, visit);
    }
}

QString packEntryOr(const QHash<int, QString> &entries, int id, const QVariant &layoutValue)
{
    const QString entry = entries.value(id);
    return entry.isEmpty() ? layoutValue.toString() : entry;
}

// Edits hold the user's content, which a language change must not replace.
bool showsCaption(const QWidget *control)
{
    return !qobject_cast<const QLineEdit *>(control) && !qobject_cast<const QPlainTextEdit *>(control)
        && !qobject_cast<const QTextEdit *>(control) && !qobject_cast<const QComboBox *>(control);
}

} // namespace

bool setControlText(QWidget *control, const QString &text)
{
    if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(control))
        button->setText(text);
    else if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->setText(text);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(control))
        plain->setPlainText(text);
    else if (auto *rich = qobject_cast<QTextEdit *>(control))
        rich->setPlainText(text);
    else if (auto *group = qobject_cast<QGroupBox *>(control))
        group->setTitle(text);
    else if (auto *combo = qobject_cast<QComboBox *>(control); combo && combo->isEditable())
        combo->setEditText(text);
    else if (control->isWindow())
        control->setWindowTitle(text);
    else
        return false;
    return true;
}

QString controlText(const QWidget *control)
{
    if (auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    if (auto *edit = qobject_cast<const QLineEdit *>(control))
        return edit->text();
    if (auto *plain = qobject_cast<const QPlainTextEdit *>(control))
        return plain->toPlainText();
    if (auto *rich = qobject_cast<const QTextEdit *>(control))
        return rich->toPlainText();
    if (auto *group = qobject_cast<const QGroupBox *>(control))
        return group->title();
    if (auto *combo = qobject_cast<const QComboBox *>(control))
        return combo->currentText();
    return control->isWindow() ? control->windowTitle() : QString();
}

int selectedItemValue(const QComboBox *selector)
{
    if (!selector || selector->currentIndex() < 0)
        return 0;
    return selector->currentData().toInt();
}

bool setControlHint(QWidget *control, const QString &hint)
{
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->setPlaceholderText(hint);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(control))
        plain->setPlaceholderText(hint);
    else if (auto *rich = qobject_cast<QTextEdit *>(control))
        rich->setPlaceholderText(hint);
    else if (auto *combo = qobject_cast<QComboBox *>(control))
        combo->setPlaceholderText(hint);
    else
        return false;
    return true;
}

QString controlHint(const QWidget *control)
{
    if (auto *edit = qobject_cast<const QLineEdit *>(control))
        return edit->placeholderText();
    if (auto *plain = qobject_cast<const QPlainTextEdit *>(control))
        return plain->placeholderText();
    if (auto *rich = qobject_cast<const QTextEdit *>(control))
        return rich->placeholderText();
    if (auto *combo = qobject_cast<const QComboBox *>(control))
        return combo->placeholderText();
    return QString();
}

void rememberLayoutTexts(QWidget *root)
{
    forEachLayoutControl(root, [](QWidget *control) {
        if (resourceId(control) <= 0)
            return;
        control->setProperty(layoutTextKey, controlText(control));
        control->setProperty(layoutToolTipKey, control->toolTip());
        control->setProperty(layoutHintKey, controlHint(control));
    });
}

void applyWindowPack(QWidget *root, const WindowPack &pack)
{
    forEachLayoutControl(root, [&pack](QWidget *control) {
        const int id = resourceId(control);
        if (id <= 0)
            return;
        if (showsCaption(control))
            setControlText(control, packEntryOr(pack.texts, id, control->property(layoutTextKey)));
        control->setToolTip(packEntryOr(pack.tooltips, id, control->property(layoutToolTipKey)));
        setControlHint(control, packEntryOr(pack.hints, id, control->property(layoutHintKey)));
    });
}

} // namespace ui
