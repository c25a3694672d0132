#pragma once

#include <QString>
#include <QtGlobal>

#include <pugixml.hpp>

// The project file: the document as tab-indented XML with CR LF line ends,
// " />" for empty elements and the declaration on the first line.
namespace projectfile {

enum class Result { Ok, CannotOpen, CannotRead, TooLarge, ParseError, CannotWrite };

// One glyph list and one glyph per code 0..65535: no font of the tool has more.
inline constexpr qint64 maxGlyphElements = 65536 + 1;
// Larger than any project the tool makes (65536 glyphs of 256 px).
inline constexpr qint64 maxFileBytes = qint64(2) << 30;

// Reads and parses the whole file into document, which is replaced only on
// success (on a parse error it is rebuilt from its own text, so names and
// values stay but node handles into it do not); detail receives the reason
// of a failure. A file over maxFileBytes, with more glyph elements than
// maxGlyphElements, or whose tree and BCF bytes together would take more
// than four times its size is refused (TooLarge) before it is parsed.
Result read(const QString &path, pugi::xml_document &document, QString *detail = nullptr);
// Writes through a temporary file that replaces path only when complete.
Result write(const pugi::xml_document &document, const QString &path, QString *detail = nullptr);

// The exact bytes write() puts in a file (for tests and the viewer).
QByteArray toBytes(const pugi::xml_document &document);

} // namespace projectfile
