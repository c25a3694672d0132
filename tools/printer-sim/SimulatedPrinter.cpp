#include "printer-sim/SimulatedPrinter.h"

#include "printer-sim/SensorReadings.h"

#include <QRegularExpression>

namespace printersim {
namespace {

constexpr qsizetype maxRecordedActions = 10000;
constexpr quint8 printingBit = 0x20;

QByteArray ieee1284(const QByteArray &manufacturer, const QByteArray &commands, const QByteArray &model)
{
    return "MFG:" + manufacturer + ";CMD:" + commands + ";MDL:" + model + ";CLS:PRINTER;";
}

} // namespace

QByteArray firmwareVersionOfImage(const QByteArray &image)
{
    static const QByteArray marker("FWVERSION:");
    const qsizetype at = image.indexOf(marker);
    if (at < 0)
        return {};
    QByteArray version;
    for (qsizetype i = at + marker.size(); i < image.size() && version.size() < 32; ++i) {
        const auto c = static_cast<quint8>(image[i]);
        if (c <= 0x20 || c >= 0x7F || c == ';')
            break;
        version.append(static_cast<char>(c));
    }
    return version;
}

SimulatedPrinter::SimulatedPrinter(SimConfig config)
    : m_config(std::move(config))
    , m_store(m_config.memory, m_config.options.card)
    , m_clockBase(m_config.clockStart)
{
    m_settings.media = defaultMediaSettings(m_config.identity.dpi);
    m_settings.link.netIp = m_config.identity.ipAddress;
    m_settings.link.netGateway = m_config.identity.ipAddress;
}

void SimulatedPrinter::record(const QByteArray &action)
{
    if (m_actions.size() >= maxRecordedActions)
        m_actions.removeFirst();
    m_actions.append(action);
    ++m_actionsRecorded;
}

QByteArray SimulatedPrinter::ieee1284Id() const
{
    const Identity &id = m_config.identity;
    switch (m_mode) {
    case PrinterMode::Normal:
        return ieee1284(id.usbManufacturer, "TSPL,ZPL", id.model);
    case PrinterMode::Boot:
        return ieee1284(id.bootManufacturer, "BOOT", id.bootModel);
    default:
        return {};
    }
}

void SimulatedPrinter::leave(PrinterMode away, qint64 untilMs)
{
    m_mode = away;
    m_changeAt = untilMs;
    ++m_generation;
}

void SimulatedPrinter::advance(qint64 nowMs)
{
    if (m_changeAt && nowMs >= *m_changeAt)
        comeBack();
}

void SimulatedPrinter::comeBack()
{
    m_changeAt.reset();
    ++m_generation;
    if (m_mode == PrinterMode::EnteringBoot) {
        m_bootLoader.reset();
        m_mode = PrinterMode::Boot;
        record("BOOT MODE");
        return;
    }
    if (m_mode == PrinterMode::LeavingBoot && m_bootLoader.imageComplete()) {
        const QByteArray version = firmwareVersionOfImage(m_bootLoader.writtenImage());
        if (!version.isEmpty())
            m_config.identity.version = version;
        record("FIRMWARE " + m_config.identity.version);
    }
    // Whatever way the printer went down, it starts afresh: DRAM is volatile.
    m_store.removeAll(Place::Dram);
    m_ignoreAutoBas = false;
    m_hexMode = false;
    m_printingUntilMs = -1;
    m_mode = PrinterMode::Normal;
    record("READY");
}

quint8 SimulatedPrinter::statusByte(qint64 nowMs) const
{
    return m_config.statusByte | (nowMs < m_printingUntilMs ? printingBit : 0);
}

QDateTime SimulatedPrinter::clockAt(qint64 nowMs) const
{
    return m_clockBase.addMSecs(nowMs - m_clockSetAtMs);
}

std::optional<QByteArray> SimulatedPrinter::executeLine(const QByteArray &line, qint64 nowMs)
{
    advance(nowMs);
    if (m_mode != PrinterMode::Normal)
        return std::nullopt;
    const QByteArray trimmed = line.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    const QByteArray upper = trimmed.toUpper();
    const PrinterView view { m_config.identity, m_config.options, m_settings, m_store, m_counters };
    if (auto reply = answerQuery(trimmed, view))
        return *reply + "\r\n";
    if (upper == "SENSORCHECK") {
        QByteArray readings = m_config.faults.sensorReply.isEmpty() ? sensorReadings(nowMs, m_settings.media.sensorMode)
                                                                    : m_config.faults.sensorReply;
        if (m_config.faults.shortSensorReply)
            readings.truncate(47);
        return readings;
    }
    if (upper.startsWith("KILL "))
        return kill(trimmed);
    if (executeAction(upper, nowMs) || setClock(upper, nowMs))
        return std::nullopt;
    if (!applySetting(trimmed, m_settings, m_config.options, m_config.identity.dpi))
        record("IGNORED " + trimmed);
    return std::nullopt;
}

bool SimulatedPrinter::executeAction(const QByteArray &upperLine, qint64 nowMs)
{
    MediaSettings &media = m_settings.media;
    if (upperLine == "AUTODETECT" || upperLine == "GAPDETECT") {
        media.sensorMode = 0;
    } else if (upperLine == "BLINEDETECT") {
        media.sensorMode = 1;
    } else if (upperLine == "INITALPRINTER") {
        // Factory media settings; the links stay as they are, so the
        // connection that sent the command survives it.
        media = defaultMediaSettings(m_config.identity.dpi);
    } else if (upperLine == "SELFTEST") {
        printSelfTest(nowMs);
    } else if (upperLine == "INIAP OXALBOOT") {
        record(upperLine);
        const PrinterMode away = m_config.faults.neverEnterBoot ? PrinterMode::Restarting : PrinterMode::EnteringBoot;
        leave(away, nowMs + m_config.timings.bootEnterMs);
        return true;
    } else {
        return false;
    }
    record(upperLine);
    return true;
}

void SimulatedPrinter::printSelfTest(qint64 nowMs)
{
    m_printingUntilMs = nowMs + m_config.timings.selfTestMs;
    m_counters.mileageMm += qRound64(dotsToMillimetres(m_settings.media.paperHeightDots, m_config.identity.dpi));
    if (m_settings.media.printOut == 2 && m_config.options.cutter)
        ++m_counters.cuts;
}

bool SimulatedPrinter::setClock(const QByteArray &upperLine, qint64 nowMs)
{
    static const QRegularExpression clockLine(
        QStringLiteral("^(YEAR|MONTH|DATE|HOUR|MINUTE|SECOND)\\s*=\\s*(\\d{1,4})$"));
    const auto match = clockLine.match(QString::fromLatin1(upperLine));
    if (!match.hasMatch())
        return false;
    const QString field = match.captured(1);
    const int value = match.captured(2).toInt();
    const QDateTime now = clockAt(nowMs);
    QDate date = now.date();
    QTime time = now.time();
    const auto setDate = [&](int year, int month, int day) {
        const QDate first(year, month, 1);
        if (first.isValid())
            date = QDate(year, month, qMin(day, first.daysInMonth()));
    };
    if (field == QLatin1String("YEAR"))
        setDate(value < 100 ? 2000 + value : value, date.month(), date.day());
    else if (field == QLatin1String("MONTH"))
        setDate(date.year(), value, date.day());
    else if (field == QLatin1String("DATE"))
        setDate(date.year(), date.month(), qBound(1, value, date.daysInMonth()));
    else if (field == QLatin1String("HOUR") && value < 24)
        time.setHMS(value, time.minute(), time.second());
    else if (field == QLatin1String("MINUTE") && value < 60)
        time.setHMS(time.hour(), value, time.second());
    else if (field == QLatin1String("SECOND") && value < 60)
        time.setHMS(time.hour(), time.minute(), value);
    m_clockBase = QDateTime(date, time);
    m_clockSetAtMs = nowMs;
    record(upperLine);
    return true;
}

std::optional<QByteArray> SimulatedPrinter::kill(const QByteArray &line)
{
    // KILL <letter>,"<name>"
    const QByteArray args = line.mid(5).trimmed();
    std::optional<Place> place;
    if (args.size() >= 2 && args[1] == ',')
        place = FileStore::placeOfLetter(args.at(0));
    const QByteArray name = quotedText(args);
    if (!place.has_value() || name.isEmpty()) {
        record("IGNORED " + line);
        return std::nullopt;
    }
    if (name == "*.*") {
        m_store.removeAll(*place);
        record("KILL " + FileStore::placeWord(*place) + " *.*");
        return std::nullopt;
    }
    const bool removed = m_store.remove(*place, name);
    record("KILL " + FileStore::placeWord(*place) + ' ' + name);
    return QByteArray(removed ? "OK\r\n" : "FILE NOT FOUND\r\n");
}

std::optional<QByteArray> SimulatedPrinter::executeEscape(char code, qint64 nowMs)
{
    advance(nowMs);
    if (m_mode != PrinterMode::Normal)
        return std::nullopt;
    switch (code) {
    case '?':
        return QByteArray(1, static_cast<char>(statusByte(nowMs)));
    case 'C':
        m_ignoreAutoBas = true;
        record("IGNORE AUTO.BAS");
        return std::nullopt;
    case 'R':
        record("RESTART");
        leave(PrinterMode::Restarting, nowMs + m_config.timings.restartMs);
        return std::nullopt;
    default:
        record("IGNORED ESC !" + QByteArray(1, code));
        return std::nullopt;
    }
}

void SimulatedPrinter::enterHexMode()
{
    if (m_mode != PrinterMode::Normal)
        return;
    m_hexMode = true;
    record("HEX MODE");
}

std::optional<QByteArray> SimulatedPrinter::storeDownload(Place place, const QByteArray &name, const QByteArray &data)
{
    if (m_mode != PrinterMode::Normal)
        return std::nullopt;
    const QByteArray word = FileStore::placeWord(place);
    switch (m_store.store(place, name, data)) {
    case FileStore::StoreResult::Stored:
        record("DOWNLOAD " + word + ' ' + name + ' ' + QByteArray::number(data.size()));
        return std::nullopt;
    case FileStore::StoreResult::Full:
        record("DOWNLOAD REFUSED " + word + ' ' + name);
        return "ERROR: " + word + " FULL\r\n";
    case FileStore::StoreResult::Absent:
        record("DOWNLOAD REFUSED " + word + ' ' + name);
        return "ERROR: NO " + word + "\r\n";
    }
    return std::nullopt;
}

std::optional<QByteArray> SimulatedPrinter::executeBootFrame(const BootFrame &frame, bool sumMatches, qint64 nowMs)
{
    advance(nowMs);
    if (m_mode != PrinterMode::Boot)
        return std::nullopt;
    auto reply = m_bootLoader.handle(frame, sumMatches, m_config.faults);
    if (m_bootLoader.restartRequested() && m_config.faults.neverLeaveBoot) {
        record("BOOT RESTART IGNORED");
        m_bootLoader.reset();
    } else if (m_bootLoader.restartRequested()) {
        record("BOOT RESTART");
        leave(PrinterMode::LeavingBoot, nowMs + m_config.timings.bootLeaveMs);
    }
    return reply;
}

QByteArray SimulatedPrinter::discoveryRecord() const
{
    const LinkSettings &link = m_settings.link;
    const Identity &id = m_config.identity;
    return "NET BROADCAST,NET NAME:" + id.netName + ",MODEL:" + id.model + ",SOFT:" + id.version + ",DHCP "
        + (link.dhcp ? "ON" : "OFF") + ",IP ADDR:" + link.netIp + ",SUBNET:" + link.netMask
        + ",GATEWAY:" + link.netGateway + ",MAC:" + id.mac + "\r\n";
}

std::optional<QByteArray> SimulatedPrinter::answerDatagram(const QByteArray &datagram, qint64 nowMs)
{
    advance(nowMs);
    if (m_mode != PrinterMode::Normal || !m_config.options.ethernet)
        return std::nullopt;
    const QByteArray text = datagram.trimmed();
    const QByteArray upper = text.toUpper();
    if (upper == "DIAGNOSTIC REPORT NETBROADCAST")
        return discoveryRecord();
    if (upper.startsWith("NET ") && applySetting(text, m_settings, m_config.options, m_config.identity.dpi))
        record("UDP " + text);
    else
        record("IGNORED UDP " + text);
    return std::nullopt;
}

} // namespace printersim
