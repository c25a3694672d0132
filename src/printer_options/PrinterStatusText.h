#pragma once

#include <QString>

namespace printer_options {

// The printer's state from its status byte, in the current language: "未连接"
// before any answer (-1), "正常" for 0, otherwise one word per set bit from
// bit 0 upward, each followed by a blank (bit 6 has no word, only the blank).
QString statusText(qint32 statusByte);

// What the status field shows after a status query: a query that went
// unanswered means the printer is not reachable now, whatever byte an
// earlier answer left in the record.
QString statusTextAfterQuery(bool answered, qint32 statusByte);

} // namespace printer_options
