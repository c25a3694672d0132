#include "app/CApp.h"
#include "app/CommandLine.h"
#include "bitfont/tool/BitFontTool.h"
#include "file_manager/CFormFileManager.h"
#include "port_dialogs/SystemPortDialogs.h"
#include "printer_options/CFormPrinterOptions.h"
#include "terminal/CFormCommunication.h"

int main(int argc, char **argv)
{
    if (const std::optional<int> exitCode = commandline::answerInformationOptions(argc, argv))
        return *exitCode;
    CApp application;
    registerPortDialogs(application);
    registerPrinterOptions(application);
    registerFileManager(application);
    registerCommunicationPage();
    registerBitFontTool(application);
    return application.run(argc, argv);
}
