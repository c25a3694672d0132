#include "FontTestSupport.h"

#include "bitfont/core/GlyphRecords.h"
#include "bitfont/core/ProjectFile.h"

#include <QTest>

Q_DECLARE_METATYPE(GlyphEdit)

namespace {

// A glyph element with a "BitFont" record of the given numbers and bytes
// (hex), written as the documents hold it.
GlyphRef glyphWith(
    CFreeTypeFont &font, int code, int width, int height, int pitch, const QByteArray &hex, bool valid = true)
{
    if (!font.face())
        font.resetForNewFont();
    pugi::xml_node list = font.glyphList() ? font.glyphList() : font.face().append_child("glyph");
    pugi::xml_node glyph = list.append_child("glyph");
    glyph.append_attribute("charcode").set_value(code);
    pugi::xml_node record = glyph.append_child("BitFont");
    fontdoc::appendBool(record, "valid", valid);
    fontdoc::appendText(record, "buffer", QByteArray::fromHex(hex).toBase64().toStdString());
    fontdoc::appendInt(record, "width", width);
    fontdoc::appendInt(record, "height", height);
    fontdoc::appendInt(record, "pitch", pitch);
    return GlyphRef(glyph);
}

QByteArray hexOf(const GlyphRef &glyph)
{
    return glyph.cell().bytes.toHex(' ').toUpper();
}

} // namespace

class TestGlyphEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void operations_data();
    void operations();
    void operationsThatCannotApplyPushNothing_data();
    void operationsThatCannotApplyPushNothing();
    void undoAndRedoStacks();
    void undoRestoresTheValidityOfTheRecord();
    void pixelClicks();
    void hexView_data();
    void hexView();
    void glyphRefReadsAndWritesTheRecord();
};

void TestGlyphEdit::operations_data()
{
    QTest::addColumn<GlyphEdit>("edit");
    QTest::addColumn<QList<int>>("before"); // width, height, pitch
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("after");
    QTest::addColumn<QByteArray>("result");

    QTest::newRow("width inc adds a byte")
        << GlyphEdit::WidthInc << QList { 8, 1, 1 } << QByteArray("FF") << QList { 9, 1, 2 } << QByteArray("FF 00");
    QTest::newRow("width inc within the byte")
        << GlyphEdit::WidthInc << QList { 9, 1, 2 } << QByteArray("FF FF") << QList { 10, 1, 2 } << QByteArray("FF FF");
    QTest::newRow("width dec drops a byte") << GlyphEdit::WidthDec << QList { 9, 2, 2 } << QByteArray("80 80 01 80")
                                            << QList { 8, 2, 1 } << QByteArray("80 01");
    QTest::newRow("width dec keeps the byte")
        << GlyphEdit::WidthDec << QList { 10, 1, 2 } << QByteArray("FF C0") << QList { 9, 1, 2 } << QByteArray("FF C0");
    QTest::newRow("height inc") << GlyphEdit::HeightInc << QList { 9, 1, 2 } << QByteArray("12 80") << QList { 9, 2, 2 }
                                << QByteArray("12 80 00 00");
    QTest::newRow("height dec") << GlyphEdit::HeightDec << QList { 9, 2, 2 } << QByteArray("12 80 34 00")
                                << QList { 9, 1, 2 } << QByteArray("12 80");
    QTest::newRow("invert, spare bits too")
        << GlyphEdit::Invert << QList { 9, 1, 2 } << QByteArray("00 00") << QList { 9, 1, 2 } << QByteArray("FF FF");
    QTest::newRow("move left") << GlyphEdit::MoveLeft << QList { 9, 1, 2 } << QByteArray("80 80") << QList { 9, 1, 2 }
                               << QByteArray("01 00");
    QTest::newRow("move right") << GlyphEdit::MoveRight << QList { 9, 1, 2 } << QByteArray("01 00") << QList { 9, 1, 2 }
                                << QByteArray("00 80");
    QTest::newRow("move right loses the last bit") << GlyphEdit::MoveRight << QList { 16, 1, 2 } << QByteArray("00 01")
                                                   << QList { 16, 1, 2 } << QByteArray("00 00");
    QTest::newRow("move up") << GlyphEdit::MoveUp << QList { 9, 3, 2 } << QByteArray("11 11 22 22 33 33")
                             << QList { 9, 3, 2 } << QByteArray("22 22 33 33 00 00");
    QTest::newRow("move down") << GlyphEdit::MoveDown << QList { 9, 3, 2 } << QByteArray("11 11 22 22 33 33")
                               << QList { 9, 3, 2 } << QByteArray("00 00 11 11 22 22");
}

void TestGlyphEdit::operations()
{
    QFETCH(GlyphEdit, edit);
    QFETCH(QList<int>, before);
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, after);
    QFETCH(QByteArray, result);

    CFreeTypeFont font;
    const GlyphRef glyph = glyphWith(font, 65, before[0], before[1], before[2], bytes);
    const QByteArray oldRecord = glyph.element().child("BitFont").child("buffer").text().get();
    QVERIFY(editGlyph(font, glyph, edit));
    const GlyphCell cell = glyph.cell();
    QCOMPARE((QList { cell.width, cell.height, cell.pitch }), after);
    QCOMPARE(hexOf(glyph), result);
    // The record before the edit is on the undo stack, nothing on redo.
    const pugi::xml_node entry = font.findHistoryGlyph(65);
    QCOMPARE(QByteArray(entry.child("UnDo").last_child().child("buffer").text().get()), oldRecord);
    QCOMPARE(glyphhistory::state(font, 65).canRedo, false);
}

void TestGlyphEdit::operationsThatCannotApplyPushNothing_data()
{
    QTest::addColumn<GlyphEdit>("edit");
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("width dec at width 0") << GlyphEdit::WidthDec << QList { 0, 2, 1 } << QByteArray("00 00");
    QTest::newRow("height dec at height 0") << GlyphEdit::HeightDec << QList { 8, 0, 1 } << QByteArray();
    QTest::newRow("move up at height 0") << GlyphEdit::MoveUp << QList { 8, 0, 1 } << QByteArray();
    QTest::newRow("move down at height 0") << GlyphEdit::MoveDown << QList { 8, 0, 1 } << QByteArray();
    QTest::newRow("move left, buffer short of a row")
        << GlyphEdit::MoveLeft << QList { 16, 2, 2 } << QByteArray("FF FF FF");
    QTest::newRow("invert, buffer short") << GlyphEdit::Invert << QList { 8, 4, 1 } << QByteArray("FF");
    QTest::newRow("damaged height of 1e9") << GlyphEdit::HeightInc << QList { 8, 1000000000, 1 } << QByteArray("FF");
    QTest::newRow("pitch 0") << GlyphEdit::WidthInc << QList { 8, 1000000000, 0 } << QByteArray();
}

void TestGlyphEdit::operationsThatCannotApplyPushNothing()
{
    QFETCH(GlyphEdit, edit);
    QFETCH(QList<int>, numbers);
    QFETCH(QByteArray, bytes);

    CFreeTypeFont font;
    const GlyphRef glyph = glyphWith(font, 65, numbers[0], numbers[1], numbers[2], bytes);
    const QByteArray before = projectfile::toBytes(font.fontDocument);
    QVERIFY(!editGlyph(font, glyph, edit));
    QCOMPARE(projectfile::toBytes(font.fontDocument), before);
    QVERIFY(!font.findHistoryGlyph(65));
    // A glyph without a record, or none at all, is no different.
    CFreeTypeFont bare;
    bare.resetForNewFont();
    pugi::xml_node element = bare.face().append_child("glyph").append_child("glyph");
    element.append_attribute("charcode").set_value(66);
    QVERIFY(!editGlyph(bare, GlyphRef(element), edit));
    QVERIFY(!editGlyph(bare, GlyphRef(), edit));
    QVERIFY(!bare.findHistoryGlyph(66));
}

void TestGlyphEdit::undoAndRedoStacks()
{
    CFreeTypeFont font;
    const GlyphRef glyph = glyphWith(font, 65, 9, 1, 2, "80 00");
    QVERIFY(editGlyph(font, glyph, GlyphEdit::MoveRight)); // 40 00
    QVERIFY(editGlyph(font, glyph, GlyphEdit::MoveRight)); // 20 00
    QCOMPARE(hexOf(glyph), QByteArray("20 00"));

    QVERIFY(glyphhistory::undo(font, glyph));
    QCOMPARE(hexOf(glyph), QByteArray("40 00"));
    QCOMPARE(glyphhistory::state(font, 65).canRedo, true);
    // The restored record is the glyph's last child: the element, not a held child, is the handle.
    QCOMPARE(QByteArray(glyph.element().last_child().name()), QByteArray("BitFont"));

    // A new edit drops the redo stack: two records on UnDo, the first pre-edit one and the one before the new edit.
    QVERIFY(editGlyph(font, glyph, GlyphEdit::Invert));
    const pugi::xml_node entry = font.findHistoryGlyph(65);
    QVERIFY(!entry.child("ReDo"));
    QStringList undoStack;
    for (pugi::xml_node record : entry.child("UnDo").children())
        undoStack.append(QString::fromLatin1(QByteArray::fromBase64(record.child("buffer").text().get()).toHex()));
    QCOMPARE(undoStack, (QStringList { "8000", "4000" }));
    QCOMPARE(glyphhistory::state(font, 65).canRedo, false);

    QVERIFY(glyphhistory::undo(font, glyph));
    QVERIFY(glyphhistory::undo(font, glyph));
    QCOMPARE(hexOf(glyph), QByteArray("80 00"));
    QCOMPARE(glyphhistory::state(font, 65).canUndo, false);
    QVERIFY(glyphhistory::redo(font, glyph));
    QCOMPARE(hexOf(glyph), QByteArray("40 00"));

    // Undo on a glyph that never had history changes nothing.
    const GlyphRef other = glyphWith(font, 66, 8, 1, 1, "AA");
    QVERIFY(!glyphhistory::undo(font, other));
    QCOMPARE(hexOf(other), QByteArray("AA"));

    glyphhistory::clear(font);
    QCOMPARE(glyphhistory::state(font, 65).canUndo, false);
    QVERIFY(!glyphhistory::undo(font, glyph));
}

void TestGlyphEdit::undoRestoresTheValidityOfTheRecord()
{
    CFreeTypeFont font;
    const GlyphRef glyph = glyphWith(font, 65, 8, 1, 1, "0F", true);
    QVERIFY(editGlyph(font, glyph, GlyphEdit::Invert));
    glyph.setValid(false);
    QCOMPARE(glyph.cell().valid, false);
    QVERIFY(glyphhistory::undo(font, glyph));
    QCOMPARE(glyph.cell().valid, true);
    QCOMPARE(hexOf(glyph), QByteArray("0F"));
}

void TestGlyphEdit::pixelClicks()
{
    CFreeTypeFont font;
    const GlyphRef glyph = glyphWith(font, 65, 9, 1, 2, "00 00");
    QVERIFY(setGlyphPixel(font, glyph, 8, 0, true));
    QCOMPARE(hexOf(glyph), QByteArray("00 80"));
    QVERIFY(setGlyphPixel(font, glyph, 8, 0, false));
    QCOMPARE(hexOf(glyph), QByteArray("00 00"));
    QCOMPARE(font.findHistoryGlyph(65).child("UnDo").select_nodes("BitFont").size(), size_t(2));
    QVERIFY(glyphhistory::undo(font, glyph));
    QVERIFY(glyphhistory::undo(font, glyph));
    QCOMPARE(hexOf(glyph), QByteArray("00 00"));

    // A buffer shorter than its rows: a pixel whose byte is not there is refused, nothing pushed.
    const GlyphRef shortOne = glyphWith(font, 66, 16, 3, 2, "FF FF 00");
    QVERIFY(!setGlyphPixel(font, shortOne, 9, 1, true));
    QVERIFY(!setGlyphPixel(font, shortOne, 16, 0, true));
    QVERIFY(!setGlyphPixel(font, shortOne, 0, 3, true));
    QVERIFY(!font.findHistoryGlyph(66));
    QVERIFY(setGlyphPixel(font, shortOne, 0, 1, true));
    QCOMPARE(hexOf(shortOne), QByteArray("FF FF 80"));
}

void TestGlyphEdit::hexView_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("pitch");
    QTest::addColumn<QString>("text");

    QTest::newRow("9 x 2 with pixel (8, 0)") << QByteArray::fromHex("00800000") << 2 << "00 80 \r\n00 00 ";
    QTest::newRow("pitch 1") << QByteArray::fromHex("0AFF") << 1 << "0A \r\nFF ";
    QTest::newRow("pitch 0 does not divide") << QByteArray::fromHex("0102") << 0 << "01 02 ";
    QTest::newRow("empty") << QByteArray() << 2 << "";
}

void TestGlyphEdit::hexView()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, pitch);
    QFETCH(QString, text);
    QCOMPARE(hexText(bytes, pitch), text);
}

void TestGlyphEdit::glyphRefReadsAndWritesTheRecord()
{
    CFreeTypeFont font;
    const GlyphRef glyph = glyphWith(font, 0x4E00, 9, 2, 2, "00 80 00 00");
    QCOMPARE(glyph.code(), 0x4E00);
    GlyphCell cell = glyph.cell();
    QVERIFY(cell.hasRecord && cell.valid && cell.isComplete());
    QVERIFY(cell.pixel(8, 0));
    QVERIFY(!cell.pixel(8, 1));
    QVERIFY(!cell.pixel(16, 0));

    glyph.writeCell(QByteArray::fromHex("FFFF"), 16, 1, 2);
    cell = glyph.cell();
    QCOMPARE((QList { cell.width, cell.height, cell.pitch }), (QList { 16, 1, 2 }));
    QCOMPARE(hexOf(glyph), QByteArray("FF FF"));
    // The document keeps the text form: Base64 and decimal numbers.
    const pugi::xml_node record = glyph.element().child("BitFont");
    QCOMPARE(QByteArray(record.child("buffer").text().get()), QByteArray("//8="));
    QCOMPARE(QByteArray(record.child("width").text().get()), QByteArray("16"));

    // A damaged buffer reads as no bytes, and a glyph without a record as nothing.
    fontdoc::setText(glyph.element().child("BitFont").child("buffer"), "abc");
    QVERIFY(glyph.cell().bytes.isEmpty());
    QVERIFY(!GlyphRef().cell().hasRecord);
}

QTEST_GUILESS_MAIN(TestGlyphEdit)
#include "tst_bitfont_glyphedit.moc"
