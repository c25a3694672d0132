#include "ui/Prompts.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

namespace {

QMessageBox::StandardButtons standardButtons(Prompts::Buttons buttons)
{
    switch (buttons) {
    case Prompts::Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Prompts::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Prompts::Buttons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon messageIcon(Prompts::Icon icon)
{
    switch (icon) {
    case Prompts::Icon::Question:
        return QMessageBox::Question;
    case Prompts::Icon::Warning:
        return QMessageBox::Warning;
    case Prompts::Icon::Error:
        return QMessageBox::Critical;
    case Prompts::Icon::Information:
        break;
    }
    return QMessageBox::Information;
}

int answerOf(int button)
{
    switch (button) {
    case QMessageBox::Ok:
        return Prompts::Ok;
    case QMessageBox::Yes:
        return Prompts::Yes;
    case QMessageBox::No:
        return Prompts::No;
    default:
        return Prompts::Cancel;
    }
}

class DialogPrompts : public Prompts
{
public:
    int showMessage(QWidget *parent, const QString &text, const QString &caption, Buttons buttons, Icon icon) override
    {
        QMessageBox box(messageIcon(icon), caption, text, standardButtons(buttons), parent);
        return answerOf(box.exec());
    }
    QString openFileName(
        QWidget *parent, const QString &caption, const QString &directory, const QString &filter) override
    {
        return QFileDialog::getOpenFileName(parent, caption, directory, filter);
    }
    QString saveFileName(
        QWidget *parent, const QString &caption, const QString &directory, const QString &filter) override
    {
        return QFileDialog::getSaveFileName(parent, caption, directory, filter);
    }
};

Prompts *g_replacement = nullptr;

} // namespace

QString Prompts::saveFileNameWithSuffix(QWidget *parent, const QString &caption, const QString &directory,
    const QString &filter, const QString &defaultSuffix)
{
    QFileDialog dialog(parent, caption, directory, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

std::optional<QFont> Prompts::chooseFont(QWidget *parent, const QFont &initial)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent);
    if (!ok)
        return std::nullopt;
    return font;
}

Prompts &prompts()
{
    static DialogPrompts dialogs;
    return g_replacement ? *g_replacement : dialogs;
}

void setPrompts(Prompts *replacement)
{
    g_replacement = replacement;
}
