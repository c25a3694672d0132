#pragma once

#include "protocol/ParameterTable.h"

#include <QString>

class QObject;
class QValidator;

// What the user may type into a parameter's field, and whether a text can go
// into the setting it belongs to.
namespace printer_options {

enum class EntryCheck {
    Fine,
    Empty,
    Malformed, // not a number, or not a dotted-decimal address
    Unquotable, // a double quote or a control character would break the quoted command
};

EntryCheck checkEntry(protocol::Entry entry, const QString &text);

// The validator that keeps an edit of this entry to what it accepts while
// typing (owned by parent), or null for free text.
QValidator *validatorFor(protocol::Entry entry, QObject *parent);

} // namespace printer_options
