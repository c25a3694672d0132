#pragma once

#include <QStringView>
#include <QtGlobal>

namespace jobs {

// The progress dialog's task codes: what a caller sets on the dialog and what
// a subsystem registers its job under. Any other value starts nothing.
enum class TaskCode : qint32 {
    ReadParameters = 0,
    WriteParameters = 1,
    SendFile = 2,
    DownloadFile = 3,
    // 4 to 10: the bitmap font jobs, all run by the bitmap font worker.
    RenderOutlineFont = 4,
    LoadProject = 5,
    SaveProject = 6,
    NoFontAction = 7, // the font worker runs and does nothing
    ExportBcf = 8,
    DownloadFont = 9,
    RenderSystemFont = 10,
    // The file manager's exchanges on one memory place, which can wait on a
    // silent printer for seconds.
    ReadMemory = 11,
    DeleteFiles = 12,
};

constexpr bool isBitFontTask(TaskCode code)
{
    return code >= TaskCode::RenderOutlineFont && code <= TaskCode::RenderSystemFont;
}

// Slots of the running-worker table, one per worker class.
namespace worker {
inline constexpr char readParameters[] = "CThreadReadParameters";
inline constexpr char writeParameters[] = "CThreadWriteParameters";
inline constexpr char sendFile[] = "CThreadSendFile";
inline constexpr char downloadFile[] = "CThreadDownloadFile";
inline constexpr char fileManager[] = "CThreadFileManager";
inline constexpr char bitFont[] = "CThreadBitFont";
inline constexpr char sensorCheck[] = "CThreadSensorCheck";
inline constexpr char upgrade[] = "CThreadUpgrade";
inline constexpr char wifiScan[] = "CThreadWifiScan";
} // namespace worker

// Whether a worker of this class exchanges bytes with the printer; only one
// such worker runs at a time, since the port has no lock of its own.
bool talksToPrinter(QStringView slotName);

// The worker class that runs a task code; null for a code that starts nothing.
const char *workerOf(TaskCode code);

} // namespace jobs
