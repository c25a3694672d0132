#include "upgrade/CDlgUpgrade.h"

#include "app/CApp.h"
#include "app/JobWindows.h"
#include "app/LanguageManager.h"
#include "app/WorkerThread.h"
#include "jobs/TaskCode.h"
#include "ui/LayoutLoader.h"
#include "ui/Prompts.h"
#include "ui/WindowChrome.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

CDlgUpgrade::CDlgUpgrade(upgrade::UpgradeEnvironment environment, QWidget *parent)
    : QDialog(parent, Qt::Dialog)
    , m_environment(std::move(environment))
{
    ui::loadLayoutInto(this, QString::fromLatin1(layoutFile));
    ui::installWindowChrome(this, false);
    m_file = ui::requireControl<QLineEdit>(this, "text_file");
    m_selectFile = ui::requireControl<QPushButton>(this, "btn_select_file");
    m_progress = ui::requireControl<QProgressBar>(this, "process_upgrade");
    m_status = ui::requireControl<QLabel>(this, "text_status");
    m_upgrade = ui::requireControl<QPushButton>(this, "btn_upgrade");
    connect(m_selectFile, &QPushButton::clicked, this, &CDlgUpgrade::chooseFile);
    connect(m_upgrade, &QPushButton::clicked, this, &CDlgUpgrade::startUpgrade);
}

void CDlgUpgrade::chooseFile()
{
    const auto *caption = findChild<QLabel *>(QStringLiteral("dialog_caption"));
    const QString path = prompts().openFileName(
        this, caption ? caption->text() : windowTitle(), QString(), QStringLiteral("bin(*.bin)"));
    if (!path.isEmpty())
        m_file->setText(path);
}

void CDlgUpgrade::startUpgrade()
{
    const QString slot = QString::fromLatin1(jobs::worker::upgrade);
    const auto refuse = [this] {
        prompts().showMessage(this, translate(QStringLiteral("升级中，请稍候。。。")), QStringLiteral("error"),
            Prompts::Buttons::Ok, Prompts::Icon::Error);
    };
    if (RunningWorkers::isRunning(slot)) {
        refuse();
        return;
    }
    auto context = std::make_shared<jobs::JobContext>(std::make_unique<WindowControlSink>(this));
    QPointer<CDlgUpgrade> self(this);
    jobs::Job job
        = jobs::makeJob([path = m_file->text(), environment = m_environment](
                            jobs::JobContext &context) { return upgrade::runUpgrade(path, environment, context); },
            [self](upgrade::UpgradeOutcome outcome) {
                if (self)
                    self->m_outcome = std::move(outcome);
            });
    // Takes the slot here, inside the click, so a second click or a second
    // window cannot start another.
    WorkerThread *worker = WorkerThread::startJob(slot, std::move(job), context);
    if (!worker) {
        refuse();
        return;
    }
    delete m_poller;
    m_progress->setValue(m_progress->minimum());
    m_poller = new ProgressBarPoller(this, QStringLiteral("process_upgrade"), context);
    connect(worker, &WorkerThread::jobEnded, this, &CDlgUpgrade::finishUpgrade, Qt::BlockingQueuedConnection);
    setControlsEnabled(false);
    Q_EMIT started();
}

void CDlgUpgrade::finishUpgrade()
{
    if (m_poller) {
        m_poller->poll();
        m_poller->stop();
    }
    setControlsEnabled(true);
    Q_EMIT ended(m_outcome);
}

void CDlgUpgrade::setControlsEnabled(bool enabled)
{
    m_file->setEnabled(enabled);
    m_selectFile->setEnabled(enabled);
    m_upgrade->setEnabled(enabled);
}

namespace upgrade {

int openUpgradeDialog(QWidget *parent)
{
    CApp &app = CApp::instance();
    UpgradeEnvironment environment = systemEnvironment(app.device(), app.portSettings());
    environment.translate = [](const QString &source) { return translate(source); };
    CDlgUpgrade dialog(environment, parent);
    return dialog.exec();
}

} // namespace upgrade
