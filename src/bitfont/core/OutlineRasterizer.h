#pragma once

#include "bitfont/core/FontProgress.h"
#include "bitfont/core/GlyphBitmap.h"

class CFreeTypeFont;

// Where a rendered glyph image sits in its cell: the pen origin at the cell's
// left edge, the baseline ascender rows below the top. All values from
// FreeType; 26.6 values are divided by 64 toward zero.
struct OutlineCellInput
{
    long horiAdvance = 0;  // 26.6
    long sizeHeight = 0;   // 26.6
    long sizeAscender = 0; // 26.6
    int bitmapLeft = 0;
    int bitmapTop = 0;
    int imageWidth = 0;
    int imageRows = 0;
    int imagePitch = 0;
    const unsigned char *image = nullptr; // 1-bit rows
};
GlyphBitmap buildOutlineCell(const OutlineCellInput &input);

// Renders codes 0 to 65535 of font.ttfPath at pixelWidth x pixelHeight into
// the font document. False, with the font untouched, when FreeType cannot open
// the file or set the size.
bool renderOutlineFont(CFreeTypeFont &font, FontProgress &progress);
