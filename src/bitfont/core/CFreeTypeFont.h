#pragma once

#include <QString>

#include <pugixml.hpp>

// The one font of the bitmap font tool: the font document ("Face" with one
// glyph element per rendered code), the editor's undo/redo history, and the
// tool's working values.
class CFreeTypeFont
{
public:
    CFreeTypeFont();
    virtual ~CFreeTypeFont() = default;
    CFreeTypeFont(const CFreeTypeFont &) = delete;
    CFreeTypeFont &operator=(const CFreeTypeFont &) = delete;

    QString ttfPath;
    qint32 pixelWidth = 0;
    qint32 pixelHeight = 0;
    QString projectPath;
    QString bcfPath;
    QString fontName;
    QString memoryPlace;
    pugi::xml_document fontDocument;
    pugi::xml_document historyDocument;

    // Drops the history and the old "Face", then appends an empty "Face".
    void resetForNewFont();

    // Replaces the font document with the project at projectPath. A file that
    // cannot be read or parsed leaves the current document as it was and
    // logs why; false then.
    bool loadProject();
    // Writes the font document to projectPath through a temporary file, so a
    // failed save leaves the previous file intact. Logs a failure.
    bool saveProject() const;

    // First "Glyph" of the history whose "charcode" equals code; empty when none.
    pugi::xml_node findHistoryGlyph(int code) const;

    // What the tab's name, width and height fields show for the document.
    struct Fields {
        QString name;
        unsigned width = 0;
        unsigned height = 0;
    };
    Fields fields() const;

    pugi::xml_node face() const { return fontDocument.child("Face"); }
    pugi::xml_node glyphList() const { return face().child("glyph"); }
    pugi::xml_node sizeMetrics() const { return face().child("size").child("metrics"); }
};
