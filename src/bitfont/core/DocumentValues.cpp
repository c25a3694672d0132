#include "bitfont/core/DocumentValues.h"

namespace fontdoc {

pugi::xml_node appendText(pugi::xml_node parent, const char *name, std::string_view text)
{
    pugi::xml_node element = parent.append_child(name);
    if (!text.empty()) {
        element.append_child(pugi::node_pcdata).set_value(text.data(), text.size());
    }
    return element;
}

pugi::xml_node appendInt(pugi::xml_node parent, const char *name, long long value)
{
    return appendText(parent, name, IntText(value).view());
}

pugi::xml_node appendPx(pugi::xml_node parent, const char *name, long long value)
{
    pugi::xml_node element = parent.append_child(name);
    const IntText px(pxOf(value));
    element.append_attribute("px").set_value(px.data(), px.size());
    const IntText raw(value);
    element.append_child(pugi::node_pcdata).set_value(raw.data(), raw.size());
    return element;
}

void setText(pugi::xml_node element, std::string_view text)
{
    // Values live either in a text child or, when parsed with
    // parse_embed_pcdata, in the element itself; xml_text handles both.
    const pugi::xml_node child = element.first_child();
    if (text.empty() && child.type() == pugi::node_pcdata) {
        element.remove_child(child);
        return;
    }
    element.text().set(text.data(), text.size());
}

BitFontRecord readBitFont(pugi::xml_node glyph)
{
    BitFontRecord record;
    const pugi::xml_node bitFont = glyph.child("BitFont");
    if (!bitFont) {
        return record;
    }
    record.valid = readBool(bitFont, "valid");
    record.width = readInt(bitFont, "width");
    record.height = readInt(bitFont, "height");
    record.cell.fromBase64(QByteArrayView(bitFont.child("buffer").text().get()), record.width, record.height);
    return record;
}

void appendBitFont(pugi::xml_node glyph, bool valid, const GlyphBitmap &cell, std::string_view base64Text)
{
    pugi::xml_node bitFont = glyph.append_child("BitFont");
    appendBool(bitFont, "valid", valid);
    appendText(bitFont, "buffer", base64Text);
    appendInt(bitFont, "width", cell.width());
    appendInt(bitFont, "height", cell.height());
    appendInt(bitFont, "pitch", cell.pitch());
}

} // namespace fontdoc
