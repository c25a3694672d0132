#pragma once

#include "printer-sim/FileStore.h"
#include "printer-sim/PrinterSettings.h"
#include "printer-sim/SimConfig.h"

#include <QByteArray>

#include <optional>

namespace printersim {

struct Counters {
    qint64 mileageMm = 1523400;
    int cuts = 312;
};

// What a query may look at.
struct PrinterView {
    const Identity &identity;
    const PrinterOptions &options;
    const PrinterSettings &settings;
    const FileStore &store;
    const Counters &counters;
};

// The reply text (without its final CR LF) of a parameter, storage or option
// query; nothing when the line is no such query or the printer lacks the part
// that the query is about.
std::optional<QByteArray> answerQuery(const QByteArray &line, const PrinterView &printer);

// Applies a setting line. False when the line is no setting this table knows,
// or belongs to a part the printer lacks.
bool applySetting(const QByteArray &line, PrinterSettings &settings, const PrinterOptions &options, int dpi);

// The text between the first and the last double quote: the program does not
// escape quotes inside names and passwords, so they stay part of the text.
QByteArray quotedText(const QByteArray &arguments);
// The texts of a list such as "a","b","c".
QList<QByteArray> quotedTexts(const QByteArray &arguments);

} // namespace printersim
