#include "bitfont/core/OutlineRasterizer.h"

#include "bitfont/core/CFreeTypeFont.h"
#include "bitfont/core/DocumentMemory.h"
#include "bitfont/core/DocumentValues.h"

#include <QFile>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <cstring>
#include <string>
#include <vector>

using fontdoc::appendEmpty;
using fontdoc::appendInt;
using fontdoc::appendPx;
using fontdoc::appendText;
using fontdoc::IntText;

GlyphBitmap buildOutlineCell(const OutlineCellInput &input)
{
    int width = int(input.horiAdvance / 64);
    if (width == 0) {
        width = input.imageWidth;
    }
    GlyphBitmap cell;
    cell.create(width, int(input.sizeHeight / 64));
    const int x = std::max(input.bitmapLeft, 0);
    const int y = std::max(int(input.sizeAscender / 64) - input.bitmapTop, 0);
    cell.blitRows(input.image, input.imageWidth, input.imageRows, input.imagePitch, x, y);
    return cell;
}

namespace {

// Owns the library and the face; releases them on every path.
class FreeTypeFace
{
public:
    FreeTypeFace() = default;
    ~FreeTypeFace()
    {
        if (face) {
            FT_Done_Face(face);
        }
        if (library) {
            FT_Done_FreeType(library);
        }
    }
    FreeTypeFace(const FreeTypeFace &) = delete;
    FreeTypeFace &operator=(const FreeTypeFace &) = delete;

    bool open(const QString &path, int width, int height)
    {
        const QByteArray name = QFile::encodeName(path);
        return FT_Init_FreeType(&library) == 0 && FT_New_Face(library, name.constData(), 0, &face) == 0
            && FT_Set_Pixel_Sizes(face, FT_UInt(std::max(width, 0)), FT_UInt(std::max(height, 0))) == 0;
    }

    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

void writeFaceHeader(pugi::xml_node out, FT_Face face)
{
    appendInt(out, "num_faces", face->num_faces);
    appendInt(out, "face_index", face->face_index);
    appendInt(out, "face_flags", face->face_flags);
    appendInt(out, "style_flags", face->style_flags);
    appendInt(out, "num_glyphs", face->num_glyphs);
    appendText(out, "family_name", face->family_name ? face->family_name : "");
    appendText(out, "style_name", face->style_name ? face->style_name : "");
    appendInt(out, "num_fixed_sizes", face->num_fixed_sizes);
    pugi::xml_node sizes = appendEmpty(out, "available_sizes");
    for (int i = 0; i < face->num_fixed_sizes; ++i) {
        const FT_Bitmap_Size &size = face->available_sizes[i];
        pugi::xml_node item = appendEmpty(sizes, "Item");
        appendInt(item, "height", size.height);
        appendInt(item, "width", size.width);
        appendInt(item, "size", size.size);
        appendInt(item, "x_ppem", size.x_ppem);
        appendInt(item, "y_ppem", size.y_ppem);
    }
    appendInt(out, "num_charmaps", face->num_charmaps);
    appendEmpty(out, "charmaps");
    appendEmpty(out, "generic");
    pugi::xml_node bbox = appendEmpty(out, "bbox");
    appendInt(bbox, "xMin", face->bbox.xMin);
    appendInt(bbox, "yMin", face->bbox.yMin);
    appendInt(bbox, "xMax", face->bbox.xMax);
    appendInt(bbox, "yMax", face->bbox.yMax);
    appendInt(out, "units_per_EM", face->units_per_EM);
    appendInt(out, "ascender", face->ascender);
    appendInt(out, "descender", face->descender);
    appendInt(out, "height", face->height);
    appendInt(out, "max_advance_width", face->max_advance_width);
    appendInt(out, "max_advance_height", face->max_advance_height);
    appendInt(out, "underline_position", face->underline_position);
    appendInt(out, "underline_thickness", face->underline_thickness);

    pugi::xml_node size = appendEmpty(out, "size");
    appendEmpty(size, "face");
    appendEmpty(size, "generic");
    pugi::xml_node metrics = appendEmpty(size, "metrics");
    const FT_Size_Metrics &m = face->size->metrics;
    appendInt(metrics, "x_ppem", m.x_ppem);
    appendInt(metrics, "y_ppem", m.y_ppem);
    appendInt(metrics, "x_scale", m.x_scale);
    appendInt(metrics, "y_scale", m.y_scale);
    appendPx(metrics, "ascender", m.ascender);
    appendPx(metrics, "descender", m.descender);
    appendPx(metrics, "height", m.height);
    appendPx(metrics, "max_advance", m.max_advance);
    appendEmpty(size, "internal");

    // A face without a character map has nothing to copy: the values stay empty.
    pugi::xml_node charmap = appendEmpty(out, "charmap");
    appendEmpty(charmap, "face");
    if (face->charmap) {
        appendInt(charmap, "encoding", face->charmap->encoding);
        appendInt(charmap, "platform_id", face->charmap->platform_id);
        appendInt(charmap, "encoding_id", face->charmap->encoding_id);
    } else {
        appendEmpty(charmap, "encoding");
        appendEmpty(charmap, "platform_id");
        appendEmpty(charmap, "encoding_id");
    }
}

// One glyph element as parsed text. Every glyph is a copy of it: the copies
// share the element names with the template (no string per name), values sit
// in their elements instead of text nodes of their own (about 40% fewer
// nodes), and only values that differ from the template's get a string.
constexpr char glyphTemplate[]
    = "<glyph charcode=\"0\"><library/><face/><next/><glyph_index>0</glyph_index><generic/>"
      "<metrics><width px=\"0\">0</width><height px=\"0\">0</height><horiBearingX px=\"0\">0</horiBearingX>"
      "<horiBearingY px=\"0\">0</horiBearingY><horiAdvance px=\"0\">0</horiAdvance>"
      "<vertBearingX px=\"0\">0</vertBearingX><vertBearingY px=\"0\">0</vertBearingY>"
      "<vertAdvance px=\"0\">0</vertAdvance></metrics>"
      "<linearHoriAdvance>0</linearHoriAdvance><linearVertAdvance>0</linearVertAdvance>"
      "<advance><x>0</x><y>0</y></advance><format>1651078259</format>"
      "<bitmap><rows>0</rows><width>0</width><pitch>0</pitch><buffer>=</buffer><num_grays>2</num_grays>"
      "<pixel_mode>1</pixel_mode><palette_mode>0</palette_mode><palette/></bitmap>"
      "<bitmap_left>0</bitmap_left><bitmap_top>0</bitmap_top><outline/><num_subglyphs>0</num_subglyphs>"
      "<subglyphs/><control_data/><control_len>0</control_len><lsb_delta>0</lsb_delta><rsb_delta>0</rsb_delta>"
      "<other/><internal/>"
      "<BitFont><valid>true</valid><buffer>=</buffer><width>0</width><height>0</height><pitch>0</pitch></BitFont>"
      "</glyph>";

// Text slots of the template in document order.
enum Slot {
    GlyphIndex,
    MetricsFirst, // 8 metrics
    LinearHoriAdvance = MetricsFirst + 8,
    LinearVertAdvance,
    AdvanceX,
    AdvanceY,
    Format,
    Rows,
    ImageWidth,
    ImagePitch,
    ImageBuffer,
    NumGrays,
    PixelMode,
    PaletteMode,
    BitmapLeft,
    BitmapTop,
    NumSubglyphs,
    ControlLen,
    LsbDelta,
    RsbDelta,
    CellValid,
    CellBuffer,
    CellWidth,
    CellHeight,
    CellPitch,
    SlotCount
};
constexpr int attributeCount = 9; // charcode and the 8 metrics' "px"

// What a glyph element records of a rendered glyph slot, with its texts.
struct RenderedGlyph {
    FT_UInt glyphIndex = 0;
    FT_Glyph_Metrics metrics {};
    FT_Fixed linearHoriAdvance = 0;
    FT_Fixed linearVertAdvance = 0;
    FT_Vector advance {};
    FT_Glyph_Format format {};
    FT_Bitmap image {}; // without its buffer, which is in imageText
    std::string imageText;
    FT_Int bitmapLeft = 0;
    FT_Int bitmapTop = 0;
    FT_UInt numSubglyphs = 0;
    long controlLen = 0;
    FT_Pos lsbDelta = 0;
    FT_Pos rsbDelta = 0;
    bool valid = false;
    GlyphBitmap cell;
    std::string cellText;
};

class GlyphWriter
{
public:
    explicit GlyphWriter(pugi::xml_document &document)
        : m_document(document)
    {
        m_scratch = document.append_child("scratch");
        m_scratch.append_buffer(
            glyphTemplate, sizeof glyphTemplate - 1, pugi::parse_default | pugi::parse_embed_pcdata);
        m_template = m_scratch.first_child();
    }
    ~GlyphWriter() { m_document.remove_child(m_scratch); }
    GlyphWriter(const GlyphWriter &) = delete;
    GlyphWriter &operator=(const GlyphWriter &) = delete;

    bool ready() const { return bool(m_template); }

    void write(pugi::xml_node list, int code, const RenderedGlyph &rendered)
    {
        const pugi::xml_node glyph = list.append_copy(m_template);
        m_slotCount = m_attributeCount = 0;
        m_attributes[m_attributeCount++] = glyph.first_attribute();
        collect(glyph);
        Q_ASSERT(m_slotCount == SlotCount && m_attributeCount == attributeCount);

        setAttribute(0, code);
        set(GlyphIndex, rendered.glyphIndex);
        const FT_Glyph_Metrics &m = rendered.metrics;
        const FT_Pos metrics[8] = { m.width, m.height, m.horiBearingX, m.horiBearingY, m.horiAdvance, m.vertBearingX,
            m.vertBearingY, m.vertAdvance };
        for (int i = 0; i < 8; ++i) {
            setAttribute(1 + i, fontdoc::pxOf(metrics[i]));
            set(MetricsFirst + i, metrics[i]);
        }
        set(LinearHoriAdvance, rendered.linearHoriAdvance);
        set(LinearVertAdvance, rendered.linearVertAdvance);
        set(AdvanceX, rendered.advance.x);
        set(AdvanceY, rendered.advance.y);
        set(Format, rendered.format);
        const FT_Bitmap &image = rendered.image;
        set(Rows, image.rows);
        set(ImageWidth, image.width);
        set(ImagePitch, image.pitch);
        setText(ImageBuffer, rendered.imageText);
        set(NumGrays, image.num_grays);
        set(PixelMode, image.pixel_mode);
        set(PaletteMode, image.palette_mode);
        set(BitmapLeft, rendered.bitmapLeft);
        set(BitmapTop, rendered.bitmapTop);
        set(NumSubglyphs, rendered.numSubglyphs);
        set(ControlLen, rendered.controlLen);
        set(LsbDelta, rendered.lsbDelta);
        set(RsbDelta, rendered.rsbDelta);
        setText(CellValid, fontdoc::boolText(rendered.valid));
        setText(CellBuffer, rendered.cellText);
        set(CellWidth, rendered.cell.width());
        set(CellHeight, rendered.cell.height());
        set(CellPitch, rendered.cell.pitch());
    }

private:
    void collect(pugi::xml_node element)
    {
        for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
            if (pugi::xml_attribute attribute = child.first_attribute()) {
                m_attributes[m_attributeCount++] = attribute;
            }
            if (*child.value()) {
                m_slots[m_slotCount++] = child;
            } else {
                collect(child);
            }
        }
    }

    void set(int slot, long long value) { setText(slot, IntText(value).view()); }

    void setText(int slot, std::string_view text)
    {
        pugi::xml_node node = m_slots[slot];
        if (text != node.value()) {
            node.text().set(text.data(), text.size());
        }
    }

    void setAttribute(int index, long long value)
    {
        const IntText text(value);
        if (text.view() != m_attributes[index].value()) {
            m_attributes[index].set_value(text.data(), text.size());
        }
    }

    pugi::xml_document &m_document;
    pugi::xml_node m_scratch;
    pugi::xml_node m_template;
    std::array<pugi::xml_node, SlotCount> m_slots;
    std::array<pugi::xml_attribute, attributeCount> m_attributes;
    int m_slotCount = 0;
    int m_attributeCount = 0;
};

// Embedded grey bitmaps are thresholded to 1-bit rows so the cell shows them.
const unsigned char *monoRows(const FT_Bitmap &image, std::vector<unsigned char> &scratch, int &pitch)
{
    pitch = image.pitch;
    if (image.pixel_mode != FT_PIXEL_MODE_GRAY || !image.buffer) {
        return image.buffer;
    }
    const int width = int(image.width);
    pitch = GlyphBitmap::pitchFor(width);
    scratch.assign(size_t(pitch) * image.rows, 0);
    for (unsigned row = 0; row < image.rows; ++row) {
        const unsigned char *src = image.buffer + qsizetype(row) * std::abs(image.pitch);
        unsigned char *dst = scratch.data() + size_t(row) * pitch;
        for (int x = 0; x < width; ++x) {
            if (src[x] >= 128) {
                dst[x >> 3] |= static_cast<unsigned char>(0x80 >> (x & 7));
            }
        }
    }
    return scratch.data();
}

void capture(
    FT_GlyphSlot slot, const FT_Size_Metrics &size, bool valid, std::vector<unsigned char> &grey, RenderedGlyph &out)
{
    out.glyphIndex = slot->glyph_index;
    out.metrics = slot->metrics;
    out.linearHoriAdvance = slot->linearHoriAdvance;
    out.linearVertAdvance = slot->linearVertAdvance;
    out.advance = slot->advance;
    out.format = slot->format;
    out.image = slot->bitmap;
    out.image.buffer = nullptr;
    const FT_Bitmap &image = slot->bitmap;
    out.imageText.clear();
    base64::append(out.imageText, image.buffer, image.buffer ? qsizetype(image.rows) * std::abs(image.pitch) : 0);
    out.bitmapLeft = slot->bitmap_left;
    out.bitmapTop = slot->bitmap_top;
    out.numSubglyphs = slot->num_subglyphs;
    out.controlLen = slot->control_len;
    out.lsbDelta = slot->lsb_delta;
    out.rsbDelta = slot->rsb_delta;
    out.valid = valid;

    OutlineCellInput input;
    input.horiAdvance = slot->metrics.horiAdvance;
    input.sizeHeight = size.height;
    input.sizeAscender = size.ascender;
    input.bitmapLeft = slot->bitmap_left;
    input.bitmapTop = slot->bitmap_top;
    input.imageWidth = int(image.width);
    input.imageRows = int(image.rows);
    input.image = monoRows(image, grey, input.imagePitch);
    out.cell = buildOutlineCell(input);
    out.cellText.clear();
    out.cell.appendBase64(out.cellText);
}

bool loadAndRender(FT_Face face, FT_UInt index)
{
    return FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) == 0 && FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) == 0;
}

} // namespace

bool renderOutlineFont(CFreeTypeFont &font, jobs::JobProgress &progress, const std::vector<bool> *keep)
{
    FreeTypeFace ft;
    if (!ft.open(font.ttfPath, font.pixelWidth, font.pixelHeight)) {
        return false;
    }
    FT_Face face = ft.face;
    const docmemory::Scope fontMemory;
    font.resetForNewFont();
    pugi::xml_node faceNode = font.face();
    writeFaceHeader(faceNode, face);
    pugi::xml_node list = faceNode.append_child("glyph");
    progress.setMaximum(65536);

    GlyphWriter writer(font.fontDocument);
    if (!writer.ready()) {
        return false;
    }
    const FT_Size_Metrics sizeMetrics = face->size->metrics;
    std::vector<unsigned char> grey;
    RenderedGlyph rendered;
    // Every unmapped code gets the same missing-character glyph (index 0):
    // render it once. In a CJK font that is a third of all codes.
    RenderedGlyph missing;
    enum { NotTried, Rendered, Failed } missingState = NotTried;
    for (int code = 0; code < 65536; ++code) {
        if (progress.cancelRequested()) {
            break;
        }
        progress.setPosition(code);
        if (keep && !(*keep)[code]) {
            continue;
        }
        const FT_UInt index = FT_Get_Char_Index(face, FT_ULong(code));
        if (index == 0) {
            if (missingState == NotTried) {
                missingState = loadAndRender(face, 0) ? Rendered : Failed;
                if (missingState == Rendered) {
                    capture(face->glyph, sizeMetrics, false, grey, missing);
                }
            }
            if (missingState == Rendered) {
                writer.write(list, code, missing);
            }
            continue;
        }
        if (!loadAndRender(face, index)) {
            continue;
        }
        capture(face->glyph, sizeMetrics, true, grey, rendered);
        writer.write(list, code, rendered);
    }
    return true;
}
