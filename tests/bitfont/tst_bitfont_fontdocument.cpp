#include "FontTestSupport.h"

#include "bitfont/core/BcfBuilder.h"
#include "bitfont/core/DocumentMemory.h"
#include "bitfont/core/OutlineRasterizer.h"
#include "bitfont/core/ProjectFile.h"
#include "support/TrafficLogRecorder.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestFontDocument : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void documentsFromBeforeTheArena();
    void pxAttribute_data();
    void pxAttribute();
    void booleanReading_data();
    void booleanReading();
    void projectLayout();
    void renderedProjectRoundTrip();
    void badProjectKeepsFont_data();
    void badProjectKeepsFont();
    void failedSaveIsReported();
    void saveReplacesLongerFile();
    void historyLookupAndReset();

private:
    QTemporaryDir m_dir;
};

// Runs first, before anything in this process opened a scope. Only documents
// built inside a scope take the blocks; every document, also one holding
// memory of both kinds, is released where its memory came from.
void TestFontDocument::documentsFromBeforeTheArena()
{
    const auto build = [](pugi::xml_document &document, const char *name) {
        for (int i = 0; i < 20000; ++i) {
            fontdoc::appendInt(document, name, i);
        }
    };
    auto before = std::make_unique<pugi::xml_document>();
    build(*before, "n");
    {
        const docmemory::Scope installs;
    }
    auto outside = std::make_unique<pugi::xml_document>();
    build(*outside, "n");
    QCOMPARE(docmemory::blockBytes(), size_t(0));
    {
        const docmemory::Scope scope;
        pugi::xml_document inside;
        build(inside, "n");
        build(*before, "m");
        build(*outside, "m");
        QVERIFY(docmemory::blockBytes() > 0);
        QCOMPARE(inside.last_child().text().as_int(), 19999);
    }
    QCOMPARE(before->last_child().text().as_int(), 19999);
    before.reset();
    QCOMPARE(outside->last_child().text().as_int(), 19999);
    outside.reset();
}

void TestFontDocument::pxAttribute_data()
{
    QTest::addColumn<long long>("value");
    QTest::addColumn<QString>("px");

    QTest::newRow("-65") << -65LL << "-1";
    QTest::newRow("1023") << 1023LL << "15";
    QTest::newRow("-63") << -63LL << "0";
    QTest::newRow("1152") << 1152LL << "18";
}

void TestFontDocument::pxAttribute()
{
    QFETCH(long long, value);
    QFETCH(QString, px);

    pugi::xml_document document;
    const pugi::xml_node element = fontdoc::appendPx(document, "ascender", value);
    QCOMPARE(QString::fromUtf8(element.attribute("px").value()), px);
    QCOMPARE(element.text().as_llong(), value);
}

void TestFontDocument::booleanReading_data()
{
    QTest::addColumn<QByteArray>("bitFont");
    QTest::addColumn<bool>("valid");

    QTest::newRow("Y") << QByteArray("<valid>Y</valid>") << true;
    QTest::newRow("1") << QByteArray("<valid>1</valid>") << true;
    QTest::newRow("true") << QByteArray("<valid>true</valid>") << true;
    QTest::newRow("false") << QByteArray("<valid>false</valid>") << false;
    QTest::newRow("0") << QByteArray("<valid>0</valid>") << false;
    QTest::newRow("empty") << QByteArray("<valid></valid>") << false;
    QTest::newRow("missing") << QByteArray("") << false;
}

void TestFontDocument::booleanReading()
{
    QFETCH(QByteArray, bitFont);
    QFETCH(bool, valid);

    const QByteArray text = "<glyph charcode=\"65\"><BitFont>" + bitFont + "</BitFont></glyph>";
    pugi::xml_document document;
    QVERIFY(document.load_buffer(text.constData(), size_t(text.size())));
    QCOMPARE(fontdoc::readBitFont(document.child("glyph")).valid, valid);
}

void TestFontDocument::projectLayout()
{
    CFreeTypeFont font;
    font.resetForNewFont();
    pugi::xml_node face = font.face();
    fontdoc::appendText(face, "family_name", "A<&\"b");
    fontdoc::appendText(face, "style_name", "");
    pugi::xml_node metrics = face.append_child("size").append_child("metrics");
    fontdoc::appendInt(metrics, "x_ppem", 16);
    fontdoc::appendPx(metrics, "ascender", -65);
    pugi::xml_node glyph = face.append_child("glyph").append_child("glyph");
    glyph.append_attribute("charcode").set_value(65);
    glyph.append_child("library");

    font.projectPath = m_dir.filePath(QStringLiteral("layout.bfproj"));
    QVERIFY(font.saveProject());
    const QByteArray expected = "<?xml version=\"1.0\"?>\r\n"
                                "<Face>\r\n"
                                "\t<family_name>A&lt;&amp;\"b</family_name>\r\n"
                                "\t<style_name />\r\n"
                                "\t<size>\r\n"
                                "\t\t<metrics>\r\n"
                                "\t\t\t<x_ppem>16</x_ppem>\r\n"
                                "\t\t\t<ascender px=\"-1\">-65</ascender>\r\n"
                                "\t\t</metrics>\r\n"
                                "\t</size>\r\n"
                                "\t<glyph>\r\n"
                                "\t\t<glyph charcode=\"65\">\r\n"
                                "\t\t\t<library />\r\n"
                                "\t\t</glyph>\r\n"
                                "\t</glyph>\r\n"
                                "</Face>\r\n";
    QCOMPARE(readAll(font.projectPath), expected);

    CFreeTypeFont loaded;
    loaded.projectPath = font.projectPath;
    QVERIFY(loaded.loadProject());
    QCOMPARE(loaded.fields().name, QStringLiteral("A<&\"b"));
    QCOMPARE(loaded.fields().width, 16u);
    QCOMPARE(projectfile::toBytes(loaded.fontDocument), expected);
}

void TestFontDocument::renderedProjectRoundTrip()
{
    CFreeTypeFont font;
    font.ttfPath = dejaVuSansPath();
    font.pixelWidth = font.pixelHeight = 16;
    RecordingProgress progress;
    progress.stopBefore(1200);
    QVERIFY2(renderOutlineFont(font, progress), "fonts-dejavu-core must be installed");
    font.projectPath = m_dir.filePath(QStringLiteral("first.bfproj"));
    QVERIFY(font.saveProject());

    CFreeTypeFont loaded;
    loaded.historyDocument.append_child("History").append_child("Glyph").append_attribute("charcode").set_value(65);
    loaded.projectPath = font.projectPath;
    QVERIFY(loaded.loadProject());
    loaded.projectPath = m_dir.filePath(QStringLiteral("second.bfproj"));
    QVERIFY(loaded.saveProject());

    const QByteArray first = readAll(font.projectPath);
    QVERIFY(first.size() > 100000);
    QCOMPARE(readAll(loaded.projectPath), first);
    // Every value reads back as it was written.
    loaded.pixelWidth = font.pixelWidth;
    QCOMPARE(bcfBytes(loaded), bcfBytes(font));
    QCOMPARE(loaded.fields().name, QStringLiteral("DejaVu Sans"));
    // A load replaces the font document only.
    QVERIFY(loaded.findHistoryGlyph(65));
}

void TestFontDocument::badProjectKeepsFont_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file at all
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QString>("reason"); // in the log line, when given

    QTest::newRow("no such file") << QByteArray() << false << QString();
    QTest::newRow("empty file") << QByteArray() << true << QString();
    QTest::newRow("cut off") << QByteArray("<?xml version=\"1.0\"?>\r\n<Face>\r\n\t<glyph>\r\n\t\t<glyph charcode=\"6")
                             << true << QString();
    QTest::newRow("not XML") << QByteArray("\x89PNG\r\n\x1a\n") << true << QString();
    // Refused before parsing, so that no such file makes a tree many times its size.
    QTest::newRow("a glyph more than the codes")
        << QByteArray("<Face><glyph>") + QByteArray("<glyph charcode=\"1\"/>").repeated(65537) + "</glyph></Face>"
        << true << QStringLiteral("65538 glyph elements");
    QTest::newRow("tree beyond four times the file") << QByteArray("<Face>") + QByteArray("<a/>").repeated(5000000)
            + "</Face>" << true << QStringLiteral("more than four times its size");
    // The tree alone takes 3.5 times the file; the BCF bytes of its bitmap would take it past four.
    QTest::newRow("tree and BCF bytes beyond four times the file") << QByteArray("<Face>")
            + QByteArray("<a/>").repeated(400000) + "<buffer>" + QByteArray(8640000, 'A')
            + "</buffer></Face>" << true << QStringLiteral("to load and export, more than four times its size");
}

void TestFontDocument::badProjectKeepsFont()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    QFETCH(QString, reason);

    // Unsaved work: a rendered font with one glyph edited.
    CFreeTypeFont font;
    font.ttfPath = dejaVuSansPath();
    font.pixelWidth = font.pixelHeight = 16;
    RecordingProgress progress;
    progress.stopBefore(300);
    QVERIFY(renderOutlineFont(font, progress));
    fontdoc::setText(font.glyphList().first_child().child("BitFont").child("valid"), "true");
    font.projectPath = m_dir.filePath(QStringLiteral("bad-%1.bfproj").arg(QTest::currentDataTag()));
    if (exists) {
        QVERIFY(writeFile(font.projectPath, content));
    }
    const QByteArray before = projectfile::toBytes(font.fontDocument);
    const QByteArray bcfBefore = bcfBytes(font);

    TrafficLogRecorder log;
    QVERIFY(!font.loadProject());
    QCOMPARE(projectfile::toBytes(font.fontDocument), before);
    QCOMPARE(bcfBytes(font), bcfBefore);
    QCOMPARE(font.fields().name, QStringLiteral("DejaVu Sans"));
    QCOMPARE(log.lines().size(), 1);
    QVERIFY2(log.lines().first().startsWith(QStringLiteral("Project not loaded, the current font is kept: ")),
        qPrintable(log.lines().first()));
    QVERIFY2(log.lines().first().contains(reason), qPrintable(log.lines().first()));
}

void TestFontDocument::failedSaveIsReported()
{
    CFreeTypeFont font;
    font.resetForNewFont();
    font.projectPath = m_dir.filePath(QStringLiteral("no/such/folder/x.bfproj"));
    TrafficLogRecorder log;
    QVERIFY(!font.saveProject());
    QCOMPARE(log.lines().size(), 1);
    QVERIFY(log.lines().first().startsWith(QStringLiteral("Project not saved: ")));
}

void TestFontDocument::saveReplacesLongerFile()
{
    CFreeTypeFont font;
    font.resetForNewFont();
    font.projectPath = m_dir.filePath(QStringLiteral("replace.bfproj"));
    QVERIFY(writeFile(font.projectPath, QByteArray(5000, 'x')));
    QVERIFY(font.saveProject());
    QCOMPARE(readAll(font.projectPath), QByteArray("<?xml version=\"1.0\"?>\r\n<Face />\r\n"));
}

void TestFontDocument::historyLookupAndReset()
{
    CFreeTypeFont font;
    QVERIFY(!font.findHistoryGlyph(65));
    pugi::xml_node history = font.historyDocument.append_child("History");
    for (int code : { 66, 65, 65 }) {
        history.append_child("Glyph").append_attribute("charcode").set_value(code);
    }
    QCOMPARE(font.findHistoryGlyph(65), history.child("Glyph").next_sibling());
    QVERIFY(!font.findHistoryGlyph(67));

    font.fontDocument.append_child("Face").append_child("glyph");
    font.resetForNewFont();
    QVERIFY(!font.historyDocument.child("History"));
    QVERIFY(font.face());
    QVERIFY(!font.face().first_child());
    QCOMPARE(std::distance(font.fontDocument.children().begin(), font.fontDocument.children().end()), 1);
}

QTEST_GUILESS_MAIN(TestFontDocument)
#include "tst_bitfont_fontdocument.moc"
