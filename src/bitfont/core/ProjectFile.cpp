#include "bitfont/core/ProjectFile.h"

#include "bitfont/core/DocumentMemory.h"
#include "platform/AtomicSave.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace projectfile {
namespace {

constexpr unsigned saveFlags = pugi::format_indent;
// Values are kept in their elements rather than in text nodes of their own: a
// whole font has millions of values, and this saves a third of the nodes.
// Readers use xml_text, which sees both forms; the saved text is the same.
constexpr unsigned parseFlags = pugi::parse_default | pugi::parse_embed_pcdata;

// pugixml ends lines with LF; the file format wants CR LF on every line.
// Collects the text in one reused buffer and hands it on in large pieces.
class CrLfWriter : public pugi::xml_writer
{
public:
    explicit CrLfWriter(QIODevice &device)
        : m_device(device)
    {
        m_buffer.reserve(chunk + chunk / 2);
    }

    void write(const void *data, size_t size) override
    {
        const char *p = static_cast<const char *>(data);
        const char *end = p + size;
        while (p < end) {
            const char *lf = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
            const char *stop = lf ? lf : end;
            m_buffer.append(p, size_t(stop - p));
            if (lf) {
                m_buffer.append("\r\n", 2);
                p = lf + 1;
            } else {
                p = end;
            }
        }
        if (m_buffer.size() >= chunk) {
            flush();
        }
    }

    bool flush()
    {
        if (m_ok && !platform::writeWhole(m_device, QByteArrayView(m_buffer.data(), qsizetype(m_buffer.size())))) {
            m_ok = false;
        }
        m_buffer.clear(); // keeps its capacity
        return m_ok;
    }

private:
    static constexpr size_t chunk = size_t(1) << 20;
    QIODevice &m_device;
    std::string m_buffer;
    bool m_ok = true;
};

bool saveTo(const pugi::xml_document &document, QIODevice &device)
{
    CrLfWriter writer(device);
    document.save(writer, "\t", saveFlags, pugi::encoding_utf8);
    return writer.flush();
}

// A text buffer from the parser's own allocator: the parser takes ownership of
// it and keeps names and texts in place, which avoids a second copy of a large
// text. Null when out of memory.
char *allocateParseBuffer(size_t size)
{
    return static_cast<char *>(pugi::get_memory_allocation_function()(std::max<size_t>(size, 1)));
}

void releaseParseBuffer(char *buffer)
{
    pugi::get_memory_deallocation_function()(buffer);
}

// The current document, kept as text while a project is parsed: a whole font
// as a tree and a second one being parsed would pass 500 MB together. Kept in
// pieces, so that growing it never holds two copies.
class KeptText : public pugi::xml_writer
{
public:
    explicit KeptText(const pugi::xml_document &document)
    {
        if (document.first_child()) {
            document.save(*this, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
        }
    }

    void write(const void *data, size_t size) override
    {
        if (m_pieces.empty() || m_pieces.back().size() + size > piece) {
            m_pieces.emplace_back();
            m_pieces.back().reserve(std::max(piece, size));
        }
        m_pieces.back().append(static_cast<const char *>(data), size);
    }

    // Each piece is released as soon as it is copied.
    void restoreInto(pugi::xml_document &document)
    {
        document.reset();
        size_t size = 0;
        for (const std::string &part : m_pieces) {
            size += part.size();
        }
        char *text = allocateParseBuffer(size);
        if (!text) {
            return;
        }
        char *at = text;
        for (std::string &part : m_pieces) {
            at = std::copy(part.begin(), part.end(), at);
            std::string().swap(part);
        }
        // Our own text of a moment ago: it parses.
        document.load_buffer_inplace_own(text, size, parseFlags);
    }

private:
    static constexpr size_t piece = size_t(4) << 20;
    std::vector<std::string> m_pieces;
};

// What parsing text would take, from its markup alone: pugixml's nodes are
// 64 bytes and its attributes 40 (64-bit), beside the text it parses in place.
// Exporting adds its bytes to that: a 16-byte entry a glyph, at most 28 bytes
// a range (a glyph may be a range of its own), and no more bitmap bytes than
// a cell's "buffer" text decodes to.
struct TreeEstimate {
    qint64 bytes = 0;
    qint64 glyphs = 0;
    qint64 exportBytes = 0;
};

TreeEstimate estimateTree(const char *text, size_t size)
{
    constexpr qint64 nodeBytes = 64;
    constexpr qint64 attributeBytes = 40;
    TreeEstimate estimate;
    estimate.bytes = qint64(size);
    const char *end = text + size;
    for (const char *p = text; (p = static_cast<const char *>(std::memchr(p, '<', size_t(end - p)))); ++p) {
        if (p + 1 < end && p[1] != '/') {
            estimate.bytes += nodeBytes;
        }
        if (end - p > 6 && std::memcmp(p + 1, "glyph", 5) == 0
            && (p[6] == '>' || p[6] == '/' || p[6] == ' ' || p[6] == '\t' || p[6] == '\r' || p[6] == '\n')) {
            ++estimate.glyphs;
        }
        if (end - p > 8 && std::memcmp(p + 1, "buffer>", 7) == 0) {
            const char *textEnd = static_cast<const char *>(std::memchr(p + 8, '<', size_t(end - p - 8)));
            estimate.exportBytes += ((textEnd ? textEnd : end) - (p + 8)) / 4 * 3 + 2;
        }
    }
    estimate.exportBytes += 12 + 44 * estimate.glyphs;
    for (const char *p = text; (p = static_cast<const char *>(std::memchr(p, '=', size_t(end - p)))); ++p) {
        if (p + 1 < end && (p[1] == '"' || p[1] == '\'')) {
            estimate.bytes += attributeBytes;
        }
    }
    return estimate;
}

// Why text is refused before parsing, or empty.
QString refusalOf(const char *text, size_t size)
{
    const TreeEstimate estimate = estimateTree(text, size);
    if (estimate.glyphs > maxGlyphElements) {
        return QStringLiteral("the file holds %1 glyph elements, more than any font of this tool (%2)")
            .arg(estimate.glyphs)
            .arg(maxGlyphElements);
    }
    // Small files pass whatever their markup: their tree is small anyway.
    constexpr qint64 smallTree = qint64(16) << 20;
    const qint64 need = estimate.bytes + estimate.exportBytes;
    if (need > 4 * qint64(size) && need > smallTree) {
        return QStringLiteral(
            "the file would need about %1 MB of memory to load and export, more than four times its size")
            .arg(need / 1000000);
    }
    return {};
}

} // namespace

Result read(const QString &path, pugi::xml_document &document, QString *detail)
{
    const docmemory::Scope fontMemory;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (detail) {
            *detail = file.errorString();
        }
        return Result::CannotOpen;
    }

    const qint64 size = file.size();
    if (size > maxFileBytes) {
        if (detail) {
            *detail = QStringLiteral("the file has %1 bytes, more than any project of this tool").arg(size);
        }
        return Result::TooLarge;
    }
    KeptText kept(document);
    document.reset();

    char *buffer = allocateParseBuffer(size_t(size));
    if (!buffer || file.read(buffer, size) != size) {
        releaseParseBuffer(buffer);
        kept.restoreInto(document);
        if (detail) {
            *detail = buffer ? file.errorString() : QStringLiteral("out of memory");
        }
        return Result::CannotRead;
    }
    if (const QString refusal = refusalOf(buffer, size_t(size)); !refusal.isEmpty()) {
        releaseParseBuffer(buffer);
        kept.restoreInto(document);
        if (detail) {
            *detail = refusal;
        }
        return Result::TooLarge;
    }
    const pugi::xml_parse_result result = document.load_buffer_inplace_own(buffer, size_t(size), parseFlags);
    if (!result) {
        kept.restoreInto(document);
        if (detail) {
            *detail = QStringLiteral("%1 at byte %2").arg(QString::fromUtf8(result.description())).arg(result.offset);
        }
        return Result::ParseError;
    }
    return Result::Ok;
}

Result write(const pugi::xml_document &document, const QString &path, QString *detail)
{
    QSaveFile file(path);
    // Our own buffer is large: Qt's would only copy it once more.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (detail) {
            *detail = file.errorString();
        }
        return Result::CannotWrite;
    }
    // The reason of a failed write is gone once commit() has closed the file.
    if (!saveTo(document, file)) {
        if (detail) {
            *detail = file.errorString();
        }
        file.cancelWriting();
        return Result::CannotWrite;
    }
    if (!file.commit()) {
        if (detail) {
            *detail = file.errorString();
        }
        return Result::CannotWrite;
    }
    return Result::Ok;
}

QByteArray toBytes(const pugi::xml_document &document)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    saveTo(document, buffer);
    return bytes;
}

} // namespace projectfile
