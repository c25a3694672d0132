#include "cli/CodeSelection.h"

#include <QFile>
#include <QStringList>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace cli {

namespace {

constexpr int codeCount = 65536;

std::optional<unsigned> parseCode(const QString &text)
{
    bool ok = false;
    const QString trimmed = text.trimmed();
    const unsigned code = trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? trimmed.mid(2).toUInt(&ok, 16)
                                                                                       : trimmed.toUInt(&ok, 10);
    if (!ok || code >= unsigned(codeCount))
        return std::nullopt;
    return code;
}

} // namespace

std::optional<std::vector<bool>> codesOfText(const QString &text, QString *error)
{
    std::vector<bool> keep(codeCount, false);
    for (const char32_t code : text.toUcs4()) {
        if (code == U'\n' || code == U'\r' || code == U'\t')
            continue;
        if (code >= char32_t(codeCount)) {
            *error = QStringLiteral("--chars: U+%1 lies beyond U+FFFF, which a BCF font cannot hold")
                         .arg(QString::number(uint(code), 16).toUpper());
            return std::nullopt;
        }
        keep[code] = true;
    }
    return keep;
}

std::optional<std::vector<bool>> codesOfRanges(const QString &text, QString *error)
{
    std::vector<bool> keep(codeCount, false);
    for (const QString &part : text.split(u',', Qt::SkipEmptyParts)) {
        const QStringList ends = part.split(u'-');
        const std::optional<unsigned> first = ends.size() <= 2 ? parseCode(ends.first()) : std::nullopt;
        const std::optional<unsigned> last = ends.size() == 2 ? parseCode(ends.last()) : first;
        if (!first || !last || *last < *first) {
            *error = QStringLiteral("--ranges: \"%1\" is not a code or range of codes 0x0000 to 0xFFFF").arg(part);
            return std::nullopt;
        }
        for (unsigned code = *first; code <= *last; ++code)
            keep[code] = true;
    }
    return keep;
}

FontCoverage fontCoverage(const QString &path)
{
    FontCoverage coverage;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    const QByteArray name = QFile::encodeName(path);
    if (FT_Init_FreeType(&library) == 0 && FT_New_Face(library, name.constData(), 0, &face) == 0) {
        FT_UInt index = 0;
        for (FT_ULong code = FT_Get_First_Char(face, &index); index != 0 && code < FT_ULong(codeCount);
             code = FT_Get_Next_Char(face, code, &index))
            ++coverage.codes;
    }
    if (face)
        FT_Done_Face(face);
    if (library)
        FT_Done_FreeType(library);
    return coverage;
}

} // namespace cli
