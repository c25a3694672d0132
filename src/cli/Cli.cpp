#include "cli/Cli.h"

#include "bitfont/core/CFreeTypeFont.h"
#include "bitfont/core/FontActions.h"
#include "bitfont/core/OutlineRasterizer.h"
#include "cli/CodeSelection.h"
#include "cli/English.h"
#include "cli/ParameterJson.h"
#include "cli/SettingFilterPort.h"
#include "connection/CDeviceInterface.h"
#include "connection/NetworkSearchRun.h"
#include "connection/TrafficLog.h"
#include "file_manager/jobs/FileManagerJobs.h"
#include "platform/AtomicSave.h"
#include "platform/LocalAddresses.h"
#include "protocol/CommandChannel.h"
#include "protocol/ParameterCatalogue.h"
#include "protocol/ParameterPasses.h"
#include "protocol/PrinterParameters.h"
#include "protocol/StorageCommands.h"
#include "upgrade/job/UpgradeJob.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMutex>
#include <QThread>
#include <QTimer>

#include "ostrel/Version.h"

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <unistd.h>

namespace cli {

namespace {

void writeOut(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void writeErr(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

// Progress as a percentage on standard error, only when that is a terminal.
class TerminalProgress : public jobs::JobProgress
{
public:
    explicit TerminalProgress(QString label)
        : m_label(std::move(label))
        , m_shown(isatty(STDERR_FILENO) != 0)
    { }
    ~TerminalProgress() override
    {
        if (m_shown && m_percent >= 0)
            writeErr(QStringLiteral("\n"));
    }
    void setMinimum(qint32 minimum) override { m_minimum = minimum; }
    void setMaximum(qint32 maximum) override { m_maximum = maximum; }
    void setPosition(qint32 position) override
    {
        if (!m_shown || m_maximum <= m_minimum)
            return;
        const int percent = int(qint64(position - m_minimum) * 100 / (m_maximum - m_minimum));
        if (percent == m_percent)
            return;
        m_percent = percent;
        writeErr(QStringLiteral("\r%1 %2%").arg(m_label).arg(std::min(percent, 100)));
    }
    bool cancelRequested() const override { return false; }

private:
    QString m_label;
    bool m_shown;
    qint32 m_minimum = 0;
    qint32 m_maximum = 0;
    int m_percent = -1;
};

struct Option {
    const char *name;
    const char *value; // nullptr: a switch
    const char *help;
};

struct Context;
struct Command {
    const char *name; // "font build" is two words on the command line
    const char *arguments; // the synopsis after the name
    const char *summary;
    bool needsPrinter;
    QList<Option> options;
    int minPositional;
    int maxPositional;
    int (*run)(Context &, const QCommandLineParser &);
};

struct Context {
    CDeviceInterface port;
    PortSettings settings;
    bool portGiven = false;
    // The network client logs from threads of its own (connecting, reconnecting).
    mutable QMutex logMutex;
    QString lastLogLine;

    int fail(int code, const QString &message)
    {
        writeErr(QStringLiteral("ostrel-cli: %1\n").arg(message));
        return code;
    }
    // The reason the port object or a job logged last, for an error line.
    QString logged() const
    {
        QMutexLocker lock(&logMutex);
        return lastLogLine.section(QStringLiteral(" : "), 1);
    }
    void setLogged(const QString &entry)
    {
        QMutexLocker lock(&logMutex);
        lastLogLine = entry;
    }
};

const char *const portHelp = "--usb [ID] | --net IP";

int portFailure(Context &context, const QString &what)
{
    if (!context.port.IsOpen())
        return context.fail(NoPrinter, QStringLiteral("%1: the connection to the printer is gone").arg(what));
    return context.fail(NoPrinter, QStringLiteral("%1: the printer does not answer").arg(what));
}

std::optional<protocol::MemoryPlace> placeOption(const QCommandLineParser &parser, const QString &fallback)
{
    const QString word = parser.isSet(QStringLiteral("place")) ? parser.value(QStringLiteral("place")) : fallback;
    return protocol::placeOfWord(word.toUpper());
}

// ---- discovery ----

int runDiscover(Context &context, const QCommandLineParser &parser)
{
    bool ok = true;
    const double seconds
        = parser.isSet(QStringLiteral("timeout")) ? parser.value(QStringLiteral("timeout")).toDouble(&ok) : 3.0;
    if (!ok || seconds <= 0 || seconds > 60)
        return context.fail(BadInput, QStringLiteral("--timeout wants seconds between 0 and 60"));
    NetworkSearchRun search;
    if (parser.isSet(QStringLiteral("address")))
        search.setQueryAddress(parser.value(QStringLiteral("address")));
    int ports[2] = { NetworkSearchRun::printerPort, NetworkSearchRun::localPort };
    const char *const portOptions[2] = { "udp-port", "local-port" };
    for (int i = 0; i < 2; ++i) {
        if (!parser.isSet(QLatin1String(portOptions[i])))
            continue;
        ports[i] = parser.value(QLatin1String(portOptions[i])).toInt(&ok);
        if (!ok || ports[i] <= 0 || ports[i] > 65535)
            return context.fail(
                BadInput, QStringLiteral("--%1 wants a port number").arg(QLatin1String(portOptions[i])));
    }
    search.setPorts(ports[0], ports[1]);
    QList<PrinterInfo> found;
    QObject::connect(&search, &NetworkSearchRun::printerFound, [&found](const PrinterInfo &info) {
        for (const PrinterInfo &known : found) {
            if (known.ip == info.ip && known.mac == info.mac)
                return;
        }
        found.append(info);
    });
    const QStringList addresses = parser.isSet(QStringLiteral("local")) ? parser.values(QStringLiteral("local"))
                                                                        : platform::localIPv4Addresses();
    search.StartSearch(addresses);
    if (search.searcherCount() == 0)
        return context.fail(NoPrinter, QStringLiteral("discover: no local network address to search from"));
    QEventLoop listening;
    QTimer::singleShot(int(seconds * 1000), &listening, &QEventLoop::quit);
    listening.exec();
    search.StopSearch();
    if (parser.isSet(QStringLiteral("json"))) {
        QJsonArray list;
        for (const PrinterInfo &info : found) {
            list.append(QJsonObject { { QStringLiteral("name"), info.name }, { QStringLiteral("model"), info.model },
                { QStringLiteral("ip"), info.ip }, { QStringLiteral("mac"), info.mac },
                { QStringLiteral("firmware"), info.firmware }, { QStringLiteral("dhcp"), info.dhcp },
                { QStringLiteral("subnet"), info.subnet }, { QStringLiteral("gateway"), info.gateway } });
        }
        writeOut(QString::fromUtf8(QJsonDocument(list).toJson()));
    } else {
        const QString row = QStringLiteral("%1  %2  %3  %4  %5\n");
        writeOut(row.arg(QStringLiteral("NAME"), -16)
                     .arg(QStringLiteral("MODEL"), -12)
                     .arg(QStringLiteral("IP"), -15)
                     .arg(QStringLiteral("MAC"), -17)
                     .arg(QStringLiteral("FIRMWARE")));
        for (const PrinterInfo &info : found)
            writeOut(
                row.arg(info.name, -16).arg(info.model, -12).arg(info.ip, -15).arg(info.mac, -17).arg(info.firmware));
    }
    if (found.isEmpty())
        return context.fail(NoPrinter, QStringLiteral("discover: no printer answered within %1 s").arg(seconds));
    return Success;
}

// ---- printer commands ----

int runStatus(Context &context, const QCommandLineParser &)
{
    PrinterParameters params;
    if (!protocol::queryStatus(context.port, params))
        return portFailure(context, QStringLiteral("status"));
    writeOut(
        QStringLiteral("0x%1 %2\n").arg(params.statusByte, 2, 16, QLatin1Char('0')).arg(statusText(params.statusByte)));
    return Success;
}

int runFiles(Context &context, const QCommandLineParser &parser)
{
    QList<protocol::MemoryPlace> places { protocol::MemoryPlace::Dram, protocol::MemoryPlace::Flash,
        protocol::MemoryPlace::Card };
    if (parser.isSet(QStringLiteral("place"))) {
        const auto place = placeOption(parser, {});
        if (!place)
            return context.fail(BadInput, QStringLiteral("--place wants dram, flash or card"));
        places = { *place };
    }
    PrinterParameters params;
    int answered = 0;
    for (const protocol::MemoryPlace place : places) {
        // A place that does not answer (no card inserted) leaves the others to list.
        TerminalProgress progress(QStringLiteral("reading %1").arg(protocol::placeWord(place)));
        const file_manager::MemoryReadEnd end = file_manager::readMemory(context.port, params, place, progress);
        if (end == file_manager::MemoryReadEnd::ConnectionLost)
            break;
        if (end != file_manager::MemoryReadEnd::Complete)
            continue;
        ++answered;
        const auto [size, left, files] = [&]() -> std::tuple<qint32, qint32, QList<FileEntry>> {
            switch (place) {
            case protocol::MemoryPlace::Dram:
                return { params.dramTotal, params.dramFree, params.dramFiles };
            case protocol::MemoryPlace::Flash:
                return { params.flashTotal, params.flashFree, params.flashFiles };
            default:
                return { params.cardTotal, params.cardFree, params.cardFiles };
            }
        }();
        writeOut(QStringLiteral("%1 total %2 free %3\n").arg(protocol::placeWord(place)).arg(size).arg(left));
        for (const FileEntry &file : files)
            writeOut(QStringLiteral("  %1 %2\n").arg(file.name, -24).arg(file.size));
    }
    if (answered == 0)
        return portFailure(context, QStringLiteral("files"));
    return Success;
}

int download(Context &context, const QString &path, const QString &name, protocol::MemoryPlace place)
{
    TerminalProgress progress(QStringLiteral("sending %1").arg(name));
    const file_manager::DownloadOutcome outcome
        = file_manager::downloadFile(context.port, { path, protocol::placeWord(place), name }, progress);
    switch (outcome.status) {
    case file_manager::DownloadStatus::Sent:
        writeOut(QStringLiteral("%1: %2 bytes sent to %3\n")
                     .arg(name)
                     .arg(outcome.bytesSent)
                     .arg(protocol::placeWord(place)));
        return Success;
    case file_manager::DownloadStatus::NotSent:
        return context.fail(BadInput, QStringLiteral("put: %1").arg(context.logged()));
    case file_manager::DownloadStatus::ReadFailed:
        return context.fail(LocalFailure, QStringLiteral("put: %1 became shorter while it was sent").arg(path));
    case file_manager::DownloadStatus::WriteFailed:
        return context.fail(NoPrinter,
            QStringLiteral("put: the connection failed after %1 bytes of %2").arg(outcome.bytesSent).arg(name));
    case file_manager::DownloadStatus::Refused:
        return context.fail(Refused, QStringLiteral("put: the printer refused %1: %2").arg(name, outcome.reply));
    }
    return LocalFailure;
}

int runPut(Context &context, const QCommandLineParser &parser)
{
    const QString path = parser.positionalArguments().at(0);
    const auto place = placeOption(parser, QStringLiteral("FLASH"));
    if (!place)
        return context.fail(BadInput, QStringLiteral("--place wants dram, flash or card"));
    const QString name
        = parser.isSet(QStringLiteral("name")) ? parser.value(QStringLiteral("name")) : QFileInfo(path).fileName();
    return download(context, path, name, *place);
}

int runRm(Context &context, const QCommandLineParser &parser)
{
    const auto place = placeOption(parser, QStringLiteral("FLASH"));
    if (!place)
        return context.fail(BadInput, QStringLiteral("--place wants dram, flash or card"));
    const bool all = parser.isSet(QStringLiteral("all"));
    const QStringList names = parser.positionalArguments();
    if (all == !names.isEmpty())
        return context.fail(BadInput, QStringLiteral("rm wants a file name or --all"));
    const bool ok = all ? protocol::deleteAllFiles(context.port, *place)
                        : protocol::deleteFile(context.port, *place, names.first());
    if (!ok)
        return portFailure(context, QStringLiteral("rm"));
    return Success;
}

int runSend(Context &context, const QCommandLineParser &parser)
{
    QByteArray bytes;
    const QStringList texts = parser.positionalArguments();
    if (parser.isSet(QStringLiteral("hex"))) {
        if (!texts.isEmpty())
            return context.fail(BadInput, QStringLiteral("send wants a text or --hex, not both"));
        QString hex = parser.value(QStringLiteral("hex"));
        hex.remove(u' ');
        bytes = QByteArray::fromHex(hex.toLatin1());
        if (hex.isEmpty() || hex.size() % 2 != 0 || bytes.toHex().toUpper() != hex.toUpper().toLatin1())
            return context.fail(BadInput, QStringLiteral("--hex wants pairs of hex digits, such as 1B2151"));
    } else {
        if (texts.size() != 1)
            return context.fail(BadInput, QStringLiteral("send wants one text (or --hex)"));
        bytes = protocol::commandBytes(texts.first() + QStringLiteral("\r\n"));
    }
    context.port.DiscardInput();
    if (!protocol::sendBytes(context.port, bytes))
        return portFailure(context, QStringLiteral("send"));
    bool ok = true;
    const int waitMs = parser.isSet(QStringLiteral("wait")) ? parser.value(QStringLiteral("wait")).toInt(&ok) : 1000;
    if (!ok || waitMs < 0 || waitMs > 60000)
        return context.fail(BadInput, QStringLiteral("--wait wants milliseconds up to 60000"));
    if (waitMs > 0) {
        QByteArray reply(protocol::replyBufferSize, '\0');
        const qint32 got = context.port.Read(reply.data(), qint32(reply.size()), quint32(waitMs));
        if (got > 0)
            writeOut(protocol::replyText(QByteArrayView(reply.constData(), got)));
    }
    return Success;
}

int runClock(Context &context, const QCommandLineParser &parser)
{
    QDateTime when;
    if (parser.isSet(QStringLiteral("now")) == parser.isSet(QStringLiteral("set")))
        return context.fail(BadInput, QStringLiteral("clock wants --now or --set \"YYYY-MM-DD HH:MM:SS\""));
    if (parser.isSet(QStringLiteral("now"))) {
        when = QDateTime::currentDateTime();
    } else {
        when = QDateTime::fromString(parser.value(QStringLiteral("set")), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!when.isValid())
            return context.fail(BadInput, QStringLiteral("--set wants a time as \"YYYY-MM-DD HH:MM:SS\""));
    }
    const QDate date = when.date();
    const QTime time = when.time();
    if (!protocol::setClock(
            context.port, date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()))
        return portFailure(context, QStringLiteral("clock"));
    writeOut(QStringLiteral("clock set to %1\n").arg(when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
    return Success;
}

// ---- fonts ----

int runFontBuild(Context &context, const QCommandLineParser &parser)
{
    CFreeTypeFont font;
    font.ttfPath = parser.positionalArguments().at(0);
    bool ok = false;
    const int size = parser.value(QStringLiteral("size")).toInt(&ok);
    if (!parser.isSet(QStringLiteral("size")) || !ok || size < 1 || size > 1024)
        return context.fail(BadInput, QStringLiteral("font build wants --size between 1 and 1024 pixels"));
    if (!parser.isSet(QStringLiteral("bcf")))
        return context.fail(BadInput, QStringLiteral("font build wants --bcf OUT.bcf"));
    const int nullCount
        = parser.isSet(QStringLiteral("null-count")) ? parser.value(QStringLiteral("null-count")).toInt(&ok) : 5;
    if (!ok || nullCount < 0)
        return context.fail(BadInput, QStringLiteral("--null-count wants a number of 0 or more"));
    font.pixelWidth = font.pixelHeight = size;
    font.bcfPath = parser.value(QStringLiteral("bcf"));

    std::optional<std::vector<bool>> keep;
    QString error;
    const bool chars = parser.isSet(QStringLiteral("chars")) || parser.isSet(QStringLiteral("chars-file"));
    if (chars && parser.isSet(QStringLiteral("ranges")))
        return context.fail(BadInput, QStringLiteral("font build takes --chars or --ranges, not both"));
    if (parser.isSet(QStringLiteral("chars-file"))) {
        QFile file(parser.value(QStringLiteral("chars-file")));
        if (!file.open(QIODevice::ReadOnly))
            return context.fail(BadInput, QStringLiteral("cannot read %1").arg(file.fileName()));
        keep = codesOfText(QString::fromUtf8(file.readAll()) + parser.value(QStringLiteral("chars")), &error);
    } else if (chars) {
        keep = codesOfText(parser.value(QStringLiteral("chars")), &error);
    } else if (parser.isSet(QStringLiteral("ranges"))) {
        keep = codesOfRanges(parser.value(QStringLiteral("ranges")), &error);
    }
    if (!error.isEmpty())
        return context.fail(BadInput, error);

    {
        TerminalProgress progress(QStringLiteral("rendering"));
        if (!renderOutlineFont(font, progress, keep ? &*keep : nullptr))
            return context.fail(
                BadInput, QStringLiteral("%1 cannot be opened as a font at %2 px").arg(font.ttfPath).arg(size));
    }
    BcfSummary summary;
    if (!exportBcf(font, nullCount, summary))
        return context.fail(LocalFailure, QStringLiteral("font build: %1").arg(context.logged()));
    if (parser.isSet(QStringLiteral("project"))) {
        font.projectPath = parser.value(QStringLiteral("project"));
        if (!font.saveProject())
            return context.fail(LocalFailure, QStringLiteral("font build: %1").arg(context.logged()));
    }
    const qint64 bytes = QFileInfo(font.bcfPath).size();
    writeOut(QStringLiteral("%1: %2 bytes, %3 glyphs in %4 ranges\n")
                 .arg(font.bcfPath)
                 .arg(bytes)
                 .arg(summary.validChar)
                 .arg(summary.rangeCount));
    if (keep) {
        const FontCoverage coverage = fontCoverage(font.ttfPath);
        if (coverage.codes > summary.validChar && summary.validChar > 0) {
            // The full build's size is estimated from the glyphs kept: building it to know would cost the time saved.
            const qint64 full = 12 + qint64(coverage.codes) * (bytes - 12) / summary.validChar;
            writeOut(QStringLiteral(
                "kept %1 of the %2 codes the font maps; about %3 bytes (%4%) smaller than the whole font\n")
                         .arg(summary.validChar)
                         .arg(coverage.codes)
                         .arg(full - bytes)
                         .arg(100 - bytes * 100 / std::max<qint64>(full, 1)));
        }
    }
    return Success;
}

int runFontPut(Context &context, const QCommandLineParser &parser)
{
    const QString path = parser.positionalArguments().at(0);
    if (!parser.isSet(QStringLiteral("name")))
        return context.fail(BadInput, QStringLiteral("font put wants --name NAME"));
    const QString name = parser.value(QStringLiteral("name"));
    if (name.isEmpty() || !isDownloadableFontName(name))
        return context.fail(
            BadInput, QStringLiteral("the font name must not be empty nor hold a comma or a line break"));
    const auto place = placeOption(parser, QStringLiteral("FLASH"));
    if (!place)
        return context.fail(BadInput, QStringLiteral("--place wants dram, flash or card"));
    if (!path.endsWith(QLatin1String(".bcf"), Qt::CaseInsensitive) || QFileInfo(path).size() < 12)
        return context.fail(BadInput, QStringLiteral("%1 is not a BCF file (font build makes one)").arg(path));
    return download(context, path, name, *place);
}

// ---- parameters ----

int readPrinter(Context &context, PrinterParameters &params)
{
    TerminalProgress progress(QStringLiteral("reading"));
    const protocol::ReadPassOutcome outcome = protocol::readAllParameters(context.port, params, progress);
    using End = protocol::ReadPassOutcome::End;
    if (outcome.end == End::ConnectionLost || outcome.end == End::NoAnswer)
        return context.fail(NoPrinter, QStringLiteral("read: %1").arg(context.logged()));
    if (outcome.unanswered > 0)
        writeErr(QStringLiteral("ostrel-cli: %1 of %2 queries unanswered; their fields keep their defaults\n")
                     .arg(outcome.unanswered)
                     .arg(outcome.queries));
    return Success;
}

int runRead(Context &context, const QCommandLineParser &parser)
{
    PrinterParameters params;
    if (const int code = readPrinter(context, params); code != Success)
        return code;
    const QByteArray json = QJsonDocument(parametersToJson(params)).toJson();
    if (!parser.isSet(QStringLiteral("json"))) {
        writeOut(QString::fromUtf8(json));
        return Success;
    }
    const QString path = parser.value(QStringLiteral("json"));
    if (const QString reason = platform::saveAtomically(path, json); !reason.isEmpty())
        return context.fail(LocalFailure, QStringLiteral("cannot write %1: %2").arg(path, reason));
    return Success;
}

struct SnapshotRequest {
    ParameterSnapshot snapshot;
    QList<int> pages;
};

// The snapshot file and the pages of write and diff, checked before any port opens.
std::optional<SnapshotRequest> loadRequest(Context &context, const QCommandLineParser &parser, int &code)
{
    const QString path = parser.positionalArguments().at(0);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        code = context.fail(BadInput, QStringLiteral("cannot read %1").arg(path));
        return std::nullopt;
    }
    QString error;
    std::optional<ParameterSnapshot> snapshot = parametersFromJson(file.readAll(), &error);
    if (!snapshot) {
        code = context.fail(BadInput, QStringLiteral("%1: %2; nothing was sent").arg(path, error));
        return std::nullopt;
    }
    std::optional<QList<int>> pages
        = parser.isSet(QStringLiteral("pages")) ? parsePages(parser.value(QStringLiteral("pages"))) : defaultPages();
    if (!pages) {
        code = context.fail(BadInput, QStringLiteral("--pages wants page numbers 0 to 8, such as 0,1,3"));
        return std::nullopt;
    }
    return SnapshotRequest { std::move(*snapshot), std::move(*pages) };
}

bool openPort(Context &context);

int runWrite(Context &context, const QCommandLineParser &parser)
{
    int code = Success;
    const std::optional<SnapshotRequest> request = loadRequest(context, parser, code);
    if (!request)
        return code;
    const ParameterSnapshot &snapshot = request->snapshot;
    const bool dryRun = parser.isSet(QStringLiteral("dry-run"));
    // Which groups go out is the target's business: a dry run has none and
    // keeps the file's own conditions.
    PrinterParameters params = snapshot.params;
    if (!dryRun) {
        if (!context.portGiven)
            return context.fail(BadInput, QStringLiteral("write wants %1 (or --dry-run)").arg(QLatin1String(portHelp)));
        if (!openPort(context))
            return NoPrinter;
        PrinterParameters target;
        if (const int failed = readPrinter(context, target); failed != Success)
            return failed;
        params = withTargetConditions(snapshot, target);
    }
    SettingFilterPort port(dryRun ? nullptr : &context.port);
    for (const protocol::Setting setting : completeSettings(snapshot)) {
        if (const std::optional<QString> text = protocol::settingText(params, setting))
            port.allow(protocol::commandBytes(*text));
    }
    for (const int page : request->pages) {
        TerminalProgress progress(QStringLiteral("writing page %1").arg(page));
        if (!protocol::writePageParameters(port, params, page, progress).complete)
            return portFailure(context, QStringLiteral("write"));
    }
    if (dryRun) {
        const QByteArray bytes = port.recorded();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fflush(stdout);
    } else {
        writeErr(QStringLiteral("%1 settings sent\n").arg(port.passed()));
    }
    return Success;
}

int runDiff(Context &context, const QCommandLineParser &parser)
{
    int code = Success;
    const std::optional<SnapshotRequest> request = loadRequest(context, parser, code);
    if (!request)
        return code;
    if (!context.portGiven)
        return context.fail(BadInput, QStringLiteral("diff wants %1").arg(QLatin1String(portHelp)));
    if (!openPort(context))
        return NoPrinter;
    PrinterParameters params;
    if (const int failed = readPrinter(context, params); failed != Success)
        return failed;
    const QList<FieldDifference> found = differences(request->snapshot, params, request->pages);
    for (const FieldDifference &difference : found)
        writeOut(
            QStringLiteral("%1: file %2, printer %3\n").arg(difference.field, difference.inFile, difference.onPrinter));
    return found.isEmpty() ? Success : Differs;
}

// ---- firmware ----

// OSTREL_UPGRADE_WAIT_PERCENT shortens every pause of the upgrade for the
// simulated printer, which needs none of a printer's time.
upgrade::UpgradeWaits upgradeWaits()
{
    upgrade::UpgradeWaits waits;
    bool ok = false;
    const int percent = qEnvironmentVariableIntValue("OSTREL_UPGRADE_WAIT_PERCENT", &ok);
    if (!ok || percent < 1 || percent >= 100)
        return waits;
    for (int *ms : { &waits.bootEnterMs, &waits.bootSearchIntervalMs, &waits.openRetryMs, &waits.openRetryIntervalMs,
             &waits.queryPauseMs, &waits.erasePauseMs, &waits.blockPauseMs, &waits.verifyPauseMs, &waits.comeBackPollMs,
             &waits.comeBackLimitMs })
        *ms = std::max(1, *ms * percent / 100);
    waits.replyWaitMs = std::max(1000u, waits.replyWaitMs * quint32(percent) / 100);
    return waits;
}

int upgradeExitCode(const upgrade::UpgradeOutcome &outcome)
{
    using upgrade::UpgradeStep;
    switch (outcome.result) {
    case upgrade::UpgradeResult::UpgradedAndBack:
        return Success;
    case upgrade::UpgradeResult::UpgradedNotBack:
        return NoPrinter;
    case upgrade::UpgradeResult::Failed:
        break;
    }
    switch (outcome.step) {
    case UpgradeStep::PortKind:
    case UpgradeStep::LoadFile:
        return BadInput;
    case UpgradeStep::BootMode:
    case UpgradeStep::OpenBootPort:
    case UpgradeStep::ComeBack:
        return NoPrinter;
    case UpgradeStep::Query:
    case UpgradeStep::Erase:
    case UpgradeStep::WriteBlock:
    case UpgradeStep::Verify:
    case UpgradeStep::Checksum:
        return Refused;
    }
    return Refused;
}

int runUpgrade(Context &context, const QCommandLineParser &parser)
{
    upgrade::UpgradeEnvironment environment = upgrade::systemEnvironment(context.port, context.settings);
    environment.translate = english;
    environment.waits = upgradeWaits();
    jobs::JobContext job;
    upgrade::UpgradeOutcome outcome;
    std::atomic<bool> done = false;
    // The job blocks its thread; this one keeps the port's events going and shows the blocks written.
    std::unique_ptr<QThread> thread(QThread::create([&] {
        outcome = upgrade::runUpgrade(parser.positionalArguments().at(0), environment, job);
        done = true;
    }));
    thread->start();
    {
        TerminalProgress progress(QStringLiteral("upgrading"));
        while (!done) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(20);
            const jobs::ProgressSnapshot snapshot = job.progress();
            if (snapshot.minimum && snapshot.maximum && snapshot.position) {
                progress.setMinimum(*snapshot.minimum);
                progress.setMaximum(*snapshot.maximum);
                progress.setPosition(*snapshot.position);
            }
        }
    }
    thread->wait();
    const int code = upgradeExitCode(outcome);
    if (code != Success)
        return context.fail(code, QStringLiteral("upgrade: %1").arg(outcome.statusText));
    writeOut(outcome.statusText + QLatin1Char('\n'));
    return Success;
}

const QList<Option> placeOptionList { { "place", "dram|flash|card", "Memory place (default flash)." } };
const QList<Option> pagesOptionList { { "pages", "LIST",
    "Options pages, such as 0,1,3 (default all but 4, the wired network)." } };

const QList<Command> commands {
    { "discover", "[--timeout S] [--json]",
        "List the printers that answer network discovery (name, model, IP, MAC, firmware).", false,
        { { "timeout", "S", "Seconds to listen (default 3)." }, { "json", nullptr, "Print the list as JSON." },
            { "address", "IP", "Ask this address instead of broadcasting." },
            { "local", "IP", "Search from this local address only (may repeat)." },
            { "udp-port", "N", "The printers' discovery port (default 22368)." },
            { "local-port", "N", "The local port answers come back to (default 22369)." } },
        0, 0, runDiscover },
    { "status", "", "Print the printer's status byte and what it means.", true, {}, 0, 0, runStatus },
    { "files", "[--place dram|flash|card]", "List size, free space and files of each memory place.", true,
        { { "place", "dram|flash|card", "Only this place (default all three)." } }, 0, 0, runFiles },
    { "put", "FILE [--place P] [--name NAME]", "Download a file into the printer's memory.", true,
        placeOptionList + QList<Option> { { "name", "NAME", "Name in the printer (default the file's name)." } }, 1, 1,
        runPut },
    { "rm", "NAME|--all [--place P]", "Delete one file, or every file, of a memory place.", true,
        placeOptionList + QList<Option> { { "all", nullptr, "Delete every file of the place." } }, 0, 1, runRm },
    { "send", "TEXT|--hex HEX [--wait MS]",
        "Send a command line (CR LF is added) or raw bytes, and print what the printer answers.", true,
        { { "hex", "HEX", "Send these bytes exactly, such as 1B213F." },
            { "wait", "MS", "How long to wait for an answer (default 1000, 0: do not read)." } },
        0, 1, runSend },
    { "clock", "--now | --set TIME", "Set the printer's clock.", true,
        { { "now", nullptr, "To this computer's local time." },
            { "set", "TIME", "To TIME, as \"YYYY-MM-DD HH:MM:SS\"." } },
        0, 0, runClock },
    { "upgrade", "IMAGE.bin",
        "Upgrade the firmware of a USB printer from IMAGE.bin and wait for it to come back with the new version.", true,
        {}, 1, 1, runUpgrade },
    { "font build", "FONT.ttf --size N [--chars TEXT | --ranges R] --bcf OUT [--project OUT] [--null-count N]",
        "Render an outline font into a BCF file, optionally only the characters a label needs.", false,
        { { "size", "N", "Glyph size in pixels." }, { "chars", "TEXT", "Keep only the characters of TEXT." },
            { "chars-file", "FILE", "Keep only the characters of a UTF-8 text file." },
            { "ranges", "R", "Keep only these codes, such as 0x20-0x7E,0x4E00-0x9FFF." },
            { "bcf", "OUT", "The BCF file to write." }, { "project", "OUT", "Also save the font project." },
            { "null-count", "N", "Missing glyphs a range may hold (default 5)." } },
        1, 1, runFontBuild },
    { "font put", "OUT.bcf --name NAME [--place P]", "Download a BCF font into the printer.", true,
        placeOptionList + QList<Option> { { "name", "NAME", "The font's name in the printer." } }, 1, 1, runFontPut },
    { "read", "[--json FILE]", "Read every parameter and print it as JSON (or write it to FILE).", true,
        { { "json", "FILE", "Write the JSON snapshot to FILE." } }, 0, 0, runRead },
    { "write", "FILE.json [--pages LIST] [--dry-run]",
        "Write a snapshot's settings to the printer; fields the file does not hold are not sent.", false,
        pagesOptionList + QList<Option> { { "dry-run", nullptr, "Print the exact bytes instead of sending them." } }, 1,
        1, runWrite },
    { "diff", "FILE.json [--pages LIST]", "Read the printer and list the settings that differ from a snapshot.", false,
        pagesOptionList, 1, 1, runDiff },
};

QString usageLine(const Command &command)
{
    QString line = QStringLiteral("ostrel-cli ");
    if (command.needsPrinter || QLatin1String(command.name) == QLatin1String("write")
        || QLatin1String(command.name) == QLatin1String("diff"))
        line += QLatin1String(portHelp) + QLatin1Char(' ');
    line += QLatin1String(command.name);
    if (*command.arguments)
        line += QLatin1Char(' ') + QLatin1String(command.arguments);
    return line;
}

const char *const exitCodeHelp
    = "Exit status:\n"
      "  0  success\n"
      "  1  a file on this computer could not be read or written part-way\n"
      "  2  bad input (arguments, files, values out of range); nothing was sent\n"
      "  3  no printer: none found, connected or answering (upgrade: no boot mode, or not back)\n"
      "  4  the printer refused (answered with an error, or an upgrade step failed)\n"
      "  5  diff: the printer differs from the snapshot\n";

QString commandHelp(const Command &command)
{
    QString text
        = QStringLiteral("Usage: %1\n\n%2\n\nOptions:\n").arg(usageLine(command), QLatin1String(command.summary));
    for (const Option &option : command.options) {
        QString name = QStringLiteral("--%1").arg(QLatin1String(option.name));
        if (option.value)
            name += QLatin1Char(' ') + QLatin1String(option.value);
        text += QStringLiteral("  %1  %2\n").arg(name, -24).arg(QLatin1String(option.help));
    }
    text += QStringLiteral("  %1  %2\n").arg(QStringLiteral("--help"), -24).arg(QStringLiteral("This text."));
    return text + QLatin1Char('\n') + QLatin1String(exitCodeHelp);
}

// Opens the port named by --usb or --net; false after the error line.
bool openPort(Context &context)
{
    if (context.settings.kind == PortKind::Usb) {
        const QList<UsbPrinterEntry> printers = CDeviceInterface::ScanUsbPrinters();
        QList<UsbPrinterEntry> matching;
        for (const UsbPrinterEntry &entry : printers) {
            const QString &id = context.settings.usbDeviceId;
            if (id.isEmpty() || entry.hardwareId == id || entry.portName == id)
                matching.append(entry);
        }
        if (matching.isEmpty()) {
            context.fail(NoPrinter,
                context.settings.usbDeviceId.isEmpty()
                    ? QStringLiteral("no USB printer is plugged in (or its device node cannot be opened)")
                    : QStringLiteral("no USB printer %1 is plugged in").arg(context.settings.usbDeviceId));
            return false;
        }
        if (matching.size() > 1) {
            QStringList ids;
            for (const UsbPrinterEntry &entry : matching)
                ids.append(entry.portName + QLatin1Char(' ') + entry.hardwareId);
            context.fail(NoPrinter,
                QStringLiteral("%1 USB printers are plugged in; name one with --usb ID: %2")
                    .arg(matching.size())
                    .arg(ids.join(QStringLiteral(", "))));
            return false;
        }
        context.settings.usbDeviceId = matching.first().hardwareId;
    }
    if (!context.port.Open(context.settings)) {
        context.fail(NoPrinter, QStringLiteral("the printer port cannot be opened: %1").arg(context.logged()));
        return false;
    }
    QDeadlineTimer deadline(5000);
    while (!context.port.IsOpen() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(5);
    }
    if (!context.port.IsOpen()) {
        context.fail(NoPrinter,
            context.settings.kind == PortKind::Net
                ? QStringLiteral("no printer answers at %1 (TCP port 9100)").arg(context.settings.ipAddress)
                : QStringLiteral("the USB printer cannot be opened"));
        return false;
    }
    return true;
}

} // namespace

QString programHelp()
{
    QString text = QStringLiteral("Usage: ostrel-cli [--log] [--usb [ID] | --net IP] COMMAND [ARGUMENTS]\n\n"
                                  "Scripted service of thermal label printers: discovery, status, memory, "
                                  "parameters, fonts and firmware, without a window.\n\nCommands:\n");
    for (const Command &command : commands)
        text += QStringLiteral("  %1\n      %2\n").arg(usageLine(command), QLatin1String(command.summary));
    text += QStringLiteral("\nOptions:\n"
                           "  --usb [ID]   The USB printer: its hardware id or port name (lp0); without ID the one "
                           "plugged in.\n"
                           "  --net IP     The network printer at IP (TCP port 9100).\n"
                           "  --log        Print the traffic log on standard error as the window program shows it.\n"
                           "  --help       This text; COMMAND --help describes one command.\n"
                           "  --version    The program's version.\n\n");
    return text + QLatin1String(exitCodeHelp);
}

int run(const QStringList &arguments)
{
    Context context;
    bool log = false;
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!rest.isEmpty()) {
            rest.append(argument);
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            writeOut(programHelp());
            return Success;
        } else if (argument == QLatin1String("--version")) {
            writeOut(QStringLiteral("ostrel-cli %1\n").arg(QLatin1String(OSTREL_VERSION)));
            return Success;
        } else if (argument == QLatin1String("--log")) {
            log = true;
        } else if (argument == QLatin1String("--net")) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).startsWith(u'-'))
                return context.fail(BadInput, QStringLiteral("--net wants the printer's IP address"));
            context.settings.kind = PortKind::Net;
            context.settings.ipAddress = arguments.at(++i);
            context.portGiven = true;
        } else if (argument == QLatin1String("--usb")) {
            context.settings.kind = PortKind::Usb;
            context.portGiven = true;
            // The id is optional: anything that is not a command word is taken as one.
            if (i + 1 < arguments.size() && !arguments.at(i + 1).startsWith(u'-')) {
                const QString next = arguments.at(i + 1);
                const bool isCommand = std::any_of(commands.begin(), commands.end(), [&](const Command &c) {
                    return QLatin1String(c.name).startsWith(next + QLatin1Char(' ')) || next == QLatin1String(c.name);
                });
                if (!isCommand)
                    context.settings.usbDeviceId = arguments.at(++i);
            }
        } else if (argument.startsWith(u'-')) {
            return context.fail(BadInput, QStringLiteral("unknown option %1 (see ostrel-cli --help)").arg(argument));
        } else {
            rest.append(argument);
        }
    }
    if (rest.isEmpty())
        return context.fail(BadInput, QStringLiteral("no command given (see ostrel-cli --help)"));
    const Command *command = nullptr;
    for (const Command &candidate : commands) {
        const QStringList words = QString::fromLatin1(candidate.name).split(u' ');
        if (rest.mid(0, words.size()) == words) {
            command = &candidate;
            rest = rest.mid(words.size());
            break;
        }
    }
    if (!command)
        return context.fail(BadInput, QStringLiteral("unknown command %1 (see ostrel-cli --help)").arg(rest.first()));

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    parser.addOption(QCommandLineOption(QStringLiteral("help")));
    for (const Option &option : command->options) {
        if (option.value)
            parser.addOption(QCommandLineOption(
                QLatin1String(option.name), QLatin1String(option.help), QLatin1String(option.value)));
        else
            parser.addOption(QCommandLineOption(QLatin1String(option.name), QLatin1String(option.help)));
    }
    if (!parser.parse(QStringList { QStringLiteral("ostrel-cli") } + rest))
        return context.fail(BadInput, QStringLiteral("%1: %2").arg(QLatin1String(command->name), parser.errorText()));
    if (parser.isSet(QStringLiteral("help"))) {
        writeOut(commandHelp(*command));
        return Success;
    }
    const qsizetype positional = parser.positionalArguments().size();
    if (positional < command->minPositional || positional > command->maxPositional)
        return context.fail(BadInput, QStringLiteral("usage: %1").arg(usageLine(*command)));

    // Checked before the port opens: bad input sends nothing.
    if (parser.optionNames().contains(QStringLiteral("place")) && !placeOption(parser, {}))
        return context.fail(BadInput, QStringLiteral("--place wants dram, flash or card"));
    struct Listening {
        QMetaObject::Connection connection;
        ~Listening() { QObject::disconnect(connection); }
    } listening { QObject::connect(
        &TrafficLog::instance(), &TrafficLog::entryPosted, [&context, log](const QString &entry) {
            context.setLogged(entry);
            if (log)
                writeErr(entry + QLatin1Char('\n'));
        }) };
    if (command->needsPrinter) {
        if (!context.portGiven)
            return context.fail(
                BadInput, QStringLiteral("%1 wants %2").arg(QLatin1String(command->name), QLatin1String(portHelp)));
        if (!openPort(context))
            return NoPrinter;
    }
    const int code = command->run(context, parser);
    context.port.Close();
    return code;
}

} // namespace cli
