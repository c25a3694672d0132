// Times the bitmap font pipeline for one font file and pixel size, in one run:
// a bare FreeType load-and-render loop over codes 0..65535 (the yardstick),
// our rendering into the document, project save and load, BCF build and bytes.
// Prints each time, the peak memory and our render time against the bare loop.

#include "bitfont/core/BcfBuilder.h"
#include "bitfont/core/CFreeTypeFont.h"
#include "bitfont/core/OutlineRasterizer.h"
#include "jobs/JobContext.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

double seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

long peakMiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

long currentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE) / (1024 * 1024);
}

// Load and render only: the least any rendering of all codes must do.
double bareLoop(const QByteArray &path, int px, int &rendered)
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) || FT_New_Face(library, path.constData(), 0, &face)
        || FT_Set_Pixel_Sizes(face, FT_UInt(px), FT_UInt(px))) {
        return -1;
    }
    QElapsedTimer timer;
    timer.start();
    rendered = 0;
    for (FT_ULong code = 0; code < 65536; ++code) {
        const FT_UInt index = FT_Get_Char_Index(face, code);
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) == 0
            && FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) == 0) {
            ++rendered;
        }
    }
    const double elapsed = seconds(timer);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return elapsed;
}

int countGlyphs(const CFreeTypeFont &font)
{
    const auto glyphs = font.glyphList().children();
    return int(std::distance(glyphs.begin(), glyphs.end()));
}

void line(const char *what, double secs, const char *target = "")
{
    std::printf("  %-28s %8.3f s   (rss now %5ld MiB)  %s\n", what, secs, currentMiB(), target);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FONT_FILE PIXEL_SIZE [NULL_COUNT]\n", argv[0]);
        return 2;
    }
    const QString fontPath = QString::fromLocal8Bit(argv[1]);
    const int px = std::atoi(argv[2]);
    const int nullCount = argc > 3 ? std::atoi(argv[3]) : 5;
    QTemporaryDir dir;

    std::printf("font %s at %d x %d px\n", argv[1], px, px);
    int rendered = 0;
    const double bare = bareLoop(QFile::encodeName(fontPath), px, rendered);
    if (bare < 0) {
        std::fprintf(stderr, "FreeType cannot open %s at %d px\n", argv[1], px);
        return 1;
    }
    line("bare FreeType loop", bare);

    double render = 0, save = 0, load = 0, bcf = 0;
    qsizetype bcfSize = 0;
    qint64 projectSize = 0;
    int glyphs = 0;
    {
        CFreeTypeFont font;
        font.ttfPath = fontPath;
        font.pixelWidth = font.pixelHeight = px;
        font.projectPath = dir.filePath(QStringLiteral("bench.bfproj"));
        // What the worker gives the rasterizer: the context the dialog polls.
        jobs::JobContext progress;

        QElapsedTimer timer;
        timer.start();
        if (!renderOutlineFont(font, progress)) {
            std::fprintf(stderr, "render failed\n");
            return 1;
        }
        render = seconds(timer);
        glyphs = countGlyphs(font);
        line("render into document", render, "(target: within 2x the bare loop)");

        timer.restart();
        if (!font.saveProject()) {
            return 1;
        }
        save = seconds(timer);
        projectSize = QFile(font.projectPath).size();
        line("project save", save);

        // Opened over the rendered font, as a user opening a project does:
        // the harder case for memory.
        timer.restart();
        if (!font.loadProject()) {
            return 1;
        }
        load = seconds(timer);
        line("project load", load, "(target: under 1.5 s)");
        const int loadedGlyphs = countGlyphs(font);
        if (loadedGlyphs != glyphs) {
            std::fprintf(stderr, "the loaded project has %d glyphs, not %d\n", loadedGlyphs, glyphs);
            return 1;
        }

        timer.restart();
        QByteArray bytes;
        BcfSummary summary;
        if (!buildBcfBytes(font, nullCount, bytes, summary)) {
            return 1;
        }
        bcf = seconds(timer);
        bcfSize = bytes.size();
        line("BCF build and bytes", bcf, "(target: under 1 s)");
        std::printf("  BCF: %d ranges, %d glyphs, %d valid, %lld bytes\n", summary.rangeCount, summary.totalChar,
            summary.validChar, static_cast<long long>(bcfSize));
    }
    std::printf("  codes rendered by the bare loop %d, glyph elements %d, project file %lld bytes\n", rendered, glyphs,
        static_cast<long long>(projectSize));
    std::printf("  render / bare loop ratio       %8.2f   (target: <= 2.00)\n", render / bare);
    const long peak = peakMiB();
    std::printf(
        "  peak memory                    %8ld MiB = %ld MB (target: under 500 MB)\n", peak, peak * 1048576 / 1000000);
    return 0;
}
