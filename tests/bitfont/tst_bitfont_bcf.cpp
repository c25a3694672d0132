#include "FontTestSupport.h"

#include "bitfont/core/BcfBuilder.h"
#include "bitfont/core/FontActions.h"
#include "support/ScriptedPort.h"
#include "support/TrafficLogRecorder.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <limits>
#include <set>

namespace {

// A font document of codes first..last as an outline font leaves it: size
// height 1152 and ascender 896 (18 and 14 px); the valid glyphs have cell.
void fillFont(CFreeTypeFont &font, int first, int last, const std::set<int> &valid, const GlyphBitmap &cell)
{
    font.resetForNewFont();
    pugi::xml_node metrics = font.face().append_child("size").append_child("metrics");
    fontdoc::appendPx(metrics, "ascender", 896);
    fontdoc::appendPx(metrics, "height", 1152);
    pugi::xml_node list = font.face().append_child("glyph");
    GlyphBitmap blank;
    blank.create(cell.width(), cell.height());
    for (int code = first; code <= last; ++code) {
        const bool isValid = valid.count(code) > 0;
        appendGlyph(list, code, isValid, isValid ? cell : blank);
    }
}

std::set<int> codes(std::initializer_list<std::pair<int, int>> runs)
{
    std::set<int> result;
    for (auto [from, to] : runs) {
        for (int code = from; code <= to; ++code) {
            result.insert(code);
        }
    }
    return result;
}

QString rangesText(const BcfSummary &summary)
{
    QStringList parts;
    for (const auto &range : summary.ranges) {
        parts.append(QStringLiteral("%1-%2").arg(range.first).arg(range.second));
    }
    return parts.join(QLatin1Char(' '));
}

quint16 u16(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}
qint16 s16(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<qint16>(bytes.constData() + at);
}
quint32 u32(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

} // namespace

class TestBcf : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ranges_data();
    void ranges();
    void codesAtTheEndsOfIntDoNotJoin();
    void headerAndOffsets();
    void glyphRecords_data();
    void glyphRecords();
    void limitsAreRefused_data();
    void limitsAreRefused();
    void exportWithoutValidGlyphs();
    void exportReportsAndWrites();
    void downloadBytes_data();
    void downloadBytes();
    void downloadWriteFailureIsReported();
    void downloadRefusals_data();
    void downloadRefusals();

private:
    QTemporaryDir m_dir;
};

void TestBcf::ranges_data()
{
    QTest::addColumn<std::set<int>>("valid");
    QTest::addColumn<int>("nullCount");
    QTest::addColumn<QString>("ranges");
    QTest::addColumn<int>("total");

    const std::set<int> twoRuns = codes({ { 65, 70 }, { 80, 90 } });
    QTest::newRow("gap 9 with nullCount 5") << twoRuns << 5 << "65-70 80-90" << 17;
    QTest::newRow("gap 9 with nullCount 10") << twoRuns << 10 << "65-90" << 26;
    QTest::newRow("nullCount 0") << codes({ { 65, 66 }, { 68, 68 } }) << 0 << "65-66 68-68" << 3;
    QTest::newRow("nullCount 1 keeps one gap") << codes({ { 65, 66 }, { 68, 68 } }) << 1 << "65-68" << 4;
    QTest::newRow("single glyph") << codes({ { 65, 65 } }) << 5 << "65-65" << 1;
    QTest::newRow("valid up to the end") << codes({ { 120, 127 } }) << 5 << "120-127" << 8;
    QTest::newRow("no valid glyph") << std::set<int>() << 5 << "" << 0;
}

void TestBcf::ranges()
{
    QFETCH(std::set<int>, valid);
    QFETCH(int, nullCount);
    QFETCH(QString, ranges);
    QFETCH(int, total);

    CFreeTypeFont font;
    fillFont(font, 0, 127, valid, inkBitmap(8, 10));
    pugi::xml_document document;
    const QByteArray bytes = bcfBytes(font, nullCount, document);
    const BcfSummary summary = summarizeBcf(document);
    QCOMPARE(rangesText(summary), ranges);
    QCOMPARE(summary.rangeCount, int(summary.ranges.size()));
    QCOMPARE(summary.totalChar, total);
    QCOMPARE(summary.validChar, int(valid.size()));
    // Invalid glyphs inside a range are 16 zero bytes; each valid glyph has 12 bytes of data.
    QCOMPARE(bytes.size(), 12 + 4 * summary.rangeCount + 16 * total + 12 * int(valid.size()));
    // The copies are whole glyph elements plus the trimmed record.
    const pugi::xml_node firstCopy = document.child("BCF").child("Range").child("glyph");
    if (total > 0) {
        QVERIFY(firstCopy.child("BitFont"));
        QCOMPARE(firstCopy.child("BitFont2").child("valid").text().as_bool(), true);
    }
}

// A project may hold any int as a code; INT_MAX and INT_MIN are not neighbours.
void TestBcf::codesAtTheEndsOfIntDoNotJoin()
{
    CFreeTypeFont font;
    fillFont(font, 0, -1, {}, inkBitmap(8, 10)); // the metrics, no glyphs yet
    pugi::xml_node list = font.glyphList();
    for (const int code : { INT_MAX - 1, INT_MAX, INT_MIN, 65 }) {
        appendGlyph(list, code, true, inkBitmap(8, 10));
    }
    pugi::xml_document document;
    QVERIFY(bcfBytes(font, 5, document) != "the two ways differ");
    const BcfSummary summary = summarizeBcf(document);
    QCOMPARE(summary.rangeCount, 3);
    QCOMPARE(summary.ranges.front(), qMakePair(unsigned(INT_MAX - 1), unsigned(INT_MAX)));
    QCOMPARE(summary.totalChar, 4);
}

void TestBcf::headerAndOffsets()
{
    CFreeTypeFont font;
    font.pixelWidth = 24;
    fillFont(font, 65, 74, codes({ { 65, 74 } }), inkBitmap(8, 10));
    pugi::xml_document document;
    const QByteArray bytes = bcfBytes(font, 5, document);

    QCOMPARE(bytes.left(12).toHex(' '), QByteArray("02 02 02 01 12 00 0e 00 18 00 01 00"));
    QCOMPARE(bytes.mid(12, 4).toHex(' '), QByteArray("41 00 4a 00"));
    // The offset counts 8 bytes per code; the data really starts after 16 per glyph.
    QCOMPARE(u32(bytes, 16 + 12), 96u);
    QCOMPARE(u32(bytes, 32 + 12), 96u + 12);
    QCOMPARE(u16(bytes, 16 + 8), 12);
    QCOMPARE(bytes.size(), 176 + 10 * 12);
    QCOMPARE(bytes.mid(176, 12).toHex(), QByteArray("ffffffffffffffffffff0000"));
    QCOMPARE(document.child("BCF").attribute("totalchar").as_int(), 10);
    QCOMPARE(document.child("BCF").attribute("validchar").as_int(), 10);
}

void TestBcf::glyphRecords_data()
{
    QTest::addColumn<QSize>("cellSize");
    QTest::addColumn<QList<QPoint>>("ink");
    QTest::addColumn<QVariant>("bitmapLeft"); // absent when invalid
    QTest::addColumn<QVariant>("bitmapTop");
    QTest::addColumn<QList<int>>("entry"); // left, top, advancex, width, L
    QTest::addColumn<QByteArray>("data");

    QList<QPoint> full;
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 8; ++x) {
            full.append({ x, y });
        }
    }
    QTest::newRow("no ink") << QSize(8, 10) << QList<QPoint> {} << QVariant() << QVariant()
                            << QList<int> { 0, 0, 8, 1, 3 } << QByteArray("000000");
    QTest::newRow("8 x 10 of ink") << QSize(8, 10) << full << QVariant() << QVariant() << QList<int> { 0, 0, 8, 8, 12 }
                                   << QByteArray("ffffffffffffffffffff0000");
    QTest::newRow("ink box inside the cell") << QSize(12, 18) << QList<QPoint> { { 3, 4 }, { 9, 6 } } << QVariant(3)
                                             << QVariant(10) << QList<int> { 3, 4, 12, 7, 3 } << QByteArray("800002");
    QTest::newRow("bitmap_left -2") << QSize(9, 18) << QList<QPoint> { { 0, 5 } } << QVariant(-2) << QVariant(9)
                                    << QList<int> { -2, 5, 0, 1, 3 } << QByteArray("800000");
    QTest::newRow("above the ascender") << QSize(9, 18) << QList<QPoint> { { 1, 0 } } << QVariant(1) << QVariant(16)
                                        << QList<int> { 1, -2, 9, 1, 3 } << QByteArray("800000");
    QTest::newRow("bitmap_top INT_MIN") << QSize(9, 18) << QList<QPoint> { { 1, 0 } } << QVariant(1)
                                        << QVariant(std::numeric_limits<int>::min()) << QList<int> { 1, 0, 9, 1, 3 }
                                        << QByteArray("800000");
}

void TestBcf::glyphRecords()
{
    QFETCH(QSize, cellSize);
    QFETCH(QList<QPoint>, ink);
    QFETCH(QVariant, bitmapLeft);
    QFETCH(QVariant, bitmapTop);
    QFETCH(QList<int>, entry);
    QFETCH(QByteArray, data);

    GlyphBitmap cell;
    cell.create(cellSize.width(), cellSize.height());
    for (const QPoint &p : ink) {
        cell.setPixel(p.x(), p.y(), true);
    }
    CFreeTypeFont font;
    fillFont(font, 65, 65, { 65 }, cell);
    pugi::xml_node glyph = font.glyphList().child("glyph");
    if (bitmapLeft.isValid()) {
        fontdoc::appendInt(glyph, "bitmap_left", bitmapLeft.toInt());
        fontdoc::appendInt(glyph, "bitmap_top", bitmapTop.toInt());
    }
    pugi::xml_document document;
    const QByteArray bytes = bcfBytes(font, 5, document);
    QCOMPARE(bytes.size(), 12 + 4 + 16 + data.size() / 2);
    const QList<int> written { s16(bytes, 16), s16(bytes, 18), s16(bytes, 20), s16(bytes, 22), u16(bytes, 24) };
    QCOMPARE(written, entry);
    QCOMPARE(u32(bytes, 28), 12u + 4 + 8);
    QCOMPARE(bytes.mid(32).toHex(), data);

    const pugi::xml_node record = document.child("BCF").child("Range").child("glyph").child("BitFont2");
    QCOMPARE(record.child("advancey").text().as_int(), cellSize.height());
    QCOMPARE(record.child("left").text().as_int(), entry[0]);
    QCOMPARE(record.child("pitch").text().as_int(), (entry[3] + 7) / 8);
}

void TestBcf::limitsAreRefused_data()
{
    QTest::addColumn<QSize>("cellSize");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<QString>("logStart");

    QTest::newRow("bitmap of 65536 bytes")
        << QSize(1024, 512) << maxBcfBytes << "BCF not built: the bitmap of character 65 has 65536 bytes";
    // 85 bytes a row x 771 rows, within the largest cell a project may hold.
    QTest::newRow("bitmap of 65535 bytes fits") << QSize(680, 771) << maxBcfBytes << "";
    QTest::newRow("buffer limit") << QSize(8, 10) << qint64(12 + 4 + 16 * 3 + 12 * 2)
                                  << "BCF not built: the font needs more than 88 bytes.";
}

void TestBcf::limitsAreRefused()
{
    QFETCH(QSize, cellSize);
    QFETCH(qint64, limit);
    QFETCH(QString, logStart);

    CFreeTypeFont font;
    fillFont(font, 65, 67, codes({ { 65, 67 } }), inkBitmap(cellSize.width(), cellSize.height()));
    TrafficLogRecorder log;
    QByteArray bytes("kept");
    BcfSummary summary;
    const bool written = buildBcfBytes(font, 5, bytes, summary, limit);
    if (logStart.isEmpty()) {
        QVERIFY(written);
        QCOMPARE(u16(bytes, 4 + 16 + 8), 65535);
        QVERIFY(log.lines().isEmpty());
        return;
    }
    QVERIFY(!written);
    QCOMPARE(bytes, QByteArray("kept"));
    QCOMPARE(log.lines().size(), 1);
    QVERIFY2(log.lines().first().startsWith(logStart), qPrintable(log.lines().first()));
}

void TestBcf::exportWithoutValidGlyphs()
{
    CFreeTypeFont font;
    fillFont(font, 0, 300, {}, inkBitmap(8, 10));
    font.bcfPath = m_dir.filePath(QStringLiteral("empty.bcf"));
    BcfSummary summary;
    QVERIFY(exportBcf(font, 5, summary));
    QFile file(font.bcfPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().toHex(' '), QByteArray("02 02 02 01 12 00 0e 00 00 00 00 00"));
    QCOMPARE(summary.rangeCount, 0);
    QCOMPARE(exportReportText(summary), QStringLiteral("导出成功，区间数量=0，字符总数=0，有效字符=0。\r\n所有区间: "));
}

void TestBcf::exportReportsAndWrites()
{
    CFreeTypeFont font;
    fillFont(font, 0, 127, codes({ { 65, 70 }, { 80, 90 } }), inkBitmap(8, 10));
    font.bcfPath = m_dir.filePath(QStringLiteral("two.bcf"));
    BcfSummary summary;
    QVERIFY(exportBcf(font, 5, summary));
    QCOMPARE(QFile(font.bcfPath).size(), qint64(12 + 8 + 17 * 16 + 17 * 12));
    QCOMPARE(exportReportText(summary),
        QStringLiteral("导出成功，区间数量=2，字符总数=17，有效字符=17。\r\n所有区间: (65, 70) (80, 90) "));
    // A language pack's text fills its "%d" in order and is never a format.
    const TranslateText pack = [](const QString &source) {
        return source.startsWith(QStringLiteral("导出成功")) ? QStringLiteral("%s ok %d/%d/%d %n\r\n")
                                                             : QStringLiteral("ranges: ");
    };
    QCOMPARE(exportReportText(summary, pack), QStringLiteral("%s ok 2/17/17 %n\r\nranges: (65, 70) (80, 90) "));

    font.bcfPath = m_dir.filePath(QStringLiteral("no/folder/x.bcf"));
    TrafficLogRecorder log;
    QVERIFY(!exportBcf(font, 5, summary));
    QCOMPARE(log.lines().size(), 1);
    QVERIFY(log.lines().first().startsWith(QStringLiteral("BCF not written: ")));
}

void TestBcf::downloadBytes_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<QByteArray>("header");

    QTest::newRow("FLASH") << "FLASH" << QByteArray("DOWNLOAD F,MY FONT,100,");
    QTest::newRow("no place chosen") << "" << QByteArray("DOWNLOAD MY FONT,100,");
}

void TestBcf::downloadBytes()
{
    QFETCH(QString, place);
    QFETCH(QByteArray, header);

    // Three 8 x 10 glyphs of ink: 12 + 4 + 3 x 16 + 3 x 12 = 100 bytes.
    CFreeTypeFont font;
    fillFont(font, 65, 67, codes({ { 65, 67 } }), inkBitmap(8, 10));
    font.fontName = QStringLiteral("MY FONT");
    font.memoryPlace = place;
    pugi::xml_document document;
    const QByteArray bcf = bcfBytes(font, 5, document);
    QCOMPARE(bcf.size(), 100);

    ScriptedPort port;
    RecordingProgress progress;
    QCOMPARE(downloadFont(port, font, 5, progress), DownloadResult::Sent);
    QCOMPARE(port.written(), header + bcf + "\r\n");
    QCOMPARE(port.writes().first(), header);
    QCOMPARE(progress.maximum(), 1);
    QCOMPARE(progress.lastPosition(), 1);
}

void TestBcf::downloadWriteFailureIsReported()
{
    CFreeTypeFont font;
    fillFont(font, 65, 67, codes({ { 65, 67 } }), inkBitmap(8, 10));
    font.fontName = QStringLiteral("MY FONT");
    font.memoryPlace = QStringLiteral("FLASH");
    ScriptedPort port;
    port.setWriteResult(0);
    RecordingProgress progress;
    QCOMPARE(downloadFont(port, font, 5, progress), DownloadResult::WriteFailed);
    QCOMPARE(port.writes().size(), 1); // the header failed: nothing followed it
}

void TestBcf::downloadRefusals_data()
{
    QTest::addColumn<bool>("withGlyphs");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("logLine");

    QTest::newRow("no valid glyph") << false << "MY FONT" << int(DownloadResult::NoGlyphs) << "font error, count is 0.";
    QTest::newRow("no name") << true << "" << int(DownloadResult::NoName) << "font name is null.";
    QTest::newRow("neither: glyphs first") << false << "" << int(DownloadResult::NoGlyphs) << "font error, count is 0.";
    // The name goes unquoted into "DOWNLOAD F,<name>,<size>,": a comma or a line break breaks the framing.
    QTest::newRow("comma in the name") << true << "MY,FONT" << int(DownloadResult::BadName)
                                       << "font name has a comma or a line break: MY,FONT";
    QTest::newRow("line break in the name")
        << true << "MY\r\nFONT" << int(DownloadResult::BadName) << "font name has a comma or a line break: MY FONT";
}

void TestBcf::downloadRefusals()
{
    QFETCH(bool, withGlyphs);
    QFETCH(QString, name);
    QFETCH(int, result);
    QFETCH(QString, logLine);

    CFreeTypeFont font;
    fillFont(font, 65, 67, withGlyphs ? codes({ { 65, 67 } }) : std::set<int>(), inkBitmap(8, 10));
    font.fontName = name;
    font.memoryPlace = QStringLiteral("DRAM");
    ScriptedPort port;
    jobs::JobContext progress;
    TrafficLogRecorder log;
    QCOMPARE(int(downloadFont(port, font, 5, progress)), result);
    QVERIFY(port.writes().isEmpty());
    QCOMPARE(log.lines(), QStringList { logLine });
}

QTEST_GUILESS_MAIN(TestBcf)
#include "tst_bitfont_bcf.moc"
