#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <string>

// A 1-bit image: rows top to bottom, each row pitch = (width + 7) / 8 bytes,
// leftmost pixel in the most significant bit, a set bit is ink.
class GlyphBitmap
{
public:
    struct Cropped;

    // Larger bitmaps are refused (created empty): no glyph cell comes near it,
    // and a damaged document must not make us allocate gigabytes.
    static constexpr qint64 maxBytes = 64 * 1024 * 1024;
    // No cell the tool renders has a side beyond this (256 px fonts, whose
    // widest glyphs stay well under 4 em); a stored cell beyond it is damage.
    static constexpr int maxCellSide = 1024;

    static int pitchFor(int width) { return width > 0 ? int((qint64(width) + 7) / 8) : 0; }

    void create(int width, int height);

    int width() const { return m_width; }
    int height() const { return m_height; }
    int pitch() const { return m_pitch; }
    const QByteArray &bytes() const { return m_bytes; }
    bool isEmpty() const { return m_bytes.isEmpty(); }

    // Pixels outside the bitmap read as 0 and are never written.
    int getPixel(int x, int y) const;
    void setPixel(int x, int y, bool on);

    // Copies every source pixel, ink and background, to (x + i, y + j);
    // pixels that fall outside this bitmap are dropped.
    void blit(const GlyphBitmap &source, int x, int y);
    // The same from raw 1-bit rows (a rendered glyph image); |pitch| bytes per row.
    void blitRows(const unsigned char *rows, int width, int height, int pitch, int x, int y);

    // The ink bounding box as a new bitmap with its offsets; an image without
    // ink gives 1 x 1 with one zero byte at (0, 0).
    Cropped cropToInk() const;

    QByteArray toBase64() const;
    void appendBase64(std::string &out) const;
    // Takes the first height x pitch decoded bytes. Text whose length is not a
    // multiple of 4, that is not Base64, or that decodes short, and a side
    // beyond maxCellSide give an empty bitmap (0 x 0); false then. Nothing is
    // allocated for a cell the text cannot fill.
    bool fromBase64(QByteArrayView text, int width, int height);

    bool operator==(const GlyphBitmap &other) const = default;

private:
    int m_width = 0;
    int m_height = 0;
    int m_pitch = 0;
    QByteArray m_bytes;
};

struct GlyphBitmap::Cropped {
    GlyphBitmap bitmap;
    int left = 0;
    int top = 0;
};

// Standard Base64 (RFC 4648 alphabet, "=" padding, no line breaks).
namespace base64 {
void append(std::string &out, const unsigned char *data, qsizetype size);
// Decoded length of valid text, -1 (and out empty) when the length is not a
// multiple of 4 or a character is outside the alphabet.
qsizetype decode(QByteArrayView text, QByteArray &out);
} // namespace base64
