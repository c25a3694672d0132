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

// The BCF bytes of font, built through document; "refused" when they are refused.
inline QByteArray bcfBytes(const CFreeTypeFont &font, int nullCount, pugi::xml_document &document)
{
    buildBcfDocument(font, document, nullCount);
    QByteArray bytes;
    if (!writeBcfBytes(document, font, bytes)) {
        return "refused";
    }
    return bytes;
}

inline QByteArray bcfBytes(const CFreeTypeFont &font)
{
    pugi::xml_document document;
    return bcfBytes(font, 5, document);
}
