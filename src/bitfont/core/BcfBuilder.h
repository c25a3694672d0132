#pragma once

#include "bitfont/core/SourceText.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <pugixml.hpp>

class CFreeTypeFont;

// What the glyph copies in the ranges of a BCF document hold.
enum class BcfGlyphCopy {
    Whole, // the complete glyph element plus "BitFont2" (for the viewer)
    RecordOnly, // only "charcode" and "BitFont2": all the bytes need, far less memory
};

// Appends (or reuses) the root "BCF" of document and fills it with the ranges
// of font's glyphs, each glyph copy carrying its trimmed "BitFont2" record.
void buildBcfDocument(
    const CFreeTypeFont &font, pugi::xml_document &document, int nullCount, BcfGlyphCopy copy = BcfGlyphCopy::Whole);

// The byte buffer's limit.
constexpr qint64 maxBcfBytes = 524288000;

// Appends the BCF bytes of document's "BCF" root to bytes and sets "totalchar"
// and "validchar" on it. Refuses (false, nothing appended, a log line) when
// the file would exceed limit bytes or a glyph's data does not fit its 16-bit
// length field.
bool writeBcfBytes(
    pugi::xml_document &document, const CFreeTypeFont &font, QByteArray &bytes, qint64 limit = maxBcfBytes);

struct BcfSummary {
    int rangeCount = 0;
    int totalChar = 0;
    int validChar = 0;
    QList<QPair<unsigned, unsigned>> ranges;
};
BcfSummary summarizeBcf(const pugi::xml_document &document);

// The export report, its two texts translated by translate.
QString exportReportText(const BcfSummary &summary, const TranslateText &translate = {});
