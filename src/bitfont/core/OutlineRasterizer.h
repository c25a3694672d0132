#pragma once

#include "bitfont/core/GlyphBitmap.h"
#include "jobs/JobProgress.h"

#include <vector>

class CFreeTypeFont;

// Where a rendered glyph image sits in its cell: the pen origin at the cell's
// left edge, the baseline ascender rows below the top. All values from
// FreeType; 26.6 values are divided by 64 toward zero.
struct OutlineCellInput {
    long horiAdvance = 0; // 26.6
    long sizeHeight = 0; // 26.6
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
// the font document, reporting the maximum 65536 and each code as the
// position; a cancel request stops it before the next code. False, with the
// font untouched, when FreeType cannot open the file or set the size.
// With keep (65536 entries), only the codes it marks get a glyph element,
// each exactly as the whole rendering writes it.
bool renderOutlineFont(CFreeTypeFont &font, jobs::JobProgress &progress, const std::vector<bool> *keep = nullptr);
