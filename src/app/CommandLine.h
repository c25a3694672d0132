#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The window program reads --help, --version and --font-tool; Qt's own options
// (-platform, -style, ...) are taken by QApplication before the rest is checked.
namespace commandline {

// Answers --help or --version on standard output before any window system is
// touched (so both work without a display); returns the exit code then.
std::optional<int> answerInformationOptions(int argc, char **argv);

// The arguments QApplication left; an empty text when they are all known,
// otherwise the message for standard error.
QString checkRemainingArguments(const QStringList &arguments);

// --font-tool: the window opens on the bitmap font page, whose tab button is hidden.
inline constexpr char fontToolOption[] = "font-tool";
bool fontToolRequested(const QStringList &arguments);

} // namespace commandline
