#pragma once

#include <QString>
#include <QStringView>

// How reply texts become field values.
namespace protocol {

// Decimal integer read as wcstol reads it: leading white space, an optional
// sign, digits up to the first other character; no digits gives 0; values
// beyond 32 bits saturate.
qint32 parseInteger(QStringView text);

// Printer dots to whole millimetres at the given resolution, truncated toward
// zero. Without a resolution (dpi 0 or less, as after a failed dpi query) the
// result is 0; results beyond 32 bits saturate.
qint32 dotsToMillimetres(qint32 dots, qint32 dpi);

// The cutter's compensation reply: every "dot" removed, blanks trimmed, then
// read as an integer.
qint32 parseCutBackLength(const QString &text);

} // namespace protocol
