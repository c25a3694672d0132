#include "jobs/TaskCode.h"

#include <QLatin1String>

namespace jobs {

const char *workerOf(TaskCode code)
{
    switch (code) {
    case TaskCode::ReadParameters:
        return worker::readParameters;
    case TaskCode::WriteParameters:
        return worker::writeParameters;
    case TaskCode::SendFile:
        return worker::sendFile;
    case TaskCode::DownloadFile:
        return worker::downloadFile;
    case TaskCode::ReadMemory:
    case TaskCode::DeleteFiles:
        return worker::fileManager;
    default:
        return isBitFontTask(code) ? worker::bitFont : nullptr;
    }
}

bool talksToPrinter(QStringView slotName)
{
    return slotName != QLatin1String(worker::wifiScan);
}

} // namespace jobs
