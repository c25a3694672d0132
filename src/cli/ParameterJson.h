#pragma once

#include "protocol/ParameterCatalogue.h"
#include "protocol/PrinterParameters.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>

// The one place that maps the parameter record to the JSON of a snapshot and
// back: field names (a unit where one applies, "paperWidth_mm"), the checks a
// value must pass before it may be sent, and which setting and options page
// each writable field belongs to.
namespace cli {

// Printer fields a snapshot names, with the record they were read into.
struct ParameterSnapshot {
    PrinterParameters params;
    QSet<QString> present; // JSON names of the fields the file holds
    QSet<QString> groups; // names of the answered groups the file holds
};

// Every field the reading pass fills, the status byte with its text and the
// groups the printer answered.
QJsonObject parametersToJson(const PrinterParameters &params);

// Parses and checks a snapshot. Unknown fields, wrong types and values
// outside a setting's range are refused with one line naming the field;
// nothing of the record is then usable.
std::optional<ParameterSnapshot> parametersFromJson(const QByteArray &json, QString *error);

// The settings whose every field the snapshot holds; the others are not sent.
QList<protocol::Setting> completeSettings(const ParameterSnapshot &snapshot);

// The snapshot's record with the group conditions of the printer it is
// written to: a group goes out only when the target has it, and not when the
// file says its own printer lacked it (its values would be mere defaults).
PrinterParameters withTargetConditions(const ParameterSnapshot &snapshot, const PrinterParameters &target);

// Options pages a write or a diff covers when none are named: all but the
// wired network page, whose fixed address would make cloned printers collide.
QList<int> defaultPages();
// "0,3,7" into pages 0..8; nothing on a bad list.
std::optional<QList<int>> parsePages(const QString &text);

struct FieldDifference {
    QString field; // JSON name
    QString inFile;
    QString onPrinter;
};
// The writable fields of the given pages that the snapshot holds and whose
// value differs from the printer's.
QList<FieldDifference> differences(
    const ParameterSnapshot &snapshot, const PrinterParameters &printer, const QList<int> &pages);

// "Normal", or one text per set bit ("Cover opened Out of paper"); "Not
// connected" for -1.
QString statusText(qint32 statusByte);

} // namespace cli
