#pragma once

#include <QString>
#include <QStringList>

// ostrel-cli: the printer's service exchanges and the font build without a
// window, through the same port object and jobs as the window program.
namespace cli {

// The documented exit codes.
enum Exit : int {
    Success = 0,
    LocalFailure = 1, // a file on this computer could not be written or read
    BadInput = 2, // arguments, files or values that cannot be used; nothing was sent
    NoPrinter = 3, // no printer found, connected or answering
    Refused = 4, // the printer answered with an error
    Differs = 5, // diff: the printer's settings differ from the snapshot
};

// Runs one command line (without the program name); output on standard
// output, errors and progress on standard error.
int run(const QStringList &arguments);

// The text of --help for the whole program, which the manual page is made from.
QString programHelp();

} // namespace cli
