#pragma once

#include "ui/RequiredControls.h"

#include <QDialog>

class QRadioButton;
class SettingsStore;

// The language dialog: one option per pack, named "menu_lang_" + pack name
// and showing the language's own name; choosing one stores it and shows
// every open window in that language at once. It stays open.
class CDlgSoftLanguage : public QDialog
{
    Q_OBJECT
public:
    static constexpr char layoutFile[] = "DlgSoftLanguage.ui";
    // One option per language the layout offers; a language without one is
    // simply not offered.
    static constexpr char optionPrefix[] = "menu_lang_";
    static constexpr ui::RequiredControl requiredControls[] = {
        { "window_header", "QWidget" },
        { "windowclosebtn", "QToolButton" },
    };

    CDlgSoftLanguage(SettingsStore &settings, QWidget *parent);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QRadioButton *currentOption() const;
    void markCurrentLanguage();
    void chooseLanguage(const QString &name);

    SettingsStore &m_settings;
};
