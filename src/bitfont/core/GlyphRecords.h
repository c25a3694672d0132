#pragma once

#include "bitfont/core/GlyphBitmap.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

#include <pugixml.hpp>

class CFreeTypeFont;

// The typed view of the font documents that the tab, the viewer and the
// editor work through, so that only the core knows element names.

// A glyph's "BitFont" cell as stored: the numbers as written, the bytes as
// decoded (empty when missing or damaged). The editor works on these, spare
// bits and odd pitches included.
struct GlyphCell {
    bool hasRecord = false;
    bool valid = false;
    int width = 0;
    int height = 0;
    int pitch = 0;
    QByteArray bytes;

    // height x pitch in 64 bits; negative numbers give 0.
    qint64 expectedBytes() const;
    // The numbers are positive and the bytes hold every row.
    bool isComplete() const;
    // Pixel (x, y), 0 outside the rows or the bytes.
    bool pixel(int x, int y) const;
};

// One glyph element of a document (the font document or a BCF document's
// copy). Holds the element, never its "BitFont" child, which undo and redo
// replace.
class GlyphRef
{
public:
    GlyphRef() = default;
    explicit GlyphRef(pugi::xml_node glyph)
        : m_glyph(glyph)
    { }

    bool isNull() const { return !m_glyph; }
    int code() const;
    GlyphCell cell() const;
    // Writes bytes into "buffer" and the three numbers, creating what is missing.
    void writeCell(const QByteArray &bytes, int width, int height, int pitch) const;
    // Only bytes, for a pixel click.
    void writeBytes(const QByteArray &bytes) const;
    // Sets "valid" when the record has one.
    void setValid(bool valid) const;

    pugi::xml_node element() const { return m_glyph; }
    bool operator==(const GlyphRef &other) const { return m_glyph == other.m_glyph; }

private:
    pugi::xml_node m_glyph;
};

// The glyph elements of font's glyph list, in document order.
QList<GlyphRef> fontGlyphs(const CFreeTypeFont &font);

// A BCF document's "BitFont2" record of a glyph copy.
struct Bcf2Record {
    bool hasRecord = false;
    bool valid = false;
    int left = 0;
    int top = 0;
    int advanceX = 0;
    int advanceY = 0;
    GlyphBitmap bitmap; // width x height with pitch (width + 7) / 8
};
Bcf2Record bcf2Of(GlyphRef copy);
// The record as indented XML text (tab indents, CR LF); empty without one.
QString bcf2XmlText(GlyphRef copy);

struct BcfRange {
    unsigned firstCode = 0;
    unsigned lastCode = 0;
    QList<GlyphRef> glyphs;
};
// The ranges of a BCF document's root, in order.
QList<BcfRange> bcfRanges(const pugi::xml_document &document);

// The editor's history: per code an undo and a redo stack of "BitFont"
// records in font.historyDocument.
namespace glyphhistory {

struct State {
    bool canUndo = false;
    bool canRedo = false;
};
State state(const CFreeTypeFont &font, int code);
// Pushes the glyph's record onto its undo stack and drops its redo stack.
void saveSnapshot(CFreeTypeFont &font, GlyphRef glyph);
// False when the glyph has no history entry (nothing changes then).
bool undo(CFreeTypeFont &font, GlyphRef glyph);
bool redo(CFreeTypeFont &font, GlyphRef glyph);
// Forgets every glyph's history (another font is loaded).
void clear(CFreeTypeFont &font);

} // namespace glyphhistory

// The nine whole-bitmap operations of the editor.
enum class GlyphEdit { WidthInc, WidthDec, HeightInc, HeightDec, Invert, MoveLeft, MoveRight, MoveUp, MoveDown };

// The new cell, or nothing when the operation cannot apply: width or height
// not positive, or fewer bytes than height x pitch.
std::optional<GlyphCell> applyEdit(GlyphEdit edit, const GlyphCell &cell);
// applyEdit on the glyph's record, with a snapshot first; false (no history
// pushed) when it cannot apply.
bool editGlyph(CFreeTypeFont &font, GlyphRef glyph, GlyphEdit edit);
// Sets or clears pixel (x, y) with a snapshot first; false (nothing pushed)
// when the pixel's byte lies outside its row or the decoded bytes.
bool setGlyphPixel(CFreeTypeFont &font, GlyphRef glyph, int x, int y, bool on);

// Each byte as "%02X ", a CR LF before every byte at a positive multiple of
// pitch; no line breaks when pitch is not positive.
QString hexText(const QByteArray &bytes, int pitch);
