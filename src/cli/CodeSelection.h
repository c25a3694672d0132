#pragma once

#include <QString>

#include <optional>
#include <vector>

// Which character codes a font build keeps: 65536 entries, one per code.
namespace cli {

// The characters of text (line breaks and tabs ignored). A character beyond
// U+FFFF has no code in a BCF: refused with why in error.
std::optional<std::vector<bool>> codesOfText(const QString &text, QString *error);

// "0x20-0x7E,0x4E00-0x9FFF,65": codes and inclusive ranges, hex with 0x or
// decimal.
std::optional<std::vector<bool>> codesOfRanges(const QString &text, QString *error);

struct FontCoverage {
    int codes = 0; // codes 0..65535 the font has a glyph for
};
FontCoverage fontCoverage(const QString &path);

} // namespace cli
