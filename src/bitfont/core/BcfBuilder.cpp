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

class RangeBuilder
{
public:
    RangeBuilder(pugi::xml_node root, BcfGlyphCopy copy, int ascenderPx)
        : m_root(root)
        , m_copy(copy)
        , m_ascenderPx(ascenderPx)
    { }

    void close(pugi::xml_node first, pugi::xml_node last)
    {
        pugi::xml_node range = m_root.append_child("Range");
        setAttribute(range, "Firstcode", first.attribute("charcode").as_uint());
        setAttribute(range, "Lastcode", last.attribute("charcode").as_uint());
        for (pugi::xml_node glyph = first;; glyph = glyph.next_sibling("glyph")) {
            appendGlyph(range, glyph);
            if (glyph == last) {
                break;
            }
        }
        ++m_count;
    }

    int count() const { return m_count; }

private:
    void appendGlyph(pugi::xml_node range, pugi::xml_node glyph)
    {
        pugi::xml_node copy;
        if (m_copy == BcfGlyphCopy::Whole) {
            copy = range.append_copy(glyph);
        } else {
            copy = range.append_child("glyph");
            copy.append_attribute("charcode").set_value(glyph.attribute("charcode").value());
        }
        appendBitFont2(copy, glyph);
    }

    // The trimmed bitmap, with the offsets the rasterizer clamped to the cell given back.
    void appendBitFont2(pugi::xml_node copy, pugi::xml_node glyph)
    {
        const fontdoc::BitFontRecord record = fontdoc::readBitFont(glyph);
        const GlyphBitmap::Cropped trimmed = record.cell.cropToInk();
        int advanceX = record.width;
        int left = trimmed.left;
        if (const pugi::xml_node bitmapLeft = glyph.child("bitmap_left");
            bitmapLeft && bitmapLeft.text().as_int() < 0) {
            left = bitmapLeft.text().as_int();
            advanceX = 0;
        }
        // Widened: a damaged project's "bitmap_top" may be any int.
        const qint64 d = qint64(m_ascenderPx) - readInt(glyph, "bitmap_top");
        const int top = d < 0 ? int(std::max<qint64>(d, std::numeric_limits<int>::min())) : trimmed.top;

        pugi::xml_node out = copy.append_child("BitFont2");
        fontdoc::appendBool(out, "valid", record.valid);
        appendInt(out, "left", left);
        appendInt(out, "top", top);
        appendInt(out, "advancex", advanceX);
        appendInt(out, "advancey", record.height);
        m_text.clear();
        trimmed.bitmap.appendBase64(m_text);
        appendText(out, "buffer", m_text);
        appendInt(out, "width", trimmed.bitmap.width());
        appendInt(out, "height", trimmed.bitmap.height());
        appendInt(out, "pitch", trimmed.bitmap.pitch());
    }

    pugi::xml_node m_root;
    BcfGlyphCopy m_copy;
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

struct GlyphEntry {
    bool valid = false;
    int left = 0, top = 0, advanceX = 0, width = 0;
    unsigned length = 0;
};

} // namespace

void buildBcfDocument(const CFreeTypeFont &font, pugi::xml_document &document, int nullCount, BcfGlyphCopy copy)
{
    const docmemory::Scope fontMemory;
    pugi::xml_node root = document.child("BCF");
    if (!root) {
        root = document.append_child("BCF");
    }
    RangeBuilder ranges(root, copy, readInt(font.sizeMetrics(), "ascender") / 64);
    pugi::xml_node start, end;
    int gap = 0;
    int previousCode = -2;
    for (pugi::xml_node glyph = font.glyphList().child("glyph"); glyph;) {
        const pugi::xml_node next = glyph.next_sibling("glyph");
        // A range holds an entry for every code from its first to its last; a
        // code the document lacks (a build of chosen codes) ends it.
        const int code = glyph.attribute("charcode").as_int();
        if (start && code != previousCode + 1) {
            ranges.close(start, end ? end : start);
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
            ranges.close(start, end ? end : start);
            start = end = pugi::xml_node();
        }
        glyph = next;
    }
    setAttribute(root, "rangecount", ranges.count());
}

bool writeBcfBytes(pugi::xml_document &document, const CFreeTypeFont &font, QByteArray &bytes, qint64 limit)
{
    pugi::xml_node root = document.child("BCF");
    const int rangeCount = root.attribute("rangecount").as_int();

    // Collect first, so that a refusal appends nothing and the buffer is sized once.
    std::vector<GlyphEntry> entries;
    QByteArray data;
    QByteArray decoded;
    int validCount = 0;
    const qint64 fixedBytes = 12 + 4 * qint64(rangeCount);
    for (pugi::xml_node range : root.children()) {
        for (pugi::xml_node glyph : range.children()) {
            const pugi::xml_node record = glyph.child("BitFont2");
            GlyphEntry entry;
            entry.valid = readBool(record, "valid");
            if (entry.valid) {
                // Text that is not Base64 decodes to nothing.
                base64::decode(QByteArrayView(record.child("buffer").text().get()), decoded);
                if (decoded.size() > 0xFFFF) {
                    LogLine(QStringLiteral("BCF not built: the bitmap of character %1 has %2 bytes, more than 65535.")
                                .arg(glyph.attribute("charcode").as_int())
                                .arg(decoded.size()));
                    return false;
                }
                entry.left = readInt(record, "left");
                entry.top = readInt(record, "top");
                entry.advanceX = readInt(record, "advancex");
                entry.width = readInt(record, "width");
                entry.length = unsigned((decoded.size() + 2) / 3 * 3);
                data.append(decoded);
                data.append(qsizetype(entry.length) - decoded.size(), '\0');
                ++validCount;
            }
            entries.push_back(entry);
            if (fixedBytes + 16 * qint64(entries.size()) + data.size() > limit) {
                LogLine(QStringLiteral("BCF not built: the font needs more than %1 bytes.").arg(limit));
                return false;
            }
        }
    }

    const qsizetype start = bytes.size();
    bytes.resize(start + fixedBytes + 16 * qsizetype(entries.size()), '\0');
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
    for (pugi::xml_node range : root.children()) {
        const unsigned first = range.attribute("Firstcode").as_uint();
        const unsigned last = range.attribute("Lastcode").as_uint();
        if (rangeOut + 4 <= out + fixedBytes) {
            putU16(rangeOut, first);
            putU16(rangeOut + 2, last);
            rangeOut += 4;
        }
        base += (last - first) * 8 + 8;
    }
    char *entryOut = out + fixedBytes;
    for (const GlyphEntry &entry : entries) {
        if (entry.valid) {
            putU16(entryOut, unsigned(entry.left));
            putU16(entryOut + 2, unsigned(entry.top));
            putU16(entryOut + 4, unsigned(entry.advanceX));
            putU16(entryOut + 6, unsigned(entry.width));
            putU16(entryOut + 8, entry.length);
            putU32(entryOut + 12, base);
            base += entry.length;
        }
        entryOut += 16;
    }
    bytes.append(data);
    setAttribute(root, "totalchar", qint64(entries.size()));
    setAttribute(root, "validchar", validCount);
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
