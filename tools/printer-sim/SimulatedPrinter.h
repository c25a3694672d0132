#pragma once

#include "printer-sim/BootLoader.h"
#include "printer-sim/FileStore.h"
#include "printer-sim/ParameterCommands.h"
#include "printer-sim/PrinterSettings.h"
#include "printer-sim/SimConfig.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>

#include <optional>

namespace printersim {

enum class PrinterMode {
    Normal, // speaks the command language
    Restarting, // away after ESC ! R
    EnteringBoot, // away after INIAP OXALBOOT
    Boot, // the boot loader, framed protocol
    LeavingBoot // away after the boot restart command
};

// The printer itself, without any transport: commands in, replies out. Time is
// passed in by the caller (milliseconds on any steady clock), so tests can
// drive it without waiting. Connections parse their own byte streams with
// PrinterSession and share one printer.
class SimulatedPrinter
{
public:
    explicit SimulatedPrinter(SimConfig config = {});

    // Live switches; changing them takes effect at the next command.
    FaultSwitches &faults() { return m_config.faults; }
    const SimConfig &config() const { return m_config; }
    void setStatusByte(quint8 status) { m_config.statusByte = status; }

    // Completes the mode changes that are due by nowMs.
    void advance(qint64 nowMs);
    PrinterMode mode() const { return m_mode; }
    bool isPresent() const { return m_mode == PrinterMode::Normal || m_mode == PrinterMode::Boot; }
    // Changes whenever the printer leaves or comes back; connections drop what
    // they had buffered then.
    quint64 generation() const { return m_generation; }
    std::optional<qint64> nextChangeMs() const { return m_changeAt; }
    // The IEEE 1284 device id the USB port shows now; empty while away.
    QByteArray ieee1284Id() const;

    // Command language. Each returns the reply bytes, if the printer answers.
    std::optional<QByteArray> executeLine(const QByteArray &line, qint64 nowMs);
    std::optional<QByteArray> executeEscape(char code, qint64 nowMs); // ESC ! code
    void enterHexMode();
    std::optional<QByteArray> storeDownload(Place place, const QByteArray &name, const QByteArray &data);
    std::optional<QByteArray> executeBootFrame(const BootFrame &frame, bool sumMatches, qint64 nowMs);

    // UDP discovery port: the discovery record for the query, nothing for
    // the NET settings datagrams (which are applied) and anything else.
    std::optional<QByteArray> answerDatagram(const QByteArray &datagram, qint64 nowMs);
    QByteArray discoveryRecord() const;

    // Inspection for tests and the console.
    const PrinterSettings &settings() const { return m_settings; }
    const FileStore &store() const { return m_store; }
    const Counters &counters() const { return m_counters; }
    const Identity &identity() const { return m_config.identity; }
    const BootLoader &bootLoader() const { return m_bootLoader; }
    quint8 statusByte(qint64 nowMs) const;
    QDateTime clockAt(qint64 nowMs) const;
    bool ignoresAutoBas() const { return m_ignoreAutoBas; }
    bool hexMode() const { return m_hexMode; }
    // Every action the printer carried out, in order ("SELFTEST", "RESTART", ...).
    // Only the latest ones are kept; actionsRecorded() counts all of them.
    const QList<QByteArray> &actions() const { return m_actions; }
    qint64 actionsRecorded() const { return m_actionsRecorded; }

private:
    void record(const QByteArray &action);
    void leave(PrinterMode away, qint64 untilMs);
    void comeBack();
    bool executeAction(const QByteArray &upperLine, qint64 nowMs);
    bool setClock(const QByteArray &upperLine, qint64 nowMs);
    std::optional<QByteArray> kill(const QByteArray &line);
    void printSelfTest(qint64 nowMs);

    SimConfig m_config;
    PrinterSettings m_settings;
    FileStore m_store;
    Counters m_counters;
    BootLoader m_bootLoader;
    PrinterMode m_mode = PrinterMode::Normal;
    std::optional<qint64> m_changeAt;
    quint64 m_generation = 0;
    QDateTime m_clockBase;
    qint64 m_clockSetAtMs = 0;
    qint64 m_printingUntilMs = -1;
    bool m_ignoreAutoBas = false;
    bool m_hexMode = false;
    QList<QByteArray> m_actions;
    qint64 m_actionsRecorded = 0;
};

// The firmware version an image announces with "FWVERSION:" followed by the
// version text; empty when it announces none.
QByteArray firmwareVersionOfImage(const QByteArray &image);

} // namespace printersim
