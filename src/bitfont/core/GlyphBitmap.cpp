#include "bitfont/core/GlyphBitmap.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>

void GlyphBitmap::create(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    const int pitch = pitchFor(width);
    if (qint64(pitch) * height > maxBytes) {
        width = height = 0;
    }
    m_width = width;
    m_height = height;
    m_pitch = pitchFor(width);
    m_bytes = QByteArray(qsizetype(m_pitch) * m_height, '\0');
}

int GlyphBitmap::getPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return 0;
    }
    const auto byte = static_cast<unsigned char>(m_bytes[qsizetype(y) * m_pitch + x / 8]);
    return (byte >> (7 - x % 8)) & 1;
}

void GlyphBitmap::setPixel(int x, int y, bool on)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return;
    }
    char &byte = m_bytes[qsizetype(y) * m_pitch + x / 8];
    const char mask = char(0x80 >> (x % 8));
    byte = on ? char(byte | mask) : char(byte & ~mask);
}

void GlyphBitmap::blit(const GlyphBitmap &source, int x, int y)
{
    blitRows(reinterpret_cast<const unsigned char *>(source.m_bytes.constData()), source.m_width, source.m_height,
        source.m_pitch, x, y);
}

void GlyphBitmap::blitRows(const unsigned char *rows, int width, int height, int pitch, int x, int y)
{
    if (!rows || width <= 0 || height <= 0) {
        return;
    }
    const int stride = std::abs(pitch);
    // Clip once to the part of the source that lands inside this bitmap (and
    // that its rows really hold).
    const int firstCol = std::max(0, -x);
    const int lastCol = std::min({ width, m_width - x, stride * 8 });
    const int firstRow = std::max(0, -y);
    const int lastRow = std::min(height, m_height - y);
    if (firstCol >= lastCol || firstRow >= lastRow) {
        return;
    }
    auto *target = reinterpret_cast<unsigned char *>(m_bytes.data());
    for (int j = firstRow; j < lastRow; ++j) {
        const unsigned char *src = rows + qsizetype(j) * stride;
        unsigned char *dst = target + qsizetype(y + j) * m_pitch;
        for (int i = firstCol; i < lastCol; ++i) {
            const int tx = x + i;
            const unsigned char mask = static_cast<unsigned char>(0x80 >> (tx & 7));
            if ((src[i >> 3] >> (7 - (i & 7))) & 1) {
                dst[tx >> 3] |= mask;
            } else {
                dst[tx >> 3] &= static_cast<unsigned char>(~mask);
            }
        }
    }
}

GlyphBitmap::Cropped GlyphBitmap::cropToInk() const
{
    int left = -1, top = -1, right = -1, bottom = -1;
    // Bits past width are 0 in bitmaps we build, but a loaded one may carry them.
    const auto lastByteMask = static_cast<unsigned char>(0xFF << ((8 - m_width % 8) % 8));
    for (int y = 0; y < m_height; ++y) {
        const auto *row = reinterpret_cast<const unsigned char *>(m_bytes.constData()) + qsizetype(y) * m_pitch;
        const auto inkByte
            = [&](int b) { return b == m_pitch - 1 ? static_cast<unsigned char>(row[b] & lastByteMask) : row[b]; };
        int first = -1, last = -1;
        for (int b = 0; b < m_pitch; ++b) {
            if (inkByte(b)) {
                first = b * 8 + std::countl_zero(inkByte(b));
                break;
            }
        }
        if (first < 0) {
            continue;
        }
        for (int b = m_pitch - 1; b >= 0; --b) {
            if (inkByte(b)) {
                last = b * 8 + 7 - std::countr_zero(inkByte(b));
                break;
            }
        }
        if (top < 0) {
            top = y;
        }
        bottom = y;
        left = left < 0 ? first : std::min(left, first);
        right = std::max(right, last);
    }
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::max(right, 0);
    bottom = std::max(bottom, 0);

    Cropped result;
    result.left = left;
    result.top = top;
    result.bitmap.create(right - left + 1, bottom - top + 1);
    result.bitmap.blit(*this, -left, -top);
    return result;
}

QByteArray GlyphBitmap::toBase64() const
{
    std::string text;
    appendBase64(text);
    return QByteArray(text.data(), qsizetype(text.size()));
}

void GlyphBitmap::appendBase64(std::string &out) const
{
    base64::append(out, reinterpret_cast<const unsigned char *>(m_bytes.constData()), m_bytes.size());
}

bool GlyphBitmap::fromBase64(QByteArrayView text, int width, int height)
{
    QByteArray decoded;
    const bool fits = width <= maxCellSide && height <= maxCellSide;
    const qint64 need = fits ? qint64(pitchFor(width)) * std::max(height, 0) : 0;
    if (!fits || text.size() / 4 * 3 < need) {
        create(0, 0);
        return false;
    }
    create(width, height);
    if (base64::decode(text, decoded) < need || (need == 0 && (width > 0 && height > 0))) {
        create(0, 0);
        return false;
    }
    std::memcpy(m_bytes.data(), decoded.constData(), size_t(need));
    return true;
}

namespace base64 {
namespace {
constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<signed char, 256> makeDecodeTable()
{
    std::array<signed char, 256> table {};
    for (auto &v : table) {
        v = -1;
    }
    for (int i = 0; i < 64; ++i) {
        table[static_cast<unsigned char>(alphabet[i])] = static_cast<signed char>(i);
    }
    return table;
}
constexpr auto decodeTable = makeDecodeTable();
} // namespace

void append(std::string &out, const unsigned char *data, qsizetype size)
{
    const size_t start = out.size();
    out.resize(start + size_t((size + 2) / 3) * 4);
    char *p = out.data() + start;
    qsizetype i = 0;
    for (; i + 3 <= size; i += 3) {
        const unsigned v = (unsigned(data[i]) << 16) | (unsigned(data[i + 1]) << 8) | data[i + 2];
        *p++ = alphabet[v >> 18];
        *p++ = alphabet[(v >> 12) & 63];
        *p++ = alphabet[(v >> 6) & 63];
        *p++ = alphabet[v & 63];
    }
    if (i < size) {
        unsigned v = unsigned(data[i]) << 16;
        if (i + 1 < size) {
            v |= unsigned(data[i + 1]) << 8;
        }
        *p++ = alphabet[v >> 18];
        *p++ = alphabet[(v >> 12) & 63];
        *p++ = i + 1 < size ? alphabet[(v >> 6) & 63] : '=';
        *p++ = '=';
    }
}

qsizetype decode(QByteArrayView text, QByteArray &out)
{
    const qsizetype length = text.size();
    out.clear();
    if (length % 4 != 0) {
        return -1;
    }
    out.resize(length / 4 * 3);
    auto *dst = reinterpret_cast<unsigned char *>(out.data());
    qsizetype written = 0;
    for (qsizetype i = 0; i < length; i += 4) {
        int v[4];
        int pad = 0;
        for (int k = 0; k < 4; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if (c == '=' && i + 4 == length && k >= 2) {
                v[k] = 0;
                ++pad;
                continue;
            }
            if (pad > 0 || decodeTable[c] < 0) {
                out.clear();
                return -1;
            }
            v[k] = decodeTable[c];
        }
        const unsigned bits = (unsigned(v[0]) << 18) | (unsigned(v[1]) << 12) | (unsigned(v[2]) << 6) | unsigned(v[3]);
        dst[written++] = static_cast<unsigned char>(bits >> 16);
        if (pad < 2) {
            dst[written++] = static_cast<unsigned char>(bits >> 8);
        }
        if (pad < 1) {
            dst[written++] = static_cast<unsigned char>(bits);
        }
    }
    out.resize(written);
    return written;
}
} // namespace base64
