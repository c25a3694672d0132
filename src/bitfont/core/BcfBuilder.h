#pragma once

#include "bitfont/core/SourceText.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <pugixml.hpp>

class CFreeTypeFont;

// Appends (or reuses) the root "BCF" of document and fills it with the ranges
// of font's glyphs, each a copy of the whole glyph element plus its trimmed
// "BitFont2" record (what the viewer shows). Export and download take the
// bytes through buildBcfBytes instead.
void buildBcfDocument(const CFreeTypeFont &font, pugi::xml_document &document, int nullCount);

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

// The bytes writeBcfBytes gives for the document buildBcfDocument builds,
// taken straight from font's glyph elements without that document (which
// takes several times the memory of the font's own): appends them to bytes
// and fills summary. Refuses as writeBcfBytes does.
bool buildBcfBytes(
    const CFreeTypeFont &font, int nullCount, QByteArray &bytes, BcfSummary &summary, qint64 limit = maxBcfBytes);

// The export report, its two texts translated by translate.
QString exportReportText(const BcfSummary &summary, const TranslateText &translate = {});
