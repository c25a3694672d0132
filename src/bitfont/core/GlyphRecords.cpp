#include "bitfont/core/GlyphRecords.h"

#include "bitfont/core/CFreeTypeFont.h"
#include "bitfont/core/DocumentValues.h"
#include "bitfont/core/ProjectFile.h"

namespace {

pugi::xml_node childOrNew(pugi::xml_node parent, const char *name)
{
    pugi::xml_node child = parent.child(name);
    return child ? child : parent.append_child(name);
}

void setInt(pugi::xml_node parent, const char *name, int value)
{
    const fontdoc::IntText text(value);
    fontdoc::setText(childOrNew(parent, name), text.view());
}

QByteArray decodeBuffer(pugi::xml_node record)
{
    QByteArray bytes;
    const char *text = record.child("buffer").text().get();
    if (base64::decode(QByteArrayView(text), bytes) < 0)
        return {};
    return bytes;
}

// One row of pitch bytes read as a string of bits, byte 0 first.
void shiftRowLeft(char *row, int pitch)
{
    for (int i = 0; i < pitch; ++i) {
        const unsigned next = i + 1 < pitch ? uchar(row[i + 1]) >> 7 : 0;
        row[i] = char((uchar(row[i]) << 1) | next);
    }
}

void shiftRowRight(char *row, int pitch)
{
    for (int i = pitch - 1; i >= 0; --i) {
        const unsigned previous = i > 0 ? (uchar(row[i - 1]) & 1u) << 7 : 0;
        row[i] = char((uchar(row[i]) >> 1) | previous);
    }
}

} // namespace

qint64 GlyphCell::expectedBytes() const
{
    if (height <= 0 || pitch <= 0)
        return 0;
    return qint64(height) * qint64(pitch);
}

bool GlyphCell::isComplete() const
{
    return width > 0 && height > 0 && pitch > 0 && bytes.size() >= expectedBytes();
}

bool GlyphCell::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || y >= height || x / 8 >= pitch)
        return false;
    const qint64 at = qint64(y) * pitch + x / 8;
    return at < bytes.size() && (uchar(bytes[at]) & (0x80u >> (x % 8)));
}

int GlyphRef::code() const
{
    return m_glyph.attribute("charcode").as_int();
}

GlyphCell GlyphRef::cell() const
{
    GlyphCell cell;
    const pugi::xml_node record = m_glyph.child("BitFont");
    if (!record)
        return cell;
    cell.hasRecord = true;
    cell.valid = fontdoc::readBool(record, "valid");
    cell.width = fontdoc::readInt(record, "width");
    cell.height = fontdoc::readInt(record, "height");
    cell.pitch = fontdoc::readInt(record, "pitch");
    cell.bytes = decodeBuffer(record);
    if (cell.bytes.size() > cell.expectedBytes())
        cell.bytes.truncate(cell.expectedBytes());
    return cell;
}

void GlyphRef::writeCell(const QByteArray &bytes, int width, int height, int pitch) const
{
    writeBytes(bytes);
    pugi::xml_node record = childOrNew(m_glyph, "BitFont");
    setInt(record, "width", width);
    setInt(record, "height", height);
    setInt(record, "pitch", pitch);
}

void GlyphRef::writeBytes(const QByteArray &bytes) const
{
    pugi::xml_node record = childOrNew(m_glyph, "BitFont");
    std::string text;
    base64::append(text, reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size());
    fontdoc::setText(childOrNew(record, "buffer"), text);
}

void GlyphRef::setValid(bool valid) const
{
    pugi::xml_node flag = m_glyph.child("BitFont").child("valid");
    if (flag)
        fontdoc::setText(flag, fontdoc::boolText(valid));
}

QList<GlyphRef> fontGlyphs(const CFreeTypeFont &font)
{
    QList<GlyphRef> glyphs;
    for (pugi::xml_node glyph : font.glyphList().children("glyph"))
        glyphs.append(GlyphRef(glyph));
    return glyphs;
}

Bcf2Record bcf2Of(GlyphRef copy)
{
    Bcf2Record result;
    const pugi::xml_node record = copy.element().child("BitFont2");
    if (!record)
        return result;
    result.hasRecord = true;
    result.valid = fontdoc::readBool(record, "valid");
    result.left = fontdoc::readInt(record, "left");
    result.top = fontdoc::readInt(record, "top");
    result.advanceX = fontdoc::readInt(record, "advancex");
    result.advanceY = fontdoc::readInt(record, "advancey");
    result.bitmap.fromBase64(QByteArrayView(record.child("buffer").text().get()), fontdoc::readInt(record, "width"),
        fontdoc::readInt(record, "height"));
    return result;
}

QString bcf2XmlText(GlyphRef copy)
{
    const pugi::xml_node record = copy.element().child("BitFont2");
    if (!record)
        return {};
    pugi::xml_document single;
    single.append_copy(record);
    QByteArray bytes = projectfile::toBytes(single);
    // The project layout without its declaration line.
    if (bytes.startsWith("<?xml")) {
        const qsizetype lineEnd = bytes.indexOf('\n');
        bytes.remove(0, lineEnd < 0 ? bytes.size() : lineEnd + 1);
    }
    return QString::fromUtf8(bytes);
}

QList<BcfRange> bcfRanges(const pugi::xml_document &document)
{
    QList<BcfRange> ranges;
    for (pugi::xml_node range : document.child("BCF").children("Range")) {
        BcfRange entry;
        entry.firstCode = range.attribute("Firstcode").as_uint();
        entry.lastCode = range.attribute("Lastcode").as_uint();
        for (pugi::xml_node glyph : range.children())
            entry.glyphs.append(GlyphRef(glyph));
        ranges.append(std::move(entry));
    }
    return ranges;
}

namespace glyphhistory {

State state(const CFreeTypeFont &font, int code)
{
    const pugi::xml_node entry = font.findHistoryGlyph(code);
    return { bool(entry.child("UnDo").first_child()), bool(entry.child("ReDo").first_child()) };
}

void saveSnapshot(CFreeTypeFont &font, GlyphRef glyph)
{
    pugi::xml_node root = childOrNew(font.historyDocument, "History");
    pugi::xml_node entry = font.findHistoryGlyph(glyph.code());
    if (!entry) {
        entry = root.append_child("Glyph");
        entry.append_attribute("charcode").set_value(glyph.code());
    }
    if (const pugi::xml_node record = glyph.element().child("BitFont"))
        childOrNew(entry, "UnDo").append_copy(record);
    entry.remove_child("ReDo");
}

namespace {

// The current record goes onto to, the top of from replaces it.
bool exchange(CFreeTypeFont &font, GlyphRef glyph, const char *from, const char *to)
{
    pugi::xml_node entry = font.findHistoryGlyph(glyph.code());
    if (!entry)
        return false;
    pugi::xml_node element = glyph.element();
    if (const pugi::xml_node record = element.child("BitFont"))
        childOrNew(entry, to).append_copy(record);
    pugi::xml_node stack = childOrNew(entry, from);
    if (const pugi::xml_node top = stack.last_child()) {
        element.remove_child("BitFont");
        element.append_copy(top);
        stack.remove_child(top);
    }
    return true;
}

} // namespace

bool undo(CFreeTypeFont &font, GlyphRef glyph)
{
    return exchange(font, glyph, "UnDo", "ReDo");
}

bool redo(CFreeTypeFont &font, GlyphRef glyph)
{
    return exchange(font, glyph, "ReDo", "UnDo");
}

void clear(CFreeTypeFont &font)
{
    font.historyDocument.remove_child("History");
}

} // namespace glyphhistory

std::optional<GlyphCell> applyEdit(GlyphEdit edit, const GlyphCell &cell)
{
    if (!cell.isComplete())
        return std::nullopt;
    const int width = cell.width;
    const int height = cell.height;
    const int pitch = cell.pitch;
    GlyphCell out = cell;
    out.bytes = cell.bytes.left(cell.expectedBytes());
    QByteArray &bytes = out.bytes;
    const QByteArray blankRow(pitch, '\0');
    switch (edit) {
    case GlyphEdit::WidthInc:
        if (qint64(pitch) * 8 < qint64(width) + 1) {
            QByteArray wider;
            wider.reserve(qint64(height) * (pitch + 1));
            for (int y = 0; y < height; ++y) {
                wider.append(bytes.constData() + qint64(y) * pitch, pitch);
                wider.append('\0');
            }
            bytes = wider;
            out.pitch = pitch + 1;
        }
        out.width = width + 1;
        break;
    case GlyphEdit::WidthDec:
        if (pitch > (width + 6) / 8) {
            QByteArray narrower;
            narrower.reserve(qint64(height) * (pitch - 1));
            for (int y = 0; y < height; ++y)
                narrower.append(bytes.constData() + qint64(y) * pitch, pitch - 1);
            bytes = narrower;
            out.pitch = pitch - 1;
        }
        out.width = width - 1;
        break;
    case GlyphEdit::HeightInc:
        bytes.append(blankRow);
        out.height = height + 1;
        break;
    case GlyphEdit::HeightDec:
        bytes.chop(pitch);
        out.height = height - 1;
        break;
    case GlyphEdit::Invert:
        for (char &byte : bytes)
            byte = char(~uchar(byte));
        break;
    case GlyphEdit::MoveLeft:
        for (int y = 0; y < height; ++y)
            shiftRowLeft(bytes.data() + qint64(y) * pitch, pitch);
        break;
    case GlyphEdit::MoveRight:
        for (int y = 0; y < height; ++y)
            shiftRowRight(bytes.data() + qint64(y) * pitch, pitch);
        break;
    case GlyphEdit::MoveUp:
        bytes.remove(0, pitch);
        bytes.append(blankRow);
        break;
    case GlyphEdit::MoveDown:
        bytes.chop(pitch);
        bytes.prepend(blankRow);
        break;
    }
    return out;
}

bool editGlyph(CFreeTypeFont &font, GlyphRef glyph, GlyphEdit edit)
{
    if (glyph.isNull())
        return false;
    const std::optional<GlyphCell> changed = applyEdit(edit, glyph.cell());
    if (!changed)
        return false;
    glyphhistory::saveSnapshot(font, glyph);
    glyph.writeCell(changed->bytes, changed->width, changed->height, changed->pitch);
    return true;
}

bool setGlyphPixel(CFreeTypeFont &font, GlyphRef glyph, int x, int y, bool on)
{
    if (glyph.isNull())
        return false;
    GlyphCell cell = glyph.cell();
    if (x < 0 || y < 0 || y >= cell.height || x / 8 >= cell.pitch)
        return false;
    const qint64 at = qint64(y) * cell.pitch + x / 8;
    if (at >= cell.bytes.size())
        return false;
    const uchar bit = uchar(0x80u >> (x % 8));
    cell.bytes[at] = char(on ? uchar(cell.bytes[at]) | bit : uchar(cell.bytes[at]) & uchar(~bit));
    glyphhistory::saveSnapshot(font, glyph);
    glyph.writeBytes(cell.bytes);
    return true;
}

QString hexText(const QByteArray &bytes, int pitch)
{
    QString text;
    text.reserve(bytes.size() * 3 + (pitch > 0 ? bytes.size() / pitch * 2 : 0));
    static const char digits[] = "0123456789ABCDEF";
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (pitch > 0 && i > 0 && i % pitch == 0)
            text += QLatin1String("\r\n");
        const uchar byte = uchar(bytes[i]);
        text += QLatin1Char(digits[byte >> 4]);
        text += QLatin1Char(digits[byte & 0xF]);
        text += QLatin1Char(' ');
    }
    return text;
}
