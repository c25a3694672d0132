#pragma once

#include "printer-sim/SimConfig.h"
#include "printer-sim/SimServer.h"

#include <QStringList>

namespace printersim {

struct CommandLine {
    SimConfig config;
    ServerOptions server;
    bool showHelp = false;
    bool showVersion = false;
    QString error; // set when the arguments cannot be used
};

CommandLine parseCommandLine(const QStringList &arguments);
QString helpText();

} // namespace printersim
