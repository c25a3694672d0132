#include "bitfont/core/BcfBuilder.h"

#include "bitfont/core/CFreeTypeFont.h"
#include "bitfont/core/DocumentMemory.h"
#include "bitfont/core/DocumentValues.h"
#include "connection/TrafficLog.h"

#include <QtEndian>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

using fontdoc::appendInt;
using fontdoc::appendText;
using fontdoc::readBool;
using fontdoc::readInt;

namespace {

void setAttribute(pugi::xml_node node, const char *name, long long value)
{
    pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute) {
        attribute = node.append_attribute(name);
    }
    const fontdoc::IntText text(value);
    attribute.set_value(text.data(), text.size());
}

// The "BitFont2" numbers of a glyph element and its trimmed bitmap, with the
// offsets the rasterizer clamped to the cell given back.
struct TrimmedGlyph {
    bool valid = false;
    int left = 0;
    int top = 0;
    int advanceX = 0;
    int advanceY = 0;
    GlyphBitmap bitmap;
};

TrimmedGlyph trimGlyph(pugi::xml_node glyph, int ascenderPx)
{
    const fontdoc::BitFontRecord record = fontdoc::readBitFont(glyph);
    GlyphBitmap::Cropped trimmed = record.cell.cropToInk();
    TrimmedGlyph result;
    result.valid = record.valid;
    result.advanceX = record.width;
    result.advanceY = record.height;
    result.left = trimmed.left;
    if (const pugi::xml_node bitmapLeft = glyph.child("bitmap_left"); bitmapLeft && bitmapLeft.text().as_int() < 0) {
        result.left = bitmapLeft.text().as_int();
        result.advanceX = 0;
    }
    // Widened: a damaged project's "bitmap_top" may be any int.
    const qint64 d = qint64(ascenderPx) - readInt(glyph, "bitmap_top");
    result.top = d < 0 ? int(std::max<qint64>(d, std::numeric_limits<int>::min())) : trimmed.top;
    result.bitmap = std::move(trimmed.bitmap);
    return result;
}

int ascenderPxOf(const CFreeTypeFont &font)
{
    return readInt(font.sizeMetrics(), "ascender") / 64;
}

// Calls close(first, last) for each range of font's glyph list, in order.
template <typename Close> void forEachRange(const CFreeTypeFont &font, int nullCount, Close &&close)
{
    pugi::xml_node start, end;
    int gap = 0;
    // 64-bit so a code of INT_MAX does not overflow into the next one.
    qint64 previousCode = -2;
    for (pugi::xml_node glyph = font.glyphList().child("glyph"); glyph;) {
        const pugi::xml_node next = glyph.next_sibling("glyph");
        // A range holds an entry for every code from its first to its last; a
        // code the document lacks (a build of chosen codes) ends it.
        const int code = glyph.attribute("charcode").as_int();
        if (start && code != previousCode + 1) {
            close(start, end ? end : start);
            start = end = pugi::xml_node();
        }
        previousCode = code;
        if (readBool(glyph.child("BitFont"), "valid")) {
            gap = 0;
            (start ? end : start) = glyph;
        } else {
            ++gap;
        }
        if ((gap > nullCount || !next) && start) {
            close(start, end ? end : start);
            start = end = pugi::xml_node();
        }
        glyph = next;
    }
}

// Calls take(glyph) for the glyph elements from first to last; stops when it gives false.
template <typename Take> bool forEachInRange(pugi::xml_node first, pugi::xml_node last, Take &&take)
{
    for (pugi::xml_node glyph = first;; glyph = glyph.next_sibling("glyph")) {
        if (!take(glyph)) {
            return false;
        }
        if (glyph == last) {
            return true;
        }
    }
}

class RangeBuilder
{
public:
    RangeBuilder(pugi::xml_node root, int ascenderPx)
        : m_root(root)
        , m_ascenderPx(ascenderPx)
    { }

    void close(pugi::xml_node first, pugi::xml_node last)
    {
        pugi::xml_node range = m_root.append_child("Range");
        setAttribute(range, "Firstcode", first.attribute("charcode").as_uint());
        setAttribute(range, "Lastcode", last.attribute("charcode").as_uint());
        forEachInRange(first, last, [&](pugi::xml_node glyph) {
            appendGlyph(range, glyph);
            return true;
        });
        ++m_count;
    }

    int count() const { return m_count; }

private:
    void appendGlyph(pugi::xml_node range, pugi::xml_node glyph) { appendBitFont2(range.append_copy(glyph), glyph); }

    void appendBitFont2(pugi::xml_node copy, pugi::xml_node glyph)
    {
        const TrimmedGlyph trimmed = trimGlyph(glyph, m_ascenderPx);
        pugi::xml_node out = copy.append_child("BitFont2");
        fontdoc::appendBool(out, "valid", trimmed.valid);
        appendInt(out, "left", trimmed.left);
        appendInt(out, "top", trimmed.top);
        appendInt(out, "advancex", trimmed.advanceX);
        appendInt(out, "advancey", trimmed.advanceY);
        m_text.clear();
        trimmed.bitmap.appendBase64(m_text);
        appendText(out, "buffer", m_text);
        appendInt(out, "width", trimmed.bitmap.width());
        appendInt(out, "height", trimmed.bitmap.height());
        appendInt(out, "pitch", trimmed.bitmap.pitch());
    }

    pugi::xml_node m_root;
    int m_ascenderPx;
    int m_count = 0;
    std::string m_text;
};

void putU16(char *at, unsigned value)
{
    qToLittleEndian<quint16>(quint16(value), at);
}
void putU32(char *at, quint32 value)
{
    qToLittleEndian<quint32>(value, at);
}

// A glyph as the bytes take it; the bitmap only for a valid one.
struct BcfGlyph {
    int code = 0;
    bool valid = false;
    int left = 0, top = 0, advanceX = 0, width = 0;
    QByteArrayView bitmap;
};

unsigned paddedLength(qsizetype size)
{
    return unsigned((size + 2) / 3 * 3);
}

struct BcfCounts {
    qint64 glyphs = 0;
    int valid = 0;
};

// Appends the BCF bytes of the ranges (first and last codes) whose glyphs
// forEachGlyph(take) hands to take in order, stopping when take gives false.
// It is called twice, to size the bytes and then to write them, so that the
// buffer is allocated once at its exact size and no other copy of the glyph
// data is held.
template <typename ForEachGlyph>
bool writeBytes(int rangeCount, const std::vector<QPair<unsigned, unsigned>> &ranges, ForEachGlyph &&forEachGlyph,
    const CFreeTypeFont &font, QByteArray &bytes, qint64 limit, BcfCounts &counts)
{
    const qint64 fixedBytes = 12 + 4 * qint64(rangeCount);
    qint64 dataBytes = 0;
    counts = {};
    const bool fits = forEachGlyph([&](const BcfGlyph &glyph) {
        if (glyph.valid) {
            if (glyph.bitmap.size() > 0xFFFF) {
                LogLine(QStringLiteral("BCF not built: the bitmap of character %1 has %2 bytes, more than 65535.")
                            .arg(glyph.code)
                            .arg(glyph.bitmap.size()));
                return false;
            }
            dataBytes += paddedLength(glyph.bitmap.size());
            ++counts.valid;
        }
        ++counts.glyphs;
        if (fixedBytes + 16 * counts.glyphs + dataBytes > limit) {
            LogLine(QStringLiteral("BCF not built: the font needs more than %1 bytes.").arg(limit));
            return false;
        }
        return true;
    });
    if (!fits) {
        return false;
    }

    const qsizetype start = bytes.size();
    bytes.resize(start + fixedBytes + 16 * counts.glyphs + dataBytes, '\0');
    char *out = bytes.data() + start;
    const pugi::xml_node metrics = font.sizeMetrics();
    const char magic[4] = { 2, 2, 2, 1 };
    memcpy(out, magic, 4);
    putU16(out + 4, unsigned(readInt(metrics, "height") >> 6));
    putU16(out + 6, unsigned(readInt(metrics, "ascender") >> 6));
    out[8] = char(font.pixelWidth & 0xFF);
    putU16(out + 10, unsigned(rangeCount));

    quint32 base = quint32(fixedBytes);
    char *rangeOut = out + 12;
    for (const auto &[first, last] : ranges) {
        if (rangeOut + 4 <= out + fixedBytes) {
            putU16(rangeOut, first);
            putU16(rangeOut + 2, last);
            rangeOut += 4;
        }
        base += (last - first) * 8 + 8;
    }
    char *entryOut = out + fixedBytes;
    char *const entryEnd = entryOut + 16 * counts.glyphs;
    char *dataOut = entryEnd;
    char *const dataEnd = dataOut + dataBytes;
    forEachGlyph([&](const BcfGlyph &glyph) {
        const unsigned length = glyph.valid ? paddedLength(glyph.bitmap.size()) : 0;
        // The second pass sees what the first saw; this only keeps the writes inside the buffer.
        if (entryOut == entryEnd || length > unsigned(dataEnd - dataOut)) {
            return false;
        }
        if (glyph.valid) {
            putU16(entryOut, unsigned(glyph.left));
            putU16(entryOut + 2, unsigned(glyph.top));
            putU16(entryOut + 4, unsigned(glyph.advanceX));
            putU16(entryOut + 6, unsigned(glyph.width));
            putU16(entryOut + 8, length);
            putU32(entryOut + 12, base);
            base += length;
            memcpy(dataOut, glyph.bitmap.data(), size_t(glyph.bitmap.size()));
            dataOut += length;
        }
        entryOut += 16;
        return true;
    });
    return true;
}

} // namespace

void buildBcfDocument(const CFreeTypeFont &font, pugi::xml_document &document, int nullCount)
{
    const docmemory::Scope fontMemory;
    pugi::xml_node root = document.child("BCF");
    if (!root) {
        root = document.append_child("BCF");
    }
    RangeBuilder ranges(root, ascenderPxOf(font));
    forEachRange(font, nullCount, [&](pugi::xml_node first, pugi::xml_node last) { ranges.close(first, last); });
    setAttribute(root, "rangecount", ranges.count());
}

bool writeBcfBytes(pugi::xml_document &document, const CFreeTypeFont &font, QByteArray &bytes, qint64 limit)
{
    pugi::xml_node root = document.child("BCF");
    std::vector<QPair<unsigned, unsigned>> ranges;
    for (pugi::xml_node range : root.children()) {
        ranges.push_back({ range.attribute("Firstcode").as_uint(), range.attribute("Lastcode").as_uint() });
    }
    const auto forEachGlyph = [root](auto &&take) {
        QByteArray decoded;
        for (pugi::xml_node range : root.children()) {
            for (pugi::xml_node copy : range.children()) {
                const pugi::xml_node record = copy.child("BitFont2");
                BcfGlyph glyph;
                glyph.code = copy.attribute("charcode").as_int();
                glyph.valid = readBool(record, "valid");
                if (glyph.valid) {
                    // Text that is not Base64 decodes to nothing.
                    base64::decode(QByteArrayView(record.child("buffer").text().get()), decoded);
                    glyph.left = readInt(record, "left");
                    glyph.top = readInt(record, "top");
                    glyph.advanceX = readInt(record, "advancex");
                    glyph.width = readInt(record, "width");
                    glyph.bitmap = decoded;
                }
                if (!take(glyph)) {
                    return false;
                }
            }
        }
        return true;
    };
    BcfCounts counts;
    if (!writeBytes(root.attribute("rangecount").as_int(), ranges, forEachGlyph, font, bytes, limit, counts)) {
        return false;
    }
    setAttribute(root, "totalchar", counts.glyphs);
    setAttribute(root, "validchar", counts.valid);
    return true;
}

bool buildBcfBytes(const CFreeTypeFont &font, int nullCount, QByteArray &bytes, BcfSummary &summary, qint64 limit)
{
    std::vector<std::pair<pugi::xml_node, pugi::xml_node>> spans;
    forEachRange(font, nullCount, [&](pugi::xml_node first, pugi::xml_node last) { spans.emplace_back(first, last); });
    std::vector<QPair<unsigned, unsigned>> ranges;
    ranges.reserve(spans.size());
    for (const auto &[first, last] : spans) {
        ranges.push_back({ first.attribute("charcode").as_uint(), last.attribute("charcode").as_uint() });
    }
    const int ascenderPx = ascenderPxOf(font);
    const auto forEachGlyph = [&](auto &&take) {
        for (const auto &[first, last] : spans) {
            const bool whole = forEachInRange(first, last, [&](pugi::xml_node element) {
                BcfGlyph glyph;
                glyph.code = element.attribute("charcode").as_int();
                TrimmedGlyph trimmed;
                if (readBool(element.child("BitFont"), "valid")) {
                    trimmed = trimGlyph(element, ascenderPx);
                    glyph.valid = true;
                    glyph.left = trimmed.left;
                    glyph.top = trimmed.top;
                    glyph.advanceX = trimmed.advanceX;
                    glyph.width = trimmed.bitmap.width();
                    glyph.bitmap = trimmed.bitmap.bytes();
                }
                return take(glyph);
            });
            if (!whole) {
                return false;
            }
        }
        return true;
    };
    BcfCounts counts;
    if (!writeBytes(int(spans.size()), ranges, forEachGlyph, font, bytes, limit, counts)) {
        return false;
    }
    summary = {};
    summary.rangeCount = int(spans.size());
    summary.totalChar = int(counts.glyphs);
    summary.validChar = counts.valid;
    summary.ranges = QList<QPair<unsigned, unsigned>>(ranges.begin(), ranges.end());
    return true;
}

BcfSummary summarizeBcf(const pugi::xml_document &document)
{
    const pugi::xml_node root = document.child("BCF");
    BcfSummary summary;
    summary.rangeCount = root.attribute("rangecount").as_int();
    summary.totalChar = root.attribute("totalchar").as_int();
    summary.validChar = root.attribute("validchar").as_int();
    for (pugi::xml_node range : root.children("Range")) {
        summary.ranges.append({ range.attribute("Firstcode").as_uint(), range.attribute("Lastcode").as_uint() });
    }
    return summary;
}

QString exportReportText(const BcfSummary &summary, const TranslateText &translate)
{
    QString text
        = fillNumbers(translated(translate, QStringLiteral("导出成功，区间数量=%d，字符总数=%d，有效字符=%d。\r\n")),
            { summary.rangeCount, summary.totalChar, summary.validChar });
    text += translated(translate, QStringLiteral("所有区间: "));
    for (const auto &range : summary.ranges) {
        text += fillNumbers(QStringLiteral("(%d, %d) "), { range.first, range.second });
    }
    return text;
}
