#pragma once

#include "ui/Prompts.h"

#include <QList>
#include <QQueue>
#include <QStringList>

// Prompts that answer from a script and record every question, for tests.
// Installed while it lives. An exhausted script answers Cancel and no file.
class ScriptedPrompts : public Prompts
{
public:
    ScriptedPrompts() { setPrompts(this); }
    ~ScriptedPrompts() override { setPrompts(nullptr); }

    QQueue<int> answers;
    QQueue<QString> fileNames;
    QStringList askedTexts;
    // The default suffix each suffixed save dialog was given.
    QStringList askedSuffixes;
    QQueue<QFont> fonts;

    int showMessage(QWidget *, const QString &text, const QString &, Buttons, Icon) override
    {
        askedTexts.append(text);
        return answers.isEmpty() ? Cancel : answers.dequeue();
    }
    QString openFileName(QWidget *, const QString &caption, const QString &, const QString &) override
    {
        askedTexts.append(caption);
        return fileNames.isEmpty() ? QString() : fileNames.dequeue();
    }
    QString saveFileName(
        QWidget *parent, const QString &caption, const QString &directory, const QString &filter) override
    {
        return openFileName(parent, caption, directory, filter);
    }
    QString saveFileNameWithSuffix(QWidget *parent, const QString &caption, const QString &directory,
        const QString &filter, const QString &defaultSuffix) override
    {
        askedSuffixes.append(defaultSuffix);
        return openFileName(parent, caption, directory, filter);
    }
    std::optional<QFont> chooseFont(QWidget *, const QFont &initial) override
    {
        askedTexts.append(initial.family());
        if (fonts.isEmpty())
            return std::nullopt;
        return fonts.dequeue();
    }
};
