#pragma once

#include <QFont>
#include <QString>

#include <optional>

class QWidget;

// Questions to the user: message boxes and file dialogs. Windows ask through
// prompts(); tests install ScriptedPrompts to answer instead of a person.
class Prompts
{
public:
    // Modal results of a message box, as the windows test them.
    enum Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };
    enum class Buttons { Ok, OkCancel, YesNo };
    enum class Icon { Information, Question, Warning, Error };

    virtual ~Prompts() = default;

    virtual int showMessage(QWidget *parent, const QString &text, const QString &caption, Buttons buttons, Icon icon)
        = 0;
    // The chosen file's full path, or an empty text when cancelled.
    virtual QString openFileName(
        QWidget *parent, const QString &caption, const QString &directory, const QString &filter)
        = 0;
    virtual QString saveFileName(
        QWidget *parent, const QString &caption, const QString &directory, const QString &filter)
        = 0;
    // A save dialog that adds defaultSuffix to a typed name without one before
    // it asks whether to replace an existing file.
    virtual QString saveFileNameWithSuffix(QWidget *parent, const QString &caption, const QString &directory,
        const QString &filter, const QString &defaultSuffix);
    // The platform's font chooser; nothing when cancelled.
    virtual std::optional<QFont> chooseFont(QWidget *parent, const QFont &initial);
};

// The prompts in use; the real dialogs unless replaced.
Prompts &prompts();
// Installs replacement prompts (not owned); null brings back the real dialogs.
void setPrompts(Prompts *replacement);
