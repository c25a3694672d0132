#include "app/CApp.h"
#include "app/CommandLine.h"
#include "file_manager/CFormFileManager.h"
#include "port_dialogs/SystemPortDialogs.h"

int main(int argc, char **argv)
{
    if (const std::optional<int> exitCode = commandline::answerInformationOptions(argc, argv))
        return *exitCode;
    CApp application;
    registerPortDialogs(application);
    registerFileManager(application);
    return application.run(argc, argv);
}
