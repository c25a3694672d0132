#pragma once

#include "connection/PortSettings.h"
#include "jobs/JobContext.h"

#include <QMetaType>
#include <QString>

#include <functional>
#include <memory>

class CDeviceInterface;

// The firmware upgrade as a job: boot mode, the framed boot protocol, the
// restart and the printer's return. No widgets here.
namespace upgrade {

inline constexpr char bootDeviceNeedle[] = "USBPRINT\\OXAL_Printer_Boot";
inline constexpr char bootCommand[] = "INIAP OXALBOOT\r\n";

// Every wait of the upgrade, so that tests can shorten them. The defaults are
// what a printer needs.
struct UpgradeWaits {
    int bootEnterMs = 5000; // after the boot command
    int bootSearchTries = 10;
    int bootSearchIntervalMs = 1000;
    int openRetryMs = 2000; // a new node's permissions may lag behind it
    int openRetryIntervalMs = 100;
    int queryPauseMs = 500; // between sending a frame and reading its reply
    int erasePauseMs = 500;
    int blockPauseMs = 60;
    int verifyPauseMs = 200;
    quint32 replyWaitMs = 30000;
    int comeBackPollMs = 500; // looking for the printer after the restart
    int comeBackLimitMs = 60000;
};

// Where the upgrade finds its ports and devices; the application fills it
// from CApp, tests with their own.
struct UpgradeEnvironment {
    CDeviceInterface *mainPort = nullptr;
    PortSettings savedSettings; // the application's, with usbDeviceId
    // The device path of the first USB printer whose hardware id contains
    // the needle, or an empty text.
    std::function<QString(const QString &needle)> findDevice;
    std::function<std::unique_ptr<CDeviceInterface>()> makeBootPort;
    // The status texts in the caller's language, from their Chinese source
    // text; the source itself when not set.
    std::function<QString(const QString &source)> translate;
    UpgradeWaits waits;
};

// The USB printers of this machine and a plain port object for the boot device.
UpgradeEnvironment systemEnvironment(CDeviceInterface &mainPort, const PortSettings &savedSettings);

enum class UpgradeStep {
    PortKind,
    LoadFile,
    BootMode,
    OpenBootPort,
    Query,
    Erase,
    WriteBlock,
    Verify,
    Checksum,
    ComeBack, // after a good verify and the restart
};

enum class UpgradeResult {
    Failed, // at failedStep; no restart was sent
    UpgradedAndBack, // the main port is open again and the version was asked for
    UpgradedNotBack, // verified and restarted; the printer was not found again
};

// What one upgrade ended with, set once when it ends.
struct UpgradeOutcome {
    UpgradeResult result = UpgradeResult::Failed;
    UpgradeStep step = UpgradeStep::PortKind; // the step it ended in
    QString statusText; // shown in text_status, translated
    QString version; // read back after the upgrade; empty when unknown
    QString previousVersion; // read before the boot command; empty when unknown
    int failedBlock = -1; // WriteBlock: counted from 0
};

// The whole upgrade on the calling thread. Status texts go to text_status,
// progress counts the blocks written, the outcome ends as the last status
// and one traffic-log line.
UpgradeOutcome runUpgrade(const QString &imagePath, const UpgradeEnvironment &environment, jobs::JobContext &context);

} // namespace upgrade

Q_DECLARE_METATYPE(upgrade::UpgradeOutcome)
