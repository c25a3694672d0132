// Times "ostrel-cli font build" in-process (the command exactly as the program
// runs it: rendering, BCF, file) for all codes and for the characters of a
// 500-character text, beside a bare FreeType load-and-render loop over the
// same codes. Target: the build of all codes within twice the bare loop.
// Run: build/bench/cli_font_build/cli_font_build FONT_FILE PIXEL_SIZE [RUNS]

#include "cli/Cli.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Load and render only, over the given codes: the least any build must do.
double bareLoop(FT_Face face, const std::vector<FT_ULong> &codes)
{
    QElapsedTimer timer;
    timer.start();
    for (const FT_ULong code : codes) {
        const FT_UInt index = FT_Get_Char_Index(face, code);
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) == 0)
            FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO);
    }
    return seconds(timer);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FONT_FILE PIXEL_SIZE [RUNS]\n", argv[0]);
        return 2;
    }
    const QString fontPath = QString::fromLocal8Bit(argv[1]);
    const QString size = QString::fromLocal8Bit(argv[2]);
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    QTemporaryDir dir;

    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) || FT_New_Face(library, argv[1], 0, &face)
        || FT_Set_Pixel_Sizes(face, FT_UInt(size.toInt()), FT_UInt(size.toInt()))) {
        std::fprintf(stderr, "FreeType cannot open %s at %s px\n", argv[1], argv[2]);
        return 1;
    }
    std::vector<FT_ULong> all(65536);
    for (FT_ULong code = 0; code < 65536; ++code)
        all[code] = code;
    // A label text of 500 different characters the font has: ASCII, then CJK ideographs.
    QString text;
    std::vector<FT_ULong> chosen;
    for (FT_ULong code = 0x21; chosen.size() < 500 && code < 65536; code = code == 0x7E ? 0x4E00 : code + 1) {
        if (FT_Get_Char_Index(face, code) != 0) {
            chosen.push_back(code);
            text += QChar(char16_t(code));
        }
    }
    const QString textPath = dir.filePath(QStringLiteral("label.txt"));
    QFile textFile(textPath);
    if (!textFile.open(QIODevice::WriteOnly) || textFile.write(text.toUtf8()) < 0)
        return 1;
    textFile.close();

    struct Case {
        const char *name;
        const std::vector<FT_ULong> &codes;
        QStringList extra;
    };
    const Case cases[] = {
        { "all codes", all, {} },
        { "500-character text", chosen, { QStringLiteral("--chars-file"), textPath } },
    };
    std::printf("font %s at %s px, median of %d runs\n", argv[1], argv[2], runs);
    for (const Case &c : cases) {
        std::vector<double> bare, build;
        const QString bcf = dir.filePath(QStringLiteral("out.bcf"));
        for (int run = 0; run < runs; ++run) {
            bare.push_back(bareLoop(face, c.codes));
            QElapsedTimer timer;
            timer.start();
            const int code = cli::run(QStringList { QStringLiteral("font"), QStringLiteral("build"), fontPath,
                                          QStringLiteral("--size"), size, QStringLiteral("--bcf"), bcf }
                + c.extra);
            build.push_back(seconds(timer));
            if (code != 0)
                return code;
        }
        const double b = median(bare), f = median(build);
        std::printf("%-20s bare FreeType loop %7.3f s, font build %7.3f s (%.2fx; target < 2x for all codes), "
                    "BCF %lld bytes\n",
            c.name, b, f, f / b, static_cast<long long>(QFileInfo(bcf).size()));
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return 0;
}
