#pragma once

#include "bitfont/core/GlyphBitmap.h"

#include <pugixml.hpp>

#include <charconv>
#include <string_view>

// Value texts of the font documents: decimal integers, "true"/"false",
// 26.6 values with a "px" attribute, empty elements for absent values.
namespace fontdoc {

// Reading: a missing element or empty text reads as 0 / false.
inline int readInt(pugi::xml_node parent, const char *name)
{
    return parent.child(name).text().as_int();
}
inline unsigned readUInt(pugi::xml_node parent, const char *name)
{
    return parent.child(name).text().as_uint();
}
// True when the text starts with "1", "t", "T", "y" or "Y".
inline bool readBool(pugi::xml_node parent, const char *name)
{
    return parent.child(name).text().as_bool();
}

// 26.6 fixed point to whole pixels, truncated toward zero (-65 gives -1).
constexpr long long pxOf(long long value)
{
    return value / 64;
}

inline const char *boolText(bool value)
{
    return value ? "true" : "false";
}

// Decimal text of an integer without allocation.
class IntText
{
public:
    explicit IntText(long long value) { m_end = std::to_chars(m_buf, m_buf + sizeof m_buf, value).ptr; }
    std::string_view view() const { return { m_buf, size_t(m_end - m_buf) }; }
    const char *data() const { return m_buf; }
    size_t size() const { return size_t(m_end - m_buf); }

private:
    char m_buf[24];
    char *m_end;
};

inline pugi::xml_node appendEmpty(pugi::xml_node parent, const char *name)
{
    return parent.append_child(name);
}
// An empty text gives an element without children, written as "<name />".
pugi::xml_node appendText(pugi::xml_node parent, const char *name, std::string_view text);
pugi::xml_node appendInt(pugi::xml_node parent, const char *name, long long value);
// A 26.6 value written raw, with its whole pixels in the attribute "px".
pugi::xml_node appendPx(pugi::xml_node parent, const char *name, long long value);
inline pugi::xml_node appendBool(pugi::xml_node parent, const char *name, bool value)
{
    return appendText(parent, name, boolText(value));
}

// Sets an element's text; empty text removes the text child.
void setText(pugi::xml_node element, std::string_view text);

// The "BitFont" record of a glyph element as readers see it: a glyph without
// the record, or with a damaged buffer, is an empty bitmap; a missing "valid"
// is false. The bitmap is taken as width x height with pitch (width + 7) / 8.
struct BitFontRecord {
    bool valid = false;
    int width = 0;
    int height = 0;
    GlyphBitmap cell;
};
BitFontRecord readBitFont(pugi::xml_node glyph);
void appendBitFont(pugi::xml_node glyph, bool valid, const GlyphBitmap &cell, std::string_view base64Text);

} // namespace fontdoc
