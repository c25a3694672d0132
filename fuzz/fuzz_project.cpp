// A project file loaded as the tab loads it, then everything the tool reads
// from a font document: the fields, the glyph cells, the BCF document for
// the viewer with its records, and the BCF bytes of export and download.
#include "bitfont/core/BcfBuilder.h"
#include "bitfont/core/CFreeTypeFont.h"
#include "bitfont/core/GlyphRecords.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

const QString &projectPath()
{
    // Never destroyed: the exit handler that removes the file runs after static destructors.
    static const QString *const path = [] {
        const QString dir = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        const QString p = QStringLiteral("%1/ostrel-fuzz-project-%2.bfproj").arg(dir).arg(getpid());
        std::atexit([] { QFile::remove(projectPath()); });
        return new QString(p);
    }();
    return *path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QFile file(projectPath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    CFreeTypeFont font;
    font.projectPath = projectPath();
    font.pixelWidth = 16;
    if (!font.loadProject())
        return 0;
    (void)font.fields();
    for (const GlyphRef &glyph : fontGlyphs(font))
        (void)glyph.cell();
    pugi::xml_document bcf;
    buildBcfDocument(font, bcf, 5);
    for (const BcfRange &range : bcfRanges(bcf)) {
        for (const GlyphRef &copy : range.glyphs)
            (void)bcf2Of(copy);
    }
    QByteArray bytes;
    if (writeBcfBytes(bcf, font, bytes))
        (void)exportReportText(summarizeBcf(bcf));
    return 0;
}
