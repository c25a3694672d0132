#include "bitfont/core/SystemFontRasterizer.h"

#include "bitfont/core/CFreeTypeFont.h"
#include "bitfont/core/DocumentMemory.h"
#include "bitfont/core/DocumentValues.h"
#include "connection/TrafficLog.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRawFont>

#include <cstring>
#include <string>

using fontdoc::appendInt;

QString initialSystemFontFamily()
{
    return QStringLiteral("宋体");
}

namespace {

// Draws one character at a time into a reused 1-bit image, black on white,
// the character's top-left at (0, 0) as a text cell is laid out.
class CellPainter
{
public:
    explicit CellPainter(const QFont &font, int ascent)
        : m_font(font)
        , m_ascent(ascent)
    { }

    GlyphBitmap draw(char16_t code, int width, int height)
    {
        ensureImage(width, height);
        m_painter.fillRect(0, 0, width, height, Qt::white);
        m_painter.drawText(QPointF(0, m_ascent), QString(QChar(code)));
        GlyphBitmap cell;
        cell.create(width, height);
        // Colour index 1 is black, and the image's bit order is the cell's.
        cell.blitRows(m_image.constBits(), width, height, int(m_image.bytesPerLine()), 0, 0);
        return cell;
    }

private:
    void ensureImage(int width, int height)
    {
        if (m_image.width() >= width && m_image.height() >= height) {
            return;
        }
        if (m_painter.isActive()) {
            m_painter.end();
        }
        m_image = QImage(std::max(width, m_image.width()), std::max(height, m_image.height()), QImage::Format_Mono);
        m_image.setColorTable({ qRgb(255, 255, 255), qRgb(0, 0, 0) });
        m_painter.begin(&m_image);
        m_painter.setRenderHint(QPainter::TextAntialiasing, false);
        m_painter.setFont(m_font);
        m_painter.setPen(Qt::black);
    }

    QFont m_font;
    int m_ascent;
    QImage m_image;
    QPainter m_painter;
};

} // namespace

void renderSystemFont(CFreeTypeFont &font, const QFont &chosen, jobs::JobProgress &progress,
    const QElapsedTimer &chooserOpened, const TranslateText &translate)
{
    const docmemory::Scope fontMemory;
    font.resetForNewFont();
    pugi::xml_node face = font.face();
    fontdoc::appendText(face, "family_name", chosen.family().toStdString());

    // One font, drawn as is: no smoothing, and no other font filling its gaps.
    QFont drawn = chosen;
    drawn.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    const QFontMetrics metrics(drawn);
    const QRawFont raw = QRawFont::fromFont(drawn);
    const int cellWidth = metrics.maxWidth();
    const int cellHeight = metrics.height();
    pugi::xml_node sizeMetrics = face.append_child("size").append_child("metrics");
    appendInt(sizeMetrics, "x_ppem", cellWidth);
    appendInt(sizeMetrics, "y_ppem", cellHeight);

    GlyphBitmap blank;
    blank.create(cellWidth, cellHeight);
    std::string blankText;
    blank.appendBase64(blankText);

    pugi::xml_node list = face.append_child("glyph");
    progress.setMaximum(65536);
    CellPainter painter(drawn, metrics.ascent());
    std::string text;
    for (int code = 0; code < 65536; ++code) {
        if (progress.cancelRequested()) {
            break;
        }
        progress.setPosition(code);
        pugi::xml_node glyph = list.append_child("glyph");
        glyph.append_attribute("charcode").set_value(code);

        const QChar character { char16_t(code) };
        const QList<quint32> indexes
            = character.isPrint() ? raw.glyphIndexesForString(QString(character)) : QList<quint32>();
        const quint32 index = indexes.value(0);
        if (index == 0) {
            fontdoc::appendBitFont(glyph, false, blank, blankText);
            continue;
        }
        const int width = metrics.horizontalAdvance(character);
        if (width <= 0 || cellHeight <= 0) {
            continue;
        }
        appendInt(glyph, "glyph_index", index);
        const GlyphBitmap cell = painter.draw(char16_t(code), width, cellHeight);
        text.clear();
        cell.appendBase64(text);
        fontdoc::appendBitFont(glyph, true, cell, text);
    }
    const qint64 seconds = chooserOpened.isValid() ? chooserOpened.elapsed() / 1000 : 0;
    LogLine(fillNumbers(translated(translate, QStringLiteral("载入系统字体，耗费时间=%d秒")), { seconds }));
}
