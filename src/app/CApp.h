#pragma once

#include "app/SettingsStore.h"
#include "connection/CDeviceInterface.h"
#include "connection/PortSettings.h"
#include "protocol/PrinterParameters.h"

#include <QString>

#include <memory>

class CMainFrame;
class PortDialogs;

// The application object: owns the port object, the port settings, the
// settings store and the main window, and runs start-up and shut-down.
class CApp
{
public:
    static constexpr char instanceName[] = "429BC0B4-4E81-48CD-BD68-87F1FFD2A85E";
    // How long quitting waits for a job still running (a terminal exchange
    // waits at most a second for its reply).
    static constexpr int shutDownWaitMs = 3000;

    // The store is opened during start-up.
    CApp();
    // With a store in a file of its own (tests, tools), open at once.
    explicit CApp(const QString &settingsFile);
    ~CApp();
    CApp(const CApp &) = delete;
    CApp &operator=(const CApp &) = delete;

    // The application object of this process (the one constructed last).
    static CApp &instance();

    // The whole program: start-up, event loop, shut-down. Returns the exit code.
    int run(int &argc, char **argv);

    CDeviceInterface &device() { return m_device; }
    // Everything read from the connected printer, for the whole run.
    PrinterParameters &parameters() { return m_parameters; }
    PortSettings &portSettings() { return m_portSettings; }
    SettingsStore &settings() { return *m_settings; }
    CMainFrame *mainFrame() const { return m_mainFrame.get(); }

    // The port dialogs the main window opens; the port subsystem installs them.
    PortDialogs &portDialogs() { return *m_portDialogs; }
    void setPortDialogs(std::unique_ptr<PortDialogs> dialogs);

    // Start-up from the settings store to the shown main window, with the
    // window toolkit running; and what follows the event loop.
    void startUp();
    void shutDown();

private:
    CDeviceInterface m_device;
    PrinterParameters m_parameters;
    PortSettings m_portSettings;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<PortDialogs> m_portDialogs;
    std::unique_ptr<CMainFrame> m_mainFrame;
};
