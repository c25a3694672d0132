#include "app/CApp.h"

#include "app/CMainFrame.h"
#include "app/CommandLine.h"
#include "app/LanguageManager.h"
#include "app/PortDialogs.h"
#include "app/SingleInstance.h"
#include "app/StartupChoices.h"
#include "app/WorkerThread.h"
#include "platform/DeviceChangeMonitor.h"
#include "ui/SkinPackage.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>

namespace {

constexpr int exitOk = 0;
constexpr int exitFailed = 1;
constexpr int exitUsage = 2;
constexpr int dialogCancelled = 2;

CApp *g_application = nullptr;

// Until the port subsystem installs its dialogs, every one closes at once.
class AbsentPortDialogs : public PortDialogs
{
public:
    int openUsbDialog(QWidget *) override { return dialogCancelled; }
    int openNetDialog(QWidget *) override { return dialogCancelled; }
    int openComDialog(QWidget *) override { return dialogCancelled; }
    int openLptDialog(QWidget *) override { return dialogCancelled; }
};

// Centred on the work area, and moved back inside it where it would stick out.
void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame(QPoint(), window->size());
    frame.moveCenter(area.center());
    frame.moveLeft(qMax(area.left(), qMin(frame.left(), area.right() + 1 - frame.width())));
    frame.moveTop(qMax(area.top(), qMin(frame.top(), area.bottom() + 1 - frame.height())));
    window->move(frame.topLeft());
}

void raiseWindow(QWidget *window)
{
    if (window->isMinimized())
        window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

CApp::CApp()
    : m_portDialogs(std::make_unique<AbsentPortDialogs>())
{
    g_application = this;
}

CApp::CApp(const QString &settingsFile)
    : m_settings(std::make_unique<SettingsStore>(settingsFile))
    , m_portDialogs(std::make_unique<AbsentPortDialogs>())
{
    g_application = this;
}

CApp::~CApp()
{
    if (g_application == this)
        g_application = nullptr;
}

CApp &CApp::instance()
{
    Q_ASSERT(g_application);
    return *g_application;
}

void CApp::setPortDialogs(std::unique_ptr<PortDialogs> dialogs)
{
    m_portDialogs = dialogs ? std::move(dialogs) : std::make_unique<AbsentPortDialogs>();
}

int CApp::run(int &argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ostrel"));
    QApplication::setOrganizationName(QStringLiteral("Brenik"));
    QApplication::setQuitOnLastWindowClosed(false);
    QGuiApplication::setDesktopFileName(QStringLiteral("com.brenik.Ostrel"));
    const QString argumentError = commandline::checkRemainingArguments(QApplication::arguments());
    if (!argumentError.isEmpty()) {
        std::fprintf(stderr, "ostrel: %s (see --help)\n", qPrintable(argumentError));
        return exitUsage;
    }
    if (!SkinPackage::embedded().isValid())
        return exitFailed;

    SingleInstance single(QString::fromLatin1(instanceName));
    if (!single.acquire()) {
        single.notifyRunning();
        return exitOk;
    }

    startUp();
    if (commandline::fontToolRequested(QApplication::arguments()))
        m_mainFrame->showPage(QStringLiteral("FormBitFont"));
    QObject::connect(
        &single, &SingleInstance::activationRequested, m_mainFrame.get(), [this] { raiseWindow(m_mainFrame.get()); });
    platform::DeviceChangeMonitor devices;
    QObject::connect(
        &devices, &platform::DeviceChangeMonitor::devicesChanged, m_mainFrame.get(), &CMainFrame::onDeviceChange);

    application.exec();
    shutDown();
    return exitOk;
}

void CApp::startUp()
{
    if (!m_settings)
        m_settings = std::make_unique<SettingsStore>();
    m_portSettings.kind = startup::readPortKind(*m_settings);
    const startup::LanguageChoice language = startup::chooseLanguage(*m_settings);
    LanguageManager::instance().select(language.folder, language.name);

    m_mainFrame = std::make_unique<CMainFrame>(*this);
    QObject::connect(m_mainFrame.get(), &CMainFrame::closed, QCoreApplication::instance(), &QCoreApplication::quit,
        Qt::QueuedConnection);
    centreOnScreen(m_mainFrame.get());
    m_mainFrame->show();
}

void CApp::shutDown()
{
    // A terminal exchange or a Wi-Fi scan may still be under way; it uses the
    // port and hands its result to this thread.
    RunningWorkers::waitUntilIdle(shutDownWaitMs);
    if (m_settings)
        startup::writePortKind(*m_settings, m_portSettings.kind);
    m_mainFrame.reset();
}
