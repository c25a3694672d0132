#include "app/CDlgSoftLanguage.h"

#include "app/LanguageManager.h"
#include "app/SettingsStore.h"
#include "ui/LayoutLoader.h"
#include "ui/WindowChrome.h"

#include <QRadioButton>
#include <QSignalBlocker>

CDlgSoftLanguage::CDlgSoftLanguage(SettingsStore &settings, QWidget *parent)
    : QDialog(parent, Qt::Dialog)
    , m_settings(settings)
{
    ui::loadLayoutInto(this, QStringLiteral("DlgSoftLanguage.ui"));
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

void CDlgSoftLanguage::markCurrentLanguage()
{
    const QString name = QString::fromLatin1(optionPrefix) + LanguageManager::instance().currentName();
    if (auto *option = ui::findControl<QRadioButton>(this, name)) {
        const QSignalBlocker quiet(option);
        option->setChecked(true);
    }
}

void CDlgSoftLanguage::chooseLanguage(const QString &name)
{
    m_settings.writeText(QStringLiteral("Language"), QStringLiteral("LangName"), name);
    LanguageManager::instance().select(QStringLiteral("Lang\\") + name, name);
    ui::reapplyWindowPacks();
}
