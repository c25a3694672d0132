#pragma once

#include <QString>

namespace cli {

// A message from its Chinese source text, as the English language pack of
// the window program has it; the source itself when the pack has no text.
QString english(const QString &source);

} // namespace cli
