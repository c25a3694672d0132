#include "ui/LanguagePack.h"

#include <pugixml.hpp>

namespace {

bool parseXml(pugi::xml_document &document, const QByteArray &xml)
{
    return document.load_buffer(
        xml.constData(), static_cast<size_t>(xml.size()), pugi::parse_default, pugi::encoding_utf8);
}

QString text(const pugi::xml_attribute &attribute)
{
    return QString::fromUtf8(attribute.value());
}

void takeIfPresent(QHash<int, QString> &map, int id, const pugi::xml_node &node, const char *name)
{
    const pugi::xml_attribute attribute = node.attribute(name);
    if (attribute)
        map.insert(id, text(attribute));
}

} // namespace

WindowPack parseWindowPack(const QByteArray &xml)
{
    WindowPack pack;
    pugi::xml_document document;
    if (!parseXml(document, xml))
        return pack;
    for (const pugi::xml_node &node : document.child("Language").children("Text")) {
        const pugi::xml_attribute idAttribute = node.attribute("id");
        bool ok = false;
        const int id = text(idAttribute).trimmed().toInt(&ok);
        if (!idAttribute || !ok)
            continue;
        takeIfPresent(pack.texts, id, node, "text");
        takeIfPresent(pack.tooltips, id, node, "tooltip");
        takeIfPresent(pack.hints, id, node, "tipvalue");
    }
    return pack;
}

MessagePack parseMessagePack(const QByteArray &xml)
{
    MessagePack pack;
    pugi::xml_document document;
    if (!parseXml(document, xml))
        return pack;
    for (const pugi::xml_node &node : document.child("Language").children("String")) {
        const pugi::xml_attribute source = node.attribute("id");
        const pugi::xml_attribute translation = node.attribute("text");
        if (source && translation)
            pack.insert(text(source), text(translation));
    }
    return pack;
}

QString windowPackFileName(const QString &layoutFile)
{
    const qsizetype dot = layoutFile.lastIndexOf(QLatin1Char('.'));
    return (dot < 0 ? layoutFile : layoutFile.left(dot)) + QStringLiteral(".lng");
}
