#pragma once

#include "bitfont/core/BcfBuilder.h"
#include "bitfont/core/CFreeTypeFont.h"
#include "bitfont/core/DocumentValues.h"
#include "bitfont/core/GlyphBitmap.h"
#include "jobs/JobContext.h"
#include "support/RecordingProgress.h"

#include <QFile>
#include <QList>
#include <QString>

inline QString dejaVuSansPath()
{
    return QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
}

// A bitmap from hex text of its bytes (rows top to bottom).
inline GlyphBitmap bitmapFromHex(int width, int height, const QByteArray &hex)
{
    GlyphBitmap bitmap;
    bitmap.fromBase64(QByteArray::fromHex(hex).toBase64(), width, height);
    return bitmap;
}

inline GlyphBitmap inkBitmap(int width, int height)
{
    GlyphBitmap bitmap;
    bitmap.create(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bitmap.setPixel(x, y, true);
        }
    }
    return bitmap;
}

// Appends a glyph element as a rasterizer writes it: "charcode", optional
// "bitmap_left" / "bitmap_top", and "BitFont".
inline pugi::xml_node appendGlyph(pugi::xml_node list, int code, bool valid, const GlyphBitmap &cell)
{
    pugi::xml_node glyph = list.append_child("glyph");
    glyph.append_attribute("charcode").set_value(code);
    fontdoc::appendBitFont(glyph, valid, cell, cell.toBase64().toStdString());
    return glyph;
}

// The BCF bytes of font, built through document; "refused" when they are
// refused. Export takes them straight from the font: a difference between the
// two ways (bytes, refusal or summary) gives "the two ways differ".
inline QByteArray bcfBytes(const CFreeTypeFont &font, int nullCount, pugi::xml_document &document)
{
    buildBcfDocument(font, document, nullCount);
    QByteArray bytes;
    const bool written = writeBcfBytes(document, font, bytes);
    QByteArray direct;
    BcfSummary summary;
    const bool built = buildBcfBytes(font, nullCount, direct, summary);
    const BcfSummary fromDocument = summarizeBcf(document);
    if (written != built
        || (written
            && (direct != bytes || summary.rangeCount != fromDocument.rangeCount
                || summary.totalChar != fromDocument.totalChar || summary.validChar != fromDocument.validChar
                || summary.ranges != fromDocument.ranges))) {
        return "the two ways differ";
    }
    return written ? bytes : QByteArray("refused");
}

inline QByteArray bcfBytes(const CFreeTypeFont &font)
{
    pugi::xml_document document;
    return bcfBytes(font, 5, document);
}
