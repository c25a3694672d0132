#include "app/CDlgSoftLanguage.h"

#include "app/LanguageManager.h"
#include "app/SettingsStore.h"
#include "ui/LayoutLoader.h"
#include "ui/WindowChrome.h"

#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>

CDlgSoftLanguage::CDlgSoftLanguage(SettingsStore &settings, QWidget *parent)
    : QDialog(parent, Qt::Dialog)
    , m_settings(settings)
{
    ui::loadLayoutInto(this, QString::fromLatin1(layoutFile));
    ui::installWindowChrome(this, false);
    markCurrentLanguage();
    const QString prefix = QString::fromLatin1(optionPrefix);
    for (QRadioButton *option : findChildren<QRadioButton *>()) {
        if (!option->objectName().startsWith(prefix))
            continue;
        // The option's text is the language's own name ("Deutsch"); the
        // pack folder is named by the option's name.
        const QString name = option->objectName().mid(prefix.size());
        connect(option, &QRadioButton::toggled, this, [this, name](bool checked) {
            if (checked)
                chooseLanguage(name);
        });
    }
}

QRadioButton *CDlgSoftLanguage::currentOption() const
{
    return ui::findControl<QRadioButton>(
        this, QString::fromLatin1(optionPrefix) + LanguageManager::instance().currentName());
}

void CDlgSoftLanguage::markCurrentLanguage()
{
    if (QRadioButton *option = currentOption()) {
        const QSignalBlocker quiet(option);
        option->setChecked(true);
    }
}

void CDlgSoftLanguage::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The current language may lie below the part of the list that shows.
    auto *list = ui::findControl<QScrollArea>(this, QStringLiteral("scroll_languages"));
    QRadioButton *option = currentOption();
    if (list && option && option->isChecked())
        list->ensureWidgetVisible(option);
}

void CDlgSoftLanguage::chooseLanguage(const QString &name)
{
    m_settings.writeText(QStringLiteral("Language"), QStringLiteral("LangName"), name);
    LanguageManager::instance().select(QStringLiteral("Lang\\") + name, name);
    ui::reapplyWindowPacks();
}
