#include "bitfont/core/CFreeTypeFont.h"

#include "bitfont/core/ProjectFile.h"
#include "connection/TrafficLog.h"

CFreeTypeFont::CFreeTypeFont() = default;

void CFreeTypeFont::resetForNewFont()
{
    historyDocument.remove_child("History");
    fontDocument.remove_child("Face");
    // A loaded project's text buffer (about 100 MB for a CJK font) is freed
    // only with the whole document.
    if (!fontDocument.first_child()) {
        fontDocument.reset();
    }
    fontDocument.append_child("Face");
}

bool CFreeTypeFont::loadProject()
{
    QString detail;
    const projectfile::Result result = projectfile::read(projectPath, fontDocument, &detail);
    if (result != projectfile::Result::Ok) {
        LogLine(QStringLiteral("Project not loaded, the current font is kept: %1 (%2)").arg(projectPath, detail));
        return false;
    }
    return true;
}

bool CFreeTypeFont::saveProject() const
{
    QString detail;
    if (projectfile::write(fontDocument, projectPath, &detail) != projectfile::Result::Ok) {
        LogLine(QStringLiteral("Project not saved: %1 (%2)").arg(projectPath, detail));
        return false;
    }
    return true;
}

pugi::xml_node CFreeTypeFont::findHistoryGlyph(int code) const
{
    for (pugi::xml_node glyph : historyDocument.child("History").children("Glyph")) {
        if (glyph.attribute("charcode").as_int() == code) {
            return glyph;
        }
    }
    return {};
}

CFreeTypeFont::Fields CFreeTypeFont::fields() const
{
    const pugi::xml_node metrics = sizeMetrics();
    Fields result;
    result.name = QString::fromUtf8(face().child("family_name").text().get());
    result.width = metrics.child("x_ppem").text().as_uint();
    result.height = metrics.child("y_ppem").text().as_uint();
    return result;
}
