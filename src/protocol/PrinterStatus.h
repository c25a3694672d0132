#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What the printer's status byte means, for every place that shows it.
namespace protocol {

// The status byte in the caller's language: `word` turns the language packs'
// id (the Chinese source text) into the text to show. One word for -1 (no
// answer yet: "not connected") or 0 ("normal"), otherwise one per set bit
// from bit 0 upward; bit 6 means nothing and gives an empty word.
QStringList statusWords(qint32 statusByte, const std::function<QString(const QString &source)> &word);

} // namespace protocol
