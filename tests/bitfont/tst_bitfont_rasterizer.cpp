#include "FontTestSupport.h"

#include "bitfont/core/BcfBuilder.h"
#include "bitfont/core/OutlineRasterizer.h"
#include "bitfont/core/ProjectFile.h"
#include "bitfont/core/SystemFontRasterizer.h"
#include "support/TrafficLogRecorder.h"

#include <QFontMetrics>
#include <QRect>
#include <QTest>

#include <vector>

namespace {

QRect inkBox(const GlyphBitmap &cell)
{
    const GlyphBitmap::Cropped cropped = cell.cropToInk();
    if (cropped.bitmap.bytes() == QByteArray(1, '\0')) {
        return {};
    }
    return { cropped.left, cropped.top, cropped.bitmap.width(), cropped.bitmap.height() };
}

std::vector<pugi::xml_node> glyphsByCode(const CFreeTypeFont &font)
{
    std::vector<pugi::xml_node> glyphs(65536);
    for (pugi::xml_node glyph : font.glyphList().children("glyph")) {
        glyphs[glyph.attribute("charcode").as_uint() & 0xFFFF] = glyph;
    }
    return glyphs;
}

int metric(pugi::xml_node glyph, const char *name)
{
    return glyph.child("metrics").child(name).text().as_int();
}

// Element paths in document order, each attribute after "@"; the glyph list's
// own children are left out.
QStringList layoutOf(pugi::xml_node element, const QString &prefix = {})
{
    QStringList paths;
    for (pugi::xml_node child : element.children()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        QString path = prefix + QString::fromUtf8(child.name());
        for (pugi::xml_attribute attribute : child.attributes()) {
            path += QLatin1Char('@') + QString::fromUtf8(attribute.name());
        }
        paths.append(path);
        if (!(prefix.isEmpty() && path == QLatin1String("glyph"))) {
            paths += layoutOf(child, prefix + QString::fromUtf8(child.name()) + QLatin1Char('/'));
        }
    }
    return paths;
}

} // namespace

class TestRasterizer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void outlineCell_data();
    void outlineCell();
    void outlineDocumentLayout();
    void outlineGlyphsOfARealFont();
    void outlineMissingCharacter();
    void outlineOffsetsLeftOfOrigin();
    void outlineStopsWithTheWindow();
    void outlineOpenFailureKeepsFont();
    void systemFont();

private:
    CFreeTypeFont m_outline;
    std::vector<pugi::xml_node> m_glyphs;
};

void TestRasterizer::initTestCase()
{
    m_outline.ttfPath = dejaVuSansPath();
    m_outline.pixelWidth = m_outline.pixelHeight = 16;
    jobs::JobContext progress;
    QVERIFY2(renderOutlineFont(m_outline, progress), "fonts-dejavu-core must be installed");
    m_glyphs = glyphsByCode(m_outline);
}

void TestRasterizer::outlineCell_data()
{
    QTest::addColumn<long>("advance");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<QSize>("image");
    QTest::addColumn<QSize>("cell");
    QTest::addColumn<QRect>("ink");

    // Size ascender 14 x 64, height 18 x 64 unless the image needs less.
    QTest::newRow("A at 16 px") << 9L * 64 << 0 << 12 << QSize(5, 3) << QSize(9, 18) << QRect(0, 2, 5, 3);
    QTest::newRow("left of the origin") << 9L * 64 << -1 << 12 << QSize(5, 3) << QSize(9, 18) << QRect(0, 2, 5, 3);
    QTest::newRow("above the ascender") << 9L * 64 << 1 << 16 << QSize(5, 3) << QSize(9, 18) << QRect(1, 0, 5, 3);
    QTest::newRow("no advance") << 0L << 2 << 12 << QSize(5, 3) << QSize(5, 18) << QRect(2, 2, 3, 3);
    QTest::newRow("image past the cell") << 4L * 64 + 63 << 1 << 3 << QSize(6, 9) << QSize(4, 18) << QRect(1, 11, 3, 7);
}

void TestRasterizer::outlineCell()
{
    QFETCH(long, advance);
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(QSize, image);
    QFETCH(QSize, cell);
    QFETCH(QRect, ink);

    const GlyphBitmap rendered = inkBitmap(image.width(), image.height());
    OutlineCellInput input;
    input.horiAdvance = advance;
    input.sizeAscender = 14 * 64;
    input.sizeHeight = 18 * 64;
    input.bitmapLeft = left;
    input.bitmapTop = top;
    input.imageWidth = rendered.width();
    input.imageRows = rendered.height();
    input.imagePitch = rendered.pitch();
    input.image = reinterpret_cast<const unsigned char *>(rendered.bytes().constData());
    const GlyphBitmap result = buildOutlineCell(input);
    QCOMPARE(QSize(result.width(), result.height()), cell);
    QCOMPARE(inkBox(result), ink);
}

void TestRasterizer::outlineDocumentLayout()
{
    // The element names and their order are the project file format.
    const QStringList header = QStringLiteral(
        "num_faces face_index face_flags style_flags num_glyphs family_name style_name num_fixed_sizes "
        "available_sizes num_charmaps charmaps generic bbox bbox/xMin bbox/yMin bbox/xMax bbox/yMax units_per_EM "
        "ascender descender height max_advance_width max_advance_height underline_position underline_thickness "
        "size size/face size/generic size/metrics size/metrics/x_ppem size/metrics/y_ppem size/metrics/x_scale "
        "size/metrics/y_scale size/metrics/ascender@px size/metrics/descender@px size/metrics/height@px "
        "size/metrics/max_advance@px size/internal charmap charmap/face charmap/encoding charmap/platform_id "
        "charmap/encoding_id glyph")
                                   .split(QLatin1Char(' '));
    QCOMPARE(layoutOf(m_outline.face()), header);

    const QStringList glyph = QStringLiteral(
        "library face next glyph_index generic metrics metrics/width@px metrics/height@px metrics/horiBearingX@px "
        "metrics/horiBearingY@px metrics/horiAdvance@px metrics/vertBearingX@px metrics/vertBearingY@px "
        "metrics/vertAdvance@px linearHoriAdvance linearVertAdvance advance advance/x advance/y format bitmap "
        "bitmap/rows bitmap/width bitmap/pitch bitmap/buffer bitmap/num_grays bitmap/pixel_mode "
        "bitmap/palette_mode bitmap/palette bitmap_left bitmap_top outline num_subglyphs subglyphs control_data "
        "control_len lsb_delta rsb_delta other internal BitFont BitFont/valid BitFont/buffer BitFont/width "
        "BitFont/height BitFont/pitch")
                                  .split(QLatin1Char(' '));
    for (int code : { 0x41, 0x4E00 }) {
        QCOMPARE(layoutOf(m_glyphs[size_t(code)]), glyph);
    }
    QCOMPARE(QString::fromUtf8(m_glyphs['A'].first_attribute().name()), QStringLiteral("charcode"));
    QVERIFY(!m_glyphs['A'].first_attribute().next_attribute());
}

void TestRasterizer::outlineGlyphsOfARealFont()
{
    QCOMPARE(m_outline.fields().name, QStringLiteral("DejaVu Sans"));
    QCOMPARE(m_outline.fields().width, 16u);
    QCOMPARE(m_outline.fields().height, 16u);
    const pugi::xml_node sizeMetrics = m_outline.sizeMetrics();
    const int ascender = sizeMetrics.child("ascender").text().as_int() / 64;
    const int lineHeight = sizeMetrics.child("height").text().as_int() / 64;
    QVERIFY(lineHeight >= 16);

    int count = 0;
    int previous = -1;
    for (pugi::xml_node glyph : m_outline.glyphList().children()) {
        const int code = glyph.attribute("charcode").as_int();
        QVERIFY(code > previous);
        previous = code;
        QCOMPARE(fontdoc::readBitFont(glyph).height, lineHeight);
        ++count;
    }
    QCOMPARE(count, 65536);

    // The pen origin at the cell's left edge, the baseline ascender rows down.
    const pugi::xml_node a = m_glyphs['A'];
    const fontdoc::BitFontRecord cellA = fontdoc::readBitFont(a);
    QVERIFY(cellA.valid);
    QCOMPARE(cellA.width, metric(a, "horiAdvance") / 64);
    const QRect inkA = inkBox(cellA.cell);
    QCOMPARE(inkA.left(), a.child("bitmap_left").text().as_int());
    QCOMPARE(inkA.top(), ascender - a.child("bitmap_top").text().as_int());
    QCOMPARE(inkA.width(), a.child("bitmap").child("width").text().as_int());
    QCOMPARE(a.child("BitFont").child("pitch").text().as_int(), (cellA.width + 7) / 8);
    QCOMPARE(a.child("format").text().as_int(), 1651078259);
    QCOMPARE(m_outline.face().child("charmap").child("encoding").text().as_int(), 1970170211);

    const fontdoc::BitFontRecord space = fontdoc::readBitFont(m_glyphs[0x20]);
    QVERIFY(space.valid);
    QCOMPARE(space.width, metric(m_glyphs[0x20], "horiAdvance") / 64);
    QVERIFY(space.width > 0);
    QCOMPARE(inkBox(space.cell), QRect());

    // A combining mark has no advance: its cell is as wide as its image.
    const pugi::xml_node acute = m_glyphs[0x301];
    QCOMPARE(metric(acute, "horiAdvance"), 0);
    const fontdoc::BitFontRecord cellAcute = fontdoc::readBitFont(acute);
    QVERIFY(cellAcute.valid);
    QCOMPARE(cellAcute.width, acute.child("bitmap").child("width").text().as_int());
    QVERIFY(cellAcute.width > 0);
}

void TestRasterizer::outlineMissingCharacter()
{
    // DejaVu Sans has no CJK: U+4E00 holds the missing-character glyph.
    const pugi::xml_node cjk = m_glyphs[0x4E00];
    QVERIFY(cjk);
    const fontdoc::BitFontRecord cell = fontdoc::readBitFont(cjk);
    QVERIFY(!cell.valid);
    QCOMPARE(cjk.child("glyph_index").text().as_int(), 0);
    QVERIFY(inkBox(cell.cell).isValid());
    QCOMPARE(cell.cell, fontdoc::readBitFont(m_glyphs[0xFFFF]).cell);
    QCOMPARE(QByteArray(cjk.child("bitmap").child("buffer").text().get()),
        QByteArray(m_glyphs[0xFFFF].child("bitmap").child("buffer").text().get()));
}

void TestRasterizer::outlineOffsetsLeftOfOrigin()
{
    pugi::xml_node found;
    for (pugi::xml_node glyph : m_glyphs) {
        if (fontdoc::readBitFont(glyph).valid && glyph.child("bitmap_left").text().as_int() < 0
            && glyph.child("bitmap").child("width").text().as_int() > 0) {
            found = glyph;
            break;
        }
    }
    QVERIFY(found);
    const int bitmapLeft = found.child("bitmap_left").text().as_int();
    QCOMPARE(inkBox(fontdoc::readBitFont(found).cell).left(), 0);

    // The BCF record gives the offset back.
    pugi::xml_document bcf;
    buildBcfDocument(m_outline, bcf, 5);
    const QString code = QString::number(found.attribute("charcode").as_int());
    const pugi::xml_node copy = bcf.child("BCF").find_node([&code](pugi::xml_node node) {
        return QLatin1String(node.name()) == QLatin1String("glyph")
            && code == QLatin1String(node.attribute("charcode").value());
    });
    QVERIFY(copy);
    QCOMPARE(copy.child("BitFont2").child("left").text().as_int(), bitmapLeft);
    QCOMPARE(copy.child("BitFont2").child("advancex").text().as_int(), 0);
}

void TestRasterizer::outlineStopsWithTheWindow()
{
    CFreeTypeFont font;
    font.ttfPath = dejaVuSansPath();
    font.pixelWidth = font.pixelHeight = 12;
    RecordingProgress progress;
    progress.stopBefore(1000);
    QVERIFY(renderOutlineFont(font, progress));
    QCOMPARE(progress.maximum(), 65536);
    QCOMPARE(progress.positionCount(), 1000);
    QCOMPARE(font.glyphList().last_child().attribute("charcode").as_int(), 999);
    QCOMPARE(font.fields().height, 12u);
}

void TestRasterizer::outlineOpenFailureKeepsFont()
{
    CFreeTypeFont font;
    font.resetForNewFont();
    fontdoc::appendText(font.face(), "family_name", "Kept");
    font.historyDocument.append_child("History");
    const QByteArray before = projectfile::toBytes(font.fontDocument);

    font.ttfPath = QStringLiteral("/nonexistent/font.ttf");
    font.pixelWidth = font.pixelHeight = 16;
    jobs::JobContext progress;
    QVERIFY(!renderOutlineFont(font, progress));
    QCOMPARE(projectfile::toBytes(font.fontDocument), before);
    QVERIFY(font.historyDocument.child("History"));
}

void TestRasterizer::systemFont()
{
    QFont chosen(QStringLiteral("DejaVu Sans"));
    chosen.setPixelSize(16);
    CFreeTypeFont font;
    font.historyDocument.append_child("History");
    RecordingProgress progress;
    QElapsedTimer clock;
    clock.start();
    TrafficLogRecorder log;
    renderSystemFont(font, chosen, progress, clock);

    QVERIFY(!font.historyDocument.child("History"));
    QCOMPARE(progress.maximum(), 65536);
    QCOMPARE(font.fields().name, QStringLiteral("DejaVu Sans"));
    const int cellWidth = int(font.fields().width);
    const int cellHeight = int(font.fields().height);
    QVERIFY(cellWidth > 0 && cellHeight >= 16);
    QCOMPARE(layoutOf(font.face()),
        QStringLiteral("family_name size size/metrics size/metrics/x_ppem "
                       "size/metrics/y_ppem glyph")
            .split(QLatin1Char(' ')));
    const std::vector<pugi::xml_node> glyphs = glyphsByCode(font);
    const QStringList record = QStringLiteral("BitFont BitFont/valid BitFont/buffer BitFont/width BitFont/height "
                                              "BitFont/pitch")
                                   .split(QLatin1Char(' '));
    QCOMPARE(layoutOf(glyphs[0x0A]), record);
    QCOMPARE(layoutOf(glyphs['A']), QStringList { QStringLiteral("glyph_index") } + record);
    QCOMPARE(std::count_if(glyphs.begin(), glyphs.end(), [](pugi::xml_node g) { return bool(g); }), 65536L);

    // Not printable, and not in the font (wqy-zenhei, installed, must not fill in): the blank record.
    for (int code : { 0x0A, 0x4E00 }) {
        const pugi::xml_node glyph = glyphs[size_t(code)];
        const fontdoc::BitFontRecord record = fontdoc::readBitFont(glyph);
        QVERIFY2(!record.valid, qPrintable(QString::number(code, 16)));
        QCOMPARE(record.width, cellWidth);
        QCOMPARE(record.height, cellHeight);
        QCOMPARE(inkBox(record.cell), QRect());
        QVERIFY(!glyph.child("glyph_index"));
    }

    QFont drawn = chosen;
    drawn.setStyleStrategy(QFont::NoFontMerging);
    const QFontMetrics metrics(drawn);
    const fontdoc::BitFontRecord a = fontdoc::readBitFont(glyphs['A']);
    QVERIFY(a.valid);
    QVERIFY(glyphs['A'].child("glyph_index").text().as_uint() > 0);
    QCOMPARE(a.width, metrics.horizontalAdvance(QLatin1Char('A')));
    QCOMPARE(a.height, cellHeight);
    const QRect inkA = inkBox(a.cell);
    QVERIFY(inkA.isValid());
    QVERIFY(inkA.bottom() < metrics.ascent() + 1 && inkA.bottom() > metrics.ascent() - 3);

    const fontdoc::BitFontRecord space = fontdoc::readBitFont(glyphs[0x20]);
    QVERIFY(space.valid);
    QCOMPARE(space.width, metrics.horizontalAdvance(QLatin1Char(' ')));
    QCOMPARE(inkBox(space.cell), QRect());

    // In the font but without a text cell: only the code.
    const pugi::xml_node acute = glyphs[0x301];
    QCOMPARE(metrics.horizontalAdvance(QChar(0x301)), 0);
    QVERIFY(!acute.first_child());

    QCOMPARE(log.lines().size(), 1);
    QVERIFY(log.lines().first().startsWith(QStringLiteral("载入系统字体，耗费时间=")));
}

QTEST_MAIN(TestRasterizer)
#include "tst_bitfont_rasterizer.moc"
