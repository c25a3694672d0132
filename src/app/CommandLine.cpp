#include "app/CommandLine.h"

#include "ostrel/Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstring>

namespace commandline {
namespace {

constexpr int exitOk = 0;

void describeProgram(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Service tool for thermal label printers: parameters, sensors, files, terminal, "
                       "firmware upgrade and bitmap fonts."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(
        QString::fromLatin1(fontToolOption), QStringLiteral("Open the window on the bitmap font tool.")));
}

bool isInformationOption(const char *argument)
{
    for (const char *name : { "-h", "--help", "-?", "--help-all", "-v", "--version" }) {
        if (std::strcmp(argument, name) == 0)
            return true;
    }
    return false;
}

} // namespace

std::optional<int> answerInformationOptions(int argc, char **argv)
{
    bool asked = false;
    for (int i = 1; i < argc && !asked; ++i)
        asked = isInformationOption(argv[i]);
    if (!asked)
        return std::nullopt;

    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ostrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(OSTREL_VERSION));
    QCommandLineParser parser;
    describeProgram(parser);
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("ostrel %s\n", OSTREL_VERSION);
        return exitOk;
    }
    std::fputs(qPrintable(parser.helpText()), stdout);
    return exitOk;
}

QString checkRemainingArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    describeProgram(parser);
    if (!parser.parse(arguments))
        return parser.errorText();
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first());
    return {};
}

bool fontToolRequested(const QStringList &arguments)
{
    QCommandLineParser parser;
    describeProgram(parser);
    return parser.parse(arguments) && parser.isSet(QString::fromLatin1(fontToolOption));
}

} // namespace commandline
