#include "FontTestSupport.h"

#include <QTest>

#include <limits>

class TestGlyphBitmap : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layout_data();
    void layout();
    void pitchFor_data();
    void pitchFor();
    void cropToInk_data();
    void cropToInk();
    void blitStaysInside_data();
    void blitStaysInside();
    void pixelsOutsideAreIgnored();
    void base64RoundTrip();
    void badBase64IsEmpty_data();
    void badBase64IsEmpty();
};

void TestGlyphBitmap::layout_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QList<QPoint>>("ink");
    QTest::addColumn<int>("pitch");
    QTest::addColumn<QByteArray>("hex");

    QTest::newRow("9 x 2, pixel (8, 0)") << 9 << 2 << QList<QPoint> { { 8, 0 } } << 2 << QByteArray("00800000");
    QList<QPoint> all;
    for (int x = 0; x < 8; ++x) {
        all.append({ x, 0 });
    }
    QTest::newRow("8 x 1 all ink") << 8 << 1 << all << 1 << QByteArray("ff");
    QTest::newRow("17 x 1, pixels 0 and 16")
        << 17 << 1 << QList<QPoint> { { 0, 0 }, { 16, 0 } } << 3 << QByteArray("800080");
    QTest::newRow("empty") << 0 << 5 << QList<QPoint> {} << 0 << QByteArray("");
}

void TestGlyphBitmap::layout()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QList<QPoint>, ink);
    QFETCH(int, pitch);
    QFETCH(QByteArray, hex);

    GlyphBitmap bitmap;
    bitmap.create(width, height);
    for (const QPoint &p : ink) {
        bitmap.setPixel(p.x(), p.y(), true);
    }
    QCOMPARE(bitmap.pitch(), pitch);
    QCOMPARE(bitmap.bytes().toHex(), hex);
    for (const QPoint &p : ink) {
        QCOMPARE(bitmap.getPixel(p.x(), p.y()), 1);
    }
    QCOMPARE(bitmap.toBase64(), QByteArray::fromHex(hex).toBase64());
}

void TestGlyphBitmap::pitchFor_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("pitch");
    QTest::newRow("negative") << -5 << 0;
    QTest::newRow("1") << 1 << 1;
    QTest::newRow("9") << 9 << 2;
    // A damaged project's width, saturated by the XML reader.
    QTest::newRow("INT_MAX") << std::numeric_limits<int>::max() << 268435456;
}

void TestGlyphBitmap::pitchFor()
{
    QFETCH(int, width);
    QFETCH(int, pitch);
    QCOMPARE(GlyphBitmap::pitchFor(width), pitch);
}

void TestGlyphBitmap::cropToInk_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QList<QPoint>>("ink");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<QByteArray>("hex");

    QTest::addColumn<QByteArray>("loaded"); // hex of the source bytes, when not built from ink

    QTest::newRow("no ink") << 16 << 16 << QList<QPoint> {} << QSize(1, 1) << QPoint(0, 0) << QByteArray("00")
                            << QByteArray();
    QTest::newRow("empty image") << 0 << 0 << QList<QPoint> {} << QSize(1, 1) << QPoint(0, 0) << QByteArray("00")
                                 << QByteArray();
    QTest::newRow("single pixel (3, 5)") << 16 << 16 << QList<QPoint> { { 3, 5 } } << QSize(1, 1) << QPoint(3, 5)
                                         << QByteArray("80") << QByteArray();
    QTest::newRow("two corners") << 16 << 8 << QList<QPoint> { { 2, 1 }, { 9, 3 } } << QSize(8, 3) << QPoint(2, 1)
                                 << QByteArray("800001") << QByteArray();
    QTest::newRow("ink across a byte edge") << 12 << 2 << QList<QPoint> { { 7, 1 }, { 8, 0 } } << QSize(2, 2)
                                            << QPoint(7, 0) << QByteArray("4080") << QByteArray();
    // A loaded 9 x 3 cell with set bits past its width: they are not ink.
    QTest::newRow("bits past the width") << 9 << 3 << QList<QPoint> {} << QSize(1, 1) << QPoint(0, 1)
                                         << QByteArray("80") << QByteArray("007f807f007f");
}

void TestGlyphBitmap::cropToInk()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QList<QPoint>, ink);
    QFETCH(QSize, size);
    QFETCH(QPoint, offset);
    QFETCH(QByteArray, hex);
    QFETCH(QByteArray, loaded);

    GlyphBitmap bitmap = bitmapFromHex(width, height, loaded);
    if (loaded.isEmpty()) {
        bitmap.create(width, height);
    }
    for (const QPoint &p : ink) {
        bitmap.setPixel(p.x(), p.y(), true);
    }
    const GlyphBitmap::Cropped cropped = bitmap.cropToInk();
    QCOMPARE(QSize(cropped.bitmap.width(), cropped.bitmap.height()), size);
    QCOMPARE(QPoint(cropped.left, cropped.top), offset);
    QCOMPARE(cropped.bitmap.bytes().toHex(), hex);
}

void TestGlyphBitmap::blitStaysInside_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QByteArray>("hex");

    // A 4 x 4 block of ink into an 8 x 4 target.
    QTest::newRow("inside") << QPoint(2, 1) << QByteArray("003c3c3c");
    QTest::newRow("above and left") << QPoint(-2, -2) << QByteArray("c0c00000");
    QTest::newRow("right and below") << QPoint(6, 2) << QByteArray("00000303");
    QTest::newRow("wholly right") << QPoint(10, 0) << QByteArray("00000000");
    QTest::newRow("wholly above") << QPoint(0, -10) << QByteArray("00000000");
}

void TestGlyphBitmap::blitStaysInside()
{
    QFETCH(QPoint, at);
    QFETCH(QByteArray, hex);

    GlyphBitmap target;
    target.create(8, 4);
    const QByteArray before = target.bytes();
    target.blit(inkBitmap(4, 4), at.x(), at.y());
    QCOMPARE(target.bytes().toHex(), hex);
    QCOMPARE(target.bytes().size(), before.size());
    QCOMPARE(target.width(), 8);
    QCOMPARE(target.height(), 4);
}

void TestGlyphBitmap::pixelsOutsideAreIgnored()
{
    GlyphBitmap bitmap = inkBitmap(8, 2);
    GlyphBitmap blank;
    blank.create(3, 1);
    bitmap.blit(blank, 6, 1); // background is copied too
    QCOMPARE(bitmap.bytes().toHex(), QByteArray("fffc"));

    bitmap.setPixel(8, 0, false);
    bitmap.setPixel(-1, 0, false);
    bitmap.setPixel(0, 2, false);
    QCOMPARE(bitmap.bytes().toHex(), QByteArray("fffc"));
    QCOMPARE(bitmap.getPixel(8, 0), 0);
    QCOMPARE(bitmap.getPixel(0, -1), 0);
}

void TestGlyphBitmap::base64RoundTrip()
{
    GlyphBitmap bitmap;
    bitmap.create(13, 5);
    bitmap.setPixel(12, 4, true);
    bitmap.setPixel(0, 0, true);
    const QByteArray text = bitmap.toBase64();
    QCOMPARE(text, bitmap.bytes().toBase64());
    GlyphBitmap back;
    QVERIFY(back.fromBase64(text, 13, 5));
    QCOMPARE(back, bitmap);

    // Longer text: the first height x pitch bytes are taken.
    QVERIFY(back.fromBase64(QByteArray::fromHex("c0ffee").toBase64(), 2, 1));
    QCOMPARE(back.bytes().toHex(), QByteArray("c0"));
}

void TestGlyphBitmap::badBase64IsEmpty_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");

    QTest::newRow("length not a multiple of 4") << QByteArray("gAA") << 8 << 1;
    QTest::newRow("decodes short") << QByteArray("gA==") << 8 << 2;
    QTest::newRow("empty text for a cell") << QByteArray() << 8 << 1;
    QTest::newRow("outside the alphabet") << QByteArray("g*==") << 8 << 1;
    QTest::newRow("padding inside") << QByteArray("g=AA") << 8 << 1;
    QTest::newRow("absurd size") << QByteArray("gA==") << (1 << 20) << (1 << 20);
    QTest::newRow("width near INT_MAX") << QByteArray("AAAA") << std::numeric_limits<int>::max() << 1;
    QTest::newRow("huge cell, little text") << QByteArray("AAAA") << 65536 << 8192;
    // Text for every byte, but wider than any cell the tool renders.
    const int wide = GlyphBitmap::maxCellSide + 1;
    QTest::newRow("side beyond the largest cell")
        << QByteArray(GlyphBitmap::pitchFor(wide), '\xff').toBase64() << wide << 1;
}

void TestGlyphBitmap::badBase64IsEmpty()
{
    QFETCH(QByteArray, text);
    QFETCH(int, width);
    QFETCH(int, height);

    GlyphBitmap bitmap;
    QVERIFY(!bitmap.fromBase64(text, width, height));
    QCOMPARE(bitmap.width(), 0);
    QCOMPARE(bitmap.height(), 0);
    QVERIFY(bitmap.isEmpty());
    QCOMPARE(bitmap.cropToInk().bitmap.bytes().toHex(), QByteArray("00"));
}

QTEST_GUILESS_MAIN(TestGlyphBitmap)
#include "tst_bitfont_glyphbitmap.moc"
