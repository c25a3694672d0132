#include "printer-sim/CommandLine.h"

#include <QCommandLineParser>

namespace printersim {
namespace {

struct Flag {
    const char *name;
    const char *description;
    void (*apply)(CommandLine &);
};

const Flag flags[] = {
    { "no-bluetooth", "The printer has no Bluetooth option.",
        [](CommandLine &c) { c.config.options.bluetooth = false; } },
    { "no-wifi", "The printer has no Wi-Fi option.", [](CommandLine &c) { c.config.options.wifi = false; } },
    { "no-ethernet", "The printer has no wired network option (and ignores discovery).",
        [](CommandLine &c) { c.config.options.ethernet = false; } },
    { "no-serial", "The printer has no serial port.", [](CommandLine &c) { c.config.options.serial = false; } },
    { "no-cutter", "The printer has no cutter.", [](CommandLine &c) { c.config.options.cutter = false; } },
    { "peeler", "The printer has a peeler.", [](CommandLine &c) { c.config.options.peeler = true; } },
    { "no-card", "No memory card is inserted.", [](CommandLine &c) { c.config.options.card = false; } },
    { "no-answer", "Fault: never answer anything, discovery included.",
        [](CommandLine &c) { c.config.faults.noAnswer = true; } },
    { "garbage", "Fault: scramble every reply (it loses its CR LF).",
        [](CommandLine &c) { c.config.faults.garbage = true; } },
    { "close-mid-transfer", "Fault: drop the connection half-way through every download or firmware block.",
        [](CommandLine &c) { c.config.faults.closeMidTransfer = true; } },
    { "fail-erase", "Fault: the boot loader reports every erase as failed.",
        [](CommandLine &c) { c.config.faults.failErase = true; } },
    { "wrong-verify-sum", "Fault: the boot loader's verify sum is one too high.",
        [](CommandLine &c) { c.config.faults.wrongVerifySum = true; } },
    { "fail-boot-query", "Fault: the boot loader refuses the parameter query.",
        [](CommandLine &c) { c.config.faults.failQuery = true; } },
    { "never-enter-boot", "Fault: the boot command restarts the printer, but not into boot mode.",
        [](CommandLine &c) { c.config.faults.neverEnterBoot = true; } },
    { "never-leave-boot", "Fault: the boot loader ignores its restart command.",
        [](CommandLine &c) { c.config.faults.neverLeaveBoot = true; } },
    { "short-sensor-reply", "Fault: SENSORCHECK answers 47 bytes instead of 48.",
        [](CommandLine &c) { c.config.faults.shortSensorReply = true; } },
    { "no-udp", "Do not answer discovery on UDP.", [](CommandLine &c) { c.server.udp = false; } },
    { "verbose", "Print every action of the printer on standard error.",
        [](CommandLine &c) { c.server.verbose = true; } },
};

struct Value {
    const char *name;
    const char *valueName;
    const char *description;
    // False when the value is unusable.
    bool (*apply)(CommandLine &, const QString &);
};

bool toInt(const QString &text, int min, int max, int &target)
{
    bool ok = false;
    const int value = text.toInt(&ok, 0);
    if (!ok || value < min || value > max)
        return false;
    target = value;
    return true;
}

const Value values[] = {
    { "address", "ip", "Loopback address to serve on (default 127.0.0.1).",
        [](CommandLine &c, const QString &v) {
            c.server.address = QHostAddress(v);
            c.config.identity.ipAddress = v.toLatin1();
            return !c.server.address.isNull() && c.server.address.isLoopback();
        } },
    { "port", "n", "TCP port (default 9100; 0 picks a free one).",
        [](CommandLine &c, const QString &v) {
            int port = 0;
            return toInt(v, 0, 65535, port) && (c.server.tcpPort = static_cast<quint16>(port), true);
        } },
    { "udp-port", "n", "UDP discovery port (default 22368; 0 picks a free one).",
        [](CommandLine &c, const QString &v) {
            int port = 0;
            return toInt(v, 0, 65535, port) && (c.server.udpPort = static_cast<quint16>(port), true);
        } },
    { "usb-sysfs", "dir", "Emulate a USB printer: a pseudo-terminal, announced in a sysfs-like tree under dir.",
        [](CommandLine &c, const QString &v) {
            c.server.usbSysfsRoot = v;
            return !v.isEmpty();
        } },
    { "usb-node", "name", "Name of the USB entry (default lp0).",
        [](CommandLine &c, const QString &v) {
            c.server.usbNode = v;
            return v.startsWith(QLatin1String("lp"));
        } },
    { "model", "text", "Model name (default OX-420T).",
        [](CommandLine &c, const QString &v) {
            c.config.identity.model = v.toLatin1();
            return !v.isEmpty();
        } },
    { "firmware", "text", "Firmware version (default V1.21).",
        [](CommandLine &c, const QString &v) {
            c.config.identity.version = v.toLatin1();
            return !v.isEmpty();
        } },
    { "serial", "text", "Serial number.",
        [](CommandLine &c, const QString &v) {
            c.config.identity.serial = v.toLatin1();
            return true;
        } },
    { "mac", "text", "MAC address in the discovery reply.",
        [](CommandLine &c, const QString &v) {
            c.config.identity.mac = v.toLatin1();
            return !v.isEmpty();
        } },
    { "name", "text", "Network name in the discovery reply.",
        [](CommandLine &c, const QString &v) {
            c.config.identity.netName = v.toLatin1();
            return true;
        } },
    { "dpi", "n", "Resolution: 203, 300 or 600 (default 203).",
        [](CommandLine &c, const QString &v) { return toInt(v, 100, 1200, c.config.identity.dpi); } },
    { "status", "byte", "Status byte answered to ESC ! ? (default 0; 0x05 = cover open, out of paper).",
        [](CommandLine &c, const QString &v) {
            int status = 0;
            return toInt(v, 0, 255, status) && (c.config.statusByte = static_cast<quint8>(status), true);
        } },
    { "sensor-reply", "hex", "SENSORCHECK answers these bytes (hex digits) instead of drifting readings.",
        [](CommandLine &c, const QString &v) {
            const QByteArray hex = v.toLatin1();
            c.config.faults.sensorReply = QByteArray::fromHex(hex);
            return !hex.isEmpty() && hex.size() % 2 == 0 && c.config.faults.sensorReply.toHex() == hex.toLower();
        } },
    { "slow", "ms", "Fault: every reply leaves this many milliseconds late.",
        [](CommandLine &c, const QString &v) { return toInt(v, 0, 600000, c.config.faults.answerDelayMs); } },
    { "fail-block", "n", "Fault: the boot loader refuses block n (counted from 0).",
        [](CommandLine &c, const QString &v) { return toInt(v, 0, 1 << 20, c.config.faults.failBlock); } },
    { "restart-delay", "ms", "Time away after ESC ! R (default 1500).",
        [](CommandLine &c, const QString &v) { return toInt(v, 0, 600000, c.config.timings.restartMs); } },
    { "boot-delay", "ms", "Time until the boot device appears after INIAP OXALBOOT (default 3000).",
        [](CommandLine &c, const QString &v) { return toInt(v, 0, 600000, c.config.timings.bootEnterMs); } },
    { "boot-leave-delay", "ms", "Time until the printer is back after the boot restart (default 3000).",
        [](CommandLine &c, const QString &v) { return toInt(v, 0, 600000, c.config.timings.bootLeaveMs); } },
    { "dram-kb", "n", "DRAM size in KB (default 1024).",
        [](CommandLine &c, const QString &v) { return toInt(v, 0, 1 << 22, c.config.memory.dramKb); } },
    { "flash-kb", "n", "FLASH size in KB (default 4096).",
        [](CommandLine &c, const QString &v) { return toInt(v, 0, 1 << 22, c.config.memory.flashKb); } },
    { "card-kb", "n", "Memory card size in KB (default 16384).",
        [](CommandLine &c, const QString &v) { return toInt(v, 0, 1 << 22, c.config.memory.cardKb); } },
};

const char *const about = R"(Simulated thermal label printer for Ostrel.

It emulates:
  - the command language: every parameter query and setting the program uses
    (a query after a setting reads the new value; SIZE in mm is kept in dots),
    the status byte (ESC ! ?), SENSORCHECK (48 reading bytes that drift over
    time), calibration, INITALPRINTER, SELFTEST, the clock lines, ESC ! C,
    ~ ! D and the restart ESC ! R;
  - storage: DRAM, FLASH and CARD with sizes and free space, DOWNLOAD, KILL,
    file lists ("name size" lines ending with an empty line);
  - discovery: "DIAGNOSTIC REPORT NETBROADCAST" on UDP gets the NET BROADCAST
    record; "NET DHCP" / "NET IP" datagrams change the network settings;
  - boot mode: "INIAP OXALBOOT" makes the printer leave and come back (after
    --boot-delay) as the boot device, which speaks the framed boot protocol
    (query, erase, write block, verify with the real sum, restart).
  - transports: TCP (default 127.0.0.1:9100), UDP discovery (22368) and, with
    --usb-sysfs, a USB printer: a raw pseudo-terminal announced in a
    sysfs-like tree (point the program at it with OSTREL_SYSFS_ROOT=dir).

Where it departs from a real printer:
  - it serves only loopback addresses; a NET IP to a loopback address moves
    its listeners there (discovery is still heard on the starting address,
    where the program asks), any other address is stored and reported only;
  - nothing is printed; SELFTEST only sets the "printing" status bit for two
    seconds and adds the label to the mileage;
  - HEX mode (~ ! D) and ESC ! C are recorded, but commands keep working;
  - a restart or boot-mode change keeps TCP connections and the USB device
    node; the USB entry disappears while the printer is away and reappears
    with the new identity;
  - the boot loader listens on USB only; a firmware image may announce its
    version as "FWVERSION:<text>", which the printer reports after restart;
  - INITALPRINTER restores the media settings but keeps the serial, network,
    Bluetooth and Wi-Fi settings;
  - a download to a full place is refused with the line "ERROR: <PLACE> FULL"
    (and "ERROR: NO CARD" without a card), which the program does not read.
)";

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine result;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    for (const Flag &flag : flags)
        parser.addOption(QCommandLineOption(QString::fromLatin1(flag.name), QString::fromLatin1(flag.description)));
    for (const Value &value : values)
        parser.addOption(QCommandLineOption(QString::fromLatin1(value.name), QString::fromLatin1(value.description),
            QString::fromLatin1(value.valueName)));
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        result.showHelp = true;
        return result;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        result.showVersion = true;
        return result;
    }
    for (const Flag &flag : flags) {
        if (parser.isSet(QString::fromLatin1(flag.name)))
            flag.apply(result);
    }
    for (const Value &value : values) {
        const QString name = QString::fromLatin1(value.name);
        if (parser.isSet(name) && !value.apply(result, parser.value(name))) {
            result.error = QStringLiteral("unusable value for --%1: %2").arg(name, parser.value(name));
            return result;
        }
    }
    return result;
}

QString helpText()
{
    QString text = QString::fromLatin1(about) + QStringLiteral("\nUsage: ostrel-printer-sim [options]\n\nOptions:\n");
    text += QStringLiteral("  --help  Show this text.\n");
    text += QStringLiteral("  --version  Show the version.\n");
    for (const Value &value : values)
        text += QStringLiteral("  --%1 <%2>  %3\n")
                    .arg(QString::fromLatin1(value.name), QString::fromLatin1(value.valueName),
                        QString::fromLatin1(value.description));
    for (const Flag &flag : flags)
        text += QStringLiteral("  --%1  %2\n")
                    .arg(QString::fromLatin1(flag.name), QString::fromLatin1(flag.description));
    return text;
}

} // namespace printersim
