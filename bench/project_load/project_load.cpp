// Writes a project of N glyphs of S x S cells with ink, then measures the
// resident peak of loading it and of building its BCF bytes as export does,
// against the file's size. Then the same for a file with three times the
// glyphs (refused beyond the 65536 a project may hold). Without arguments it
// goes through the shapes below: 65536 glyphs (the most the tool makes) of 24
// and of 8 (the smallest file, where each glyph's nodes weigh most), and
// fewer glyphs of 64 and 128. Given a project file, it measures that file.
//
//   project_load [glyphs] [side]
//   project_load FILE.bfproj
#include "bitfont/core/BcfBuilder.h"
#include "bitfont/core/CFreeTypeFont.h"
#include "bitfont/core/DocumentValues.h"
#include "bitfont/core/ProjectFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// VmRSS or VmHWM of this process in bytes.
long long statusBytes(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::atoll(line.c_str() + std::string(field).size() + 1) * 1024;
    }
    return -1;
}

// Starts a new peak at the present resident size.
void resetPeak()
{
    malloc_trim(0);
    std::FILE *clear = std::fopen("/proc/self/clear_refs", "w");
    if (clear) {
        std::fputs("5", clear);
        std::fclose(clear);
    }
}

bool writeProject(const QString &path, int glyphs, int side)
{
    CFreeTypeFont font;
    font.resetForNewFont();
    pugi::xml_node metrics = font.face().append_child("size").append_child("metrics");
    fontdoc::appendInt(metrics, "ascender", side * 64);
    fontdoc::appendInt(metrics, "height", side * 64);
    pugi::xml_node list = font.face().append_child("glyph");
    GlyphBitmap cell;
    cell.create(side, side);
    for (int i = 0; i < side; ++i) {
        cell.setPixel(i, i, true);
        cell.setPixel(side - 1 - i, i, true);
    }
    const std::string text = cell.toBase64().toStdString();
    for (int code = 0; code < glyphs; ++code) {
        pugi::xml_node glyph = list.append_child("glyph");
        glyph.append_attribute("charcode").set_value(code);
        fontdoc::appendBitFont(glyph, true, cell, text);
    }
    font.projectPath = path;
    return font.saveProject();
}

void measure(const QString &path)
{
    const double fileMB = double(QFile(path).size()) / 1e6;
    CFreeTypeFont font;
    font.projectPath = path;
    font.pixelWidth = 24;
    resetPeak();
    const long long base = statusBytes("VmRSS:");
    const bool loaded = font.loadProject();
    const double loadMB = double(statusBytes("VmHWM:") - base) / 1e6;
    std::printf("  file %.1f MB: load %s, peak +%.1f MB (%.2fx the file)\n", fileMB, loaded ? "ok" : "refused", loadMB,
        loadMB / fileMB);
    if (!loaded)
        return;
    {
        QByteArray bytes;
        BcfSummary summary;
        const bool built = buildBcfBytes(font, 5, bytes, summary);
        const double exportMB = double(statusBytes("VmHWM:") - base) / 1e6;
        std::printf("  load and export (%s, %lld bytes): peak +%.1f MB (%.2fx the file)\n", built ? "built" : "refused",
            qint64(bytes.size()), exportMB, exportMB / fileMB);
    }
}

// One file, in a process of its own: memory an earlier file's document left
// resident (freed but kept by the allocators) would hide a later peak.
int measureOne(int glyphs, int side)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.bfproj"));
    std::printf("%d glyphs of %d x %d:\n", glyphs, side, side);
    if (!writeProject(path, glyphs, side))
        return 1;
    measure(path);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() == 3 && arguments[0] == QLatin1String("--one"))
        return measureOne(arguments[1].toInt(), arguments[2].toInt());
    if (arguments.size() == 1 && QFile::exists(arguments[0])) {
        std::printf("%s:\n", qPrintable(arguments[0]));
        measure(arguments[0]);
        return 0;
    }

    struct Shape {
        int glyphs;
        int side;
    };
    QList<Shape> shapes { { 65536, 24 }, { 65536, 8 }, { 16384, 64 }, { 4096, 128 } };
    if (!arguments.isEmpty())
        shapes = { { arguments[0].toInt(), arguments.size() > 1 ? arguments[1].toInt() : 24 } };
    for (const Shape &shape : shapes) {
        for (const int glyphs : { shape.glyphs, 3 * shape.glyphs }) {
            const int status = QProcess::execute(QCoreApplication::applicationFilePath(),
                { QStringLiteral("--one"), QString::number(glyphs), QString::number(shape.side) });
            if (status != 0)
                return 1;
        }
    }
    return 0;
}
