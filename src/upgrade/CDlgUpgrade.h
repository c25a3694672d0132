#pragma once

#include "ui/RequiredControls.h"
#include "upgrade/job/UpgradeJob.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class ProgressBarPoller;

// The firmware upgrade window: the image file, the upgrade worker's progress
// and status, and the button that starts it. It stays open after the upgrade
// with the last status; closing it while the worker runs leaves the worker
// running, with its reports dropped.
class CDlgUpgrade : public QDialog
{
    Q_OBJECT
public:
    static constexpr char layoutFile[] = "DlgUpgrade.ui";
    static constexpr ui::RequiredControl requiredControls[] = {
        { "text_file", "QLineEdit" },
        { "btn_select_file", "QPushButton" },
        { "process_upgrade", "QProgressBar" },
        { "text_status", "QLabel" },
        { "btn_upgrade", "QPushButton" },
        { "window_header", "QWidget" },
        { "windowclosebtn", "QToolButton" },
    };

    explicit CDlgUpgrade(upgrade::UpgradeEnvironment environment, QWidget *parent = nullptr);

    // btn_select_file and btn_upgrade.
    void chooseFile();
    void startUpgrade();

Q_SIGNALS:
    void started();
    // With the one outcome of the upgrade, after its last status.
    void ended(const upgrade::UpgradeOutcome &outcome);

private:
    void setControlsEnabled(bool enabled);
    void finishUpgrade();

    upgrade::UpgradeEnvironment m_environment;
    QLineEdit *m_file;
    QPushButton *m_selectFile;
    QProgressBar *m_progress;
    QLabel *m_status;
    QPushButton *m_upgrade;
    QPointer<ProgressBarPoller> m_poller;
    upgrade::UpgradeOutcome m_outcome;
};

namespace upgrade {

// Opens the upgrade window modally over parent for the application's port
// and saved port settings (the printer options page's upgrade button).
int openUpgradeDialog(QWidget *parent);

} // namespace upgrade
