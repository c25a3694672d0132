#include "FontTestSupport.h"

#include "app/CDlgProcess.h"
#include "app/LanguageManager.h"
#include "app/SettingsStore.h"
#include "bitfont/core/GlyphRecords.h"
#include "bitfont/tool/BitFontTool.h"
#include "bitfont/tool/CDlgFontEdit.h"
#include "bitfont/tool/CDlgImportFont.h"
#include "bitfont/tool/CDlgViewFontBcf2.h"
#include "bitfont/tool/CFormBitFont.h"
#include "bitfont/tool/GlyphViews.h"
#include "connection/CDeviceInterface.h"
#include "ui/LayoutLoader.h"
#include "ui/ScriptedPrompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using bitfontview::PixelCanvas;
using jobs::TaskCode;

namespace {

// The tab on a settings file of its own.
struct Tab {
    QTemporaryDir dir;
    std::unique_ptr<SettingsStore> store = std::make_unique<SettingsStore>(dir.filePath(QStringLiteral("s.ini")));
    CDeviceInterface device;
    std::unique_ptr<CFormBitFont> form = std::make_unique<CFormBitFont>(*store, device);

    template <typename Control = QWidget> Control *control(const char *name) const
    {
        return ui::findControl<Control>(form.get(), QString::fromLatin1(name));
    }
    void restart()
    {
        form.reset();
        store = std::make_unique<SettingsStore>(dir.filePath(QStringLiteral("s.ini")));
        form = std::make_unique<CFormBitFont>(*store, device);
    }
    QString field(const char *name) const { return control<QLineEdit>(name)->text(); }
};

// Counts the jobs a task code starts in place of the real one.
struct CountedTask {
    explicit CountedTask(TaskCode code)
        : code(code)
    {
        CDlgProcess::registerTask(code, [this](CDlgProcess &) {
            ++started;
            return jobs::makeJob([](jobs::JobContext &) {});
        });
    }
    ~CountedTask() { registerBitFontJobs(); }
    TaskCode code;
    int started = 0;
};

// A font of the given codes, every glyph a valid w x h cell with some ink.
void fillGlyphs(CFreeTypeFont &font, const QList<int> &codes, int width = 6, int height = 8)
{
    font.resetForNewFont();
    pugi::xml_node list = font.face().append_child("glyph");
    for (int code : codes)
        appendGlyph(list, code, true, inkBitmap(width, height));
}

QList<int> codeRange(int first, int last)
{
    QList<int> codes;
    for (int code = first; code <= last; ++code)
        codes.append(code);
    return codes;
}

void clickButton(QWidget *window, const char *name)
{
    auto *button = ui::findControl<QPushButton>(window, QString::fromLatin1(name));
    QVERIFY2(button, name);
    button->click();
}

// Answers the next modal dialog (the import dialog) by a function of it.
void whenModalOpens(std::function<void(QWidget *)> answer)
{
    QTimer::singleShot(0, [answer] {
        if (QWidget *modal = QApplication::activeModalWidget())
            answer(modal);
    });
}

} // namespace

class TestBitFontTool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { registerBitFontJobs(); }
    void firstStartAndSettingsRoundTrip();
    void pixelSizeParsing_data();
    void pixelSizeParsing();
    void importDialogStoresItsTextsAndRefusesSizes();
    void cancelledDialogsRunNoJob();
    void saveDialogsAskWithTheDefaultSuffix();
    void renderingRefreshesTheFields();
    void failuresShowAMessage();
    void loadClearsTheHistoryOfTheOtherFont();
    void exportShowsTheReport();
    void downloadRefusesNamesThatBreakTheFraming();
    void previewBuildsOnTheWorkerAndOpensTheViewer();
    void viewerRowsAndSpans();
    void viewerPicture_data();
    void viewerPicture();
    void editorGridAndSelection();
    void editorButtonsUndoRedoAndZoom();
    void editorPixelClicks();
    void editorWithoutGlyphClearsTheField();
    void glyphCellsPaint();
    void screenshots_data();
    void screenshots();
};

void TestBitFontTool::firstStartAndSettingsRoundTrip()
{
    Tab tab;
    QVERIFY(tab.control<QCheckBox>("chk_bitfont_flash")->isChecked());
    QVERIFY(!tab.control<QCheckBox>("chk_bitfont_dram")->isChecked());
    QCOMPARE(tab.control<QSpinBox>("edit_bitfont_font_null_count")->value(), 5);
    QCOMPARE(tab.form->nullCount(), 5);
    // The gap field takes no negative number.
    QCOMPARE(tab.control<QSpinBox>("edit_bitfont_font_null_count")->minimum(), 0);

    tab.control<QCheckBox>("chk_bitfont_card")->click();
    QVERIFY(!tab.control<QCheckBox>("chk_bitfont_flash")->isChecked());
    tab.control<QSpinBox>("edit_bitfont_font_null_count")->setValue(0);
    QCOMPARE(tab.form->nullCount(), 0);
    tab.control<QLineEdit>("edit_bitfont_font_name")->setText(QStringLiteral("MY FONT"));
    QCOMPARE(tab.form->font().fontName, QStringLiteral("MY FONT"));

    tab.restart();
    QVERIFY(tab.control<QCheckBox>("chk_bitfont_card")->isChecked());
    QCOMPARE(tab.store->readInt(QStringLiteral("BitFont"), QStringLiteral("MemoryPlace"), -1), 2);
    QCOMPARE(tab.form->nullCount(), 0);
    tab.control<QCheckBox>("chk_bitfont_dram")->click();
    QCOMPARE(tab.store->readInt(QStringLiteral("BitFont"), QStringLiteral("MemoryPlace"), -1), 0);
}

void TestBitFontTool::pixelSizeParsing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("size"); // 0: refused

    QTest::newRow("16") << "16" << 16;
    QTest::newRow("20 and a letter") << "20a" << 20;
    QTest::newRow("256") << "256" << 256;
    QTest::newRow("1") << "1" << 1;
    QTest::newRow("nothing") << "" << 0;
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("257") << "257" << 0;
    QTest::newRow("65535") << "65535" << 0;
    QTest::newRow("saturates") << "99999999999999999999999" << 0;
    QTest::newRow("no leading digit") << "x16" << 0;
    QTest::newRow("minus") << "-16" << 0;
}

void TestBitFontTool::pixelSizeParsing()
{
    QFETCH(QString, text);
    QFETCH(int, size);
    QCOMPARE(parsePixelSize(text).value_or(0), size);
}

void TestBitFontTool::importDialogStoresItsTextsAndRefusesSizes()
{
    Tab tab;
    ScriptedPrompts prompts;
    CFreeTypeFont &font = tab.form->font();
    {
        CDlgImportFont dialog(font, *tab.store, tab.form.get());
        auto *width = ui::findControl<QComboBox>(&dialog, QStringLiteral("cb_font_width"));
        auto *height = ui::findControl<QComboBox>(&dialog, QStringLiteral("cb_font_height"));
        QCOMPARE(width->currentText(), QStringLiteral("16"));
        QCOMPARE(height->count(), 11);
        QCOMPARE(height->itemText(10), QStringLiteral("256"));
        QCOMPARE(ui::findControl<QLineEdit>(&dialog, QStringLiteral("edit_font_file_path"))->text(), QString());

        width->setCurrentText(QStringLiteral("65535"));
        clickButton(&dialog, "btn_ok");
        QCOMPARE(dialog.result(), 0);
        QCOMPARE(prompts.askedTexts.size(), 1);
        QCOMPARE(font.pixelWidth, 0);
        QCOMPARE(tab.store->readText(QStringLiteral("ImportFont"), QStringLiteral("Width"), QStringLiteral("none")),
            QStringLiteral("none"));

        width->setCurrentText(QStringLiteral("20a"));
        height->setCurrentText(QStringLiteral("24"));
        prompts.fileNames.enqueue(dejaVuSansPath());
        clickButton(&dialog, "btn_browser_file");
        clickButton(&dialog, "btn_ok");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    QCOMPARE(font.pixelWidth, 20);
    QCOMPARE(font.pixelHeight, 24);
    QCOMPARE(font.ttfPath, dejaVuSansPath());
    CDlgImportFont again(font, *tab.store, tab.form.get());
    QCOMPARE(ui::findControl<QComboBox>(&again, QStringLiteral("cb_font_width"))->currentText(), QStringLiteral("20a"));
    QCOMPARE(ui::findControl<QLineEdit>(&again, QStringLiteral("edit_font_file_path"))->text(), dejaVuSansPath());
}

void TestBitFontTool::cancelledDialogsRunNoJob()
{
    Tab tab;
    ScriptedPrompts prompts; // answers every file dialog and the font chooser with cancel
    CountedTask load(TaskCode::LoadProject);
    CountedTask save(TaskCode::SaveProject);
    CountedTask exportBcf(TaskCode::ExportBcf);
    CountedTask render(TaskCode::RenderOutlineFont);
    CountedTask system(TaskCode::RenderSystemFont);
    clickButton(tab.form.get(), "btn_bitfont_load_project");
    clickButton(tab.form.get(), "btn_bitfont_save_project");
    clickButton(tab.form.get(), "btn_bitfont_save_font_bin");
    clickButton(tab.form.get(), "btn_bitfont_load_system_font");
    whenModalOpens([](QWidget *modal) { clickButton(modal, "btn_cancel"); });
    clickButton(tab.form.get(), "btn_bitfont_load_ttf_file");
    QCOMPARE(load.started + save.started + exportBcf.started + render.started + system.started, 0);

    // Answered, each starts its job once.
    for (const char *path : { "/tmp/a.bfproj", "/tmp/b.bfproj", "/tmp/c.bcf" })
        prompts.fileNames.enqueue(QString::fromLatin1(path));
    prompts.fonts.enqueue(QFont(QStringLiteral("DejaVu Sans")));
    clickButton(tab.form.get(), "btn_bitfont_load_project");
    clickButton(tab.form.get(), "btn_bitfont_save_project");
    clickButton(tab.form.get(), "btn_bitfont_save_font_bin");
    clickButton(tab.form.get(), "btn_bitfont_load_system_font");
    QCOMPARE((QList { load.started, save.started, exportBcf.started, system.started }), (QList { 1, 1, 1, 1 }));
    QCOMPARE(tab.form->font().projectPath, QStringLiteral("/tmp/b.bfproj"));
    QCOMPARE(tab.form->font().bcfPath, QStringLiteral("/tmp/c.bcf"));
    QCOMPARE(tab.form->chosenSystemFont().family(), QStringLiteral("DejaVu Sans"));
}

void TestBitFontTool::saveDialogsAskWithTheDefaultSuffix()
{
    Tab tab;
    ScriptedPrompts prompts;
    CountedTask save(TaskCode::SaveProject);
    CountedTask exportBcf(TaskCode::ExportBcf);
    clickButton(tab.form.get(), "btn_bitfont_save_project");
    clickButton(tab.form.get(), "btn_bitfont_save_font_bin");
    QCOMPARE(prompts.askedSuffixes, (QStringList { "bfproj", "bcf" }));
}

void TestBitFontTool::renderingRefreshesTheFields()
{
    Tab tab;
    ScriptedPrompts prompts;
    CFreeTypeFont &font = tab.form->font();
    font.ttfPath = dejaVuSansPath();
    font.pixelWidth = 16;
    font.pixelHeight = 16;
    QCOMPARE(tab.form->runAction(TaskCode::RenderOutlineFont), 1);
    QCOMPARE(tab.field("edit_bitfont_font_name"), QStringLiteral("DejaVu Sans"));
    QCOMPARE(tab.field("edit_bitfont_font_width"), QStringLiteral("16"));
    QCOMPARE(tab.field("edit_bitfont_font_height"), QStringLiteral("16"));
    QCOMPARE(font.fontName, QStringLiteral("DejaVu Sans"));
    QVERIFY(prompts.askedTexts.isEmpty());
    QCOMPARE(fontGlyphs(font).size(), 65536);
}

void TestBitFontTool::failuresShowAMessage()
{
    Tab tab;
    ScriptedPrompts prompts;
    CFreeTypeFont &font = tab.form->font();
    fillGlyphs(font, { 65 });
    const QString nowhere = tab.dir.filePath(QStringLiteral("missing/dir/x"));

    font.projectPath = nowhere + QStringLiteral(".bfproj");
    QCOMPARE(tab.form->runAction(TaskCode::SaveProject), 1);
    font.bcfPath = nowhere + QStringLiteral(".bcf");
    QCOMPARE(tab.form->runAction(TaskCode::ExportBcf), 1);
    QCOMPARE(tab.form->runAction(TaskCode::LoadProject), 1);
    font.ttfPath = nowhere + QStringLiteral(".ttf");
    font.pixelWidth = font.pixelHeight = 16;
    QCOMPARE(tab.form->runAction(TaskCode::RenderOutlineFont), 1);
    QCOMPARE(prompts.askedTexts,
        (QStringList { QStringLiteral("保存字体工程失败。"), QStringLiteral("导出字体文件失败。"),
            QStringLiteral("载入字体工程失败。"), QStringLiteral("无法打开字体文件或设置字体大小。") }));
    // The font stayed.
    QCOMPARE(fontGlyphs(font).size(), 1);
}

void TestBitFontTool::loadClearsTheHistoryOfTheOtherFont()
{
    Tab tab;
    ScriptedPrompts prompts;
    CFreeTypeFont &font = tab.form->font();
    fillGlyphs(font, { 65, 66 });
    font.face().prepend_child("family_name").text().set("Saved");
    font.projectPath = tab.dir.filePath(QStringLiteral("one.bfproj"));
    QCOMPARE(tab.form->runAction(TaskCode::SaveProject), 1);
    QVERIFY(QFileInfo::exists(font.projectPath));

    QVERIFY(editGlyph(font, fontGlyphs(font).first(), GlyphEdit::Invert));
    QVERIFY(glyphhistory::state(font, 65).canUndo);
    QCOMPARE(tab.form->runAction(TaskCode::LoadProject), 1);
    QCOMPARE(glyphhistory::state(font, 65).canUndo, false);
    QCOMPARE(tab.field("edit_bitfont_font_name"), QStringLiteral("Saved"));
    QCOMPARE(tab.field("edit_bitfont_font_width"), QStringLiteral("0"));
    QVERIFY(prompts.askedTexts.isEmpty());
}

void TestBitFontTool::exportShowsTheReport()
{
    Tab tab;
    ScriptedPrompts prompts;
    CFreeTypeFont &font = tab.form->font();
    fillGlyphs(font, codeRange(65, 70));
    font.bcfPath = tab.dir.filePath(QStringLiteral("f.bcf"));
    QCOMPARE(tab.form->runAction(TaskCode::ExportBcf), 1);
    QCOMPARE(prompts.askedTexts.size(), 1);
    QVERIFY2(prompts.askedTexts.first().startsWith(QStringLiteral("导出成功，区间数量=1，字符总数=6，有效字符=6。")),
        qPrintable(prompts.askedTexts.first()));
    QVERIFY(prompts.askedTexts.first().endsWith(QStringLiteral("(65, 70) ")));
    QVERIFY(QFileInfo(font.bcfPath).size() > 12);
}

void TestBitFontTool::downloadRefusesNamesThatBreakTheFraming()
{
    Tab tab;
    ScriptedPrompts prompts;
    CountedTask download(TaskCode::DownloadFont);
    for (const QString &name : { QStringLiteral("A,B"), QStringLiteral("A\nB") }) {
        tab.control<QLineEdit>("edit_bitfont_font_name")->setText(name);
        clickButton(tab.form.get(), "btn_bitfont_download");
    }
    QCOMPARE(download.started, 0);
    QCOMPARE(prompts.askedTexts.size(), 2);
    tab.control<QLineEdit>("edit_bitfont_font_name")->setText(QStringLiteral("MY FONT"));
    tab.control<QCheckBox>("chk_bitfont_card")->click();
    clickButton(tab.form.get(), "btn_bitfont_download");
    QCOMPARE(download.started, 1);
    QCOMPARE(tab.form->font().memoryPlace, QStringLiteral("CARD"));
    QCOMPARE(tab.form->font().fontName, QStringLiteral("MY FONT"));
}

void TestBitFontTool::previewBuildsOnTheWorkerAndOpensTheViewer()
{
    Tab tab;
    fillGlyphs(tab.form->font(), codeRange(65, 90));
    QPointer<CDlgViewFontBcf2> seen;
    int rows = -1;
    // The progress dialog comes first, the viewer once the build has ended.
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        if (auto *viewer = qobject_cast<CDlgViewFontBcf2 *>(QApplication::activeModalWidget())) {
            seen = viewer;
            rows = viewer->model()->rowCount();
            viewer->close();
        }
    });
    poll.start(10);
    clickButton(tab.form.get(), "btn_bitfont_preview_font");
    poll.stop();
    QVERIFY(seen.isNull()); // it was shown, closed and is gone
    QCOMPARE(rows, 2);
}

void TestBitFontTool::viewerRowsAndSpans()
{
    CFreeTypeFont font;
    // Every code from 0 to 300, valid only 65..90 (26 glyphs), 200..215 (exactly 16) and 300.
    const QList<int> valid = codeRange(65, 90) + codeRange(200, 215) + QList { 300 };
    font.resetForNewFont();
    pugi::xml_node list = font.face().append_child("glyph");
    for (int code = 0; code <= 300; ++code)
        appendGlyph(list, code, valid.contains(code), inkBitmap(6, 8));
    auto document = std::make_shared<pugi::xml_document>();
    buildBcfDocument(font, *document, 5);
    CDlgViewFontBcf2 viewer(document);
    const auto *model = viewer.model();
    QCOMPARE(model->rowCount(), 4);
    QCOMPARE(model->columnCount(), 17);
    QCOMPARE(model->headerData(16, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("0F"));
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("00065-00090"));
    QCOMPARE(model->glyphAt(model->index(1, 10)).code(), 90);
    QVERIFY(model->glyphAt(model->index(1, 11)).isNull());
    QCOMPARE(model->index(2, 0).data().toString(), QStringLiteral("00200-00215"));
    QCOMPARE(model->glyphAt(model->index(2, 16)).code(), 215);
    QCOMPARE(model->glyphAt(model->index(3, 1)).code(), 300);
    QCOMPARE(viewer.grid()->rowSpan(0, 0), 2);
    QCOMPARE(viewer.grid()->rowSpan(2, 0), 1);
    QCOMPARE(viewer.grid()->columnWidth(0), 120);

    // Column 0 shows an empty record and no picture.
    viewer.selectCell(model->index(0, 0));
    QCOMPARE(ui::findControl<QPlainTextEdit>(&viewer, QStringLiteral("edit_font_xml"))->toPlainText(), QString());
    QCOMPARE(viewer.picture()->columns(), 0);
    viewer.selectCell(model->index(0, 1));
    const QString xml = ui::findControl<QPlainTextEdit>(&viewer, QStringLiteral("edit_font_xml"))->toPlainText();
    QVERIFY2(xml.startsWith(QStringLiteral("<BitFont2>\n\t<valid>true</valid>\n\t<left>0</left>")), qPrintable(xml));
    // The text itself has the project file's layout: tab indents, CR LF.
    QVERIFY(bcf2XmlText(model->glyphAt(model->index(0, 1)))
                .endsWith(QStringLiteral("\t<pitch>1</pitch>\r\n</BitFont2>\r\n")));
    QCOMPARE(viewer.picture()->columns(), 6);
}

void TestBitFontTool::viewerPicture_data()
{
    QTest::addColumn<QList<int>>("record"); // left, top, advancex, advancey
    QTest::addColumn<QList<qint64>>("placement");

    QTest::newRow("inside the box") << QList { 1, 2, 9, 16 } << QList<qint64> { 9, 16, 1, 2 };
    QTest::newRow("left -2, advance 0") << QList { -2, 0, 0, 16 } << QList<qint64> { 2, 16, 0, 0 };
    QTest::newRow("top -1") << QList { 0, -1, 9, 16 } << QList<qint64> { 9, 17, 0, 0 };
    QTest::newRow("damaged numbers stay in 64 bits")
        << QList { INT_MIN, 0, INT_MAX, 16 } << QList<qint64> { qint64(INT_MAX) * 2 + 1, 16, 0, 0 };
}

void TestBitFontTool::viewerPicture()
{
    QFETCH(QList<int>, record);
    QFETCH(QList<qint64>, placement);
    Bcf2Record bcf2;
    bcf2.valid = true;
    bcf2.left = record[0];
    bcf2.top = record[1];
    bcf2.advanceX = record[2];
    bcf2.advanceY = record[3];
    const CDlgViewFontBcf2::Placement place = CDlgViewFontBcf2::placementOf(bcf2);
    QCOMPARE((QList<qint64> { place.columns, place.rows, place.columnOffset, place.rowOffset }), placement);

    // The picture: a document whose only glyph has this record and a 6 x 10 bitmap of ink.
    auto document = std::make_shared<pugi::xml_document>();
    pugi::xml_node glyph = document->append_child("BCF").append_child("Range").append_child("glyph");
    glyph.append_attribute("charcode").set_value(65);
    pugi::xml_node out = glyph.append_child("BitFont2");
    fontdoc::appendBool(out, "valid", true);
    fontdoc::appendInt(out, "left", record[0]);
    fontdoc::appendInt(out, "top", record[1]);
    fontdoc::appendInt(out, "advancex", record[2]);
    fontdoc::appendInt(out, "advancey", record[3]);
    fontdoc::appendText(out, "buffer", inkBitmap(6, 10).toBase64().toStdString());
    fontdoc::appendInt(out, "width", 6);
    fontdoc::appendInt(out, "height", 10);
    CDlgViewFontBcf2 viewer(document);
    viewer.selectCell(viewer.model()->index(0, 1));
    const PixelCanvas *picture = viewer.picture();
    QCOMPARE(qint64(picture->columns()), qMin<qint64>(placement[0], PixelCanvas::maxSide));
    QCOMPARE(qint64(picture->rows()), placement[1]);
    for (int row = 0; row < picture->rows(); ++row) {
        for (int column = 0; column < qMin(picture->columns(), 12); ++column) {
            const int x = column - int(placement[2]);
            const int y = row - int(placement[3]);
            const bool inBitmap = x >= 0 && x < 6 && y >= 0 && y < 10;
            QCOMPARE(picture->box(column, row), inBitmap ? 0xFF000000 : CDlgViewFontBcf2::advanceColour);
        }
    }
    // Not valid: the text stays, the picture goes.
    fontdoc::setText(out.child("valid"), "false");
    viewer.selectCell(viewer.model()->index(0, 1));
    QCOMPARE(picture->columns(), 0);
    QVERIFY(!ui::findControl<QPlainTextEdit>(&viewer, QStringLiteral("edit_font_xml"))->toPlainText().isEmpty());
}

void TestBitFontTool::editorGridAndSelection()
{
    CFreeTypeFont font;
    fillGlyphs(font, codeRange(0x4E00, 0x4E13), 9, 2); // 20 glyphs
    CDlgFontEdit editor(font);
    const auto *model = editor.model();
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("000000"));
    QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("000010"));
    QCOMPARE(model->glyphAt(model->index(1, 4)).code(), 0x4E13);
    QVERIFY(model->glyphAt(model->index(1, 5)).isNull());
    QCOMPARE(editor.grid()->columnWidth(0), 60);
    QCOMPARE(editor.zoom(), 10);
    QVERIFY(editor.currentGlyph().isNull());

    editor.selectCell(model->index(0, 2));
    QCOMPARE(editor.currentGlyph().code(), 0x4E01);
    auto label = [&](const char *name) { return ui::findControl<QLabel>(&editor, QString::fromLatin1(name))->text(); };
    QCOMPARE(label("label_char_code"), QStringLiteral("19969"));
    QCOMPARE(label("label_char_code_hex"), QStringLiteral("4E01"));
    QCOMPARE(label("label_char_width"), QStringLiteral("9"));
    QCOMPARE(label("label_char_height"), QStringLiteral("2"));
    QCOMPARE(label("label_char_view"), QString(QChar(0x4E01)));
    QVERIFY(ui::findControl<QCheckBox>(&editor, QStringLiteral("chk_char_valid"))->isChecked());
    QCOMPARE(ui::findControl<QPlainTextEdit>(&editor, QStringLiteral("edit_bitmap_hex"))->toPlainText(),
        QStringLiteral("FF 80 \nFF 80 "));
    QCOMPARE(editor.pixelField()->columns(), 9);
    QCOMPARE(editor.pixelField()->rows(), 2);
    QCOMPARE(editor.pixelField()->box(8, 1), CDlgFontEdit::inkColour);

    // The validity flag writes the record, without history.
    ui::findControl<QCheckBox>(&editor, QStringLiteral("chk_char_valid"))->click();
    QCOMPARE(editor.currentGlyph().cell().valid, false);
    QVERIFY(!font.findHistoryGlyph(0x4E01));
}

void TestBitFontTool::editorButtonsUndoRedoAndZoom()
{
    CFreeTypeFont font;
    fillGlyphs(font, { 65 }, 8, 1);
    CDlgFontEdit editor(font);
    auto *undo = ui::findControl<QPushButton>(&editor, QStringLiteral("btn_edit_font_undo"));
    auto *redo = ui::findControl<QPushButton>(&editor, QStringLiteral("btn_edit_font_redo"));
    clickButton(&editor, "btn_edit_font_invert"); // no glyph: nothing
    QVERIFY(!font.findHistoryGlyph(65));
    QVERIFY(!undo->isEnabled() && !redo->isEnabled());

    editor.selectCell(editor.model()->index(0, 1));
    clickButton(&editor, "btn_edit_font_width_inc");
    QCOMPARE(editor.currentGlyph().cell().width, 9);
    QCOMPARE(editor.pixelField()->columns(), 9);
    QVERIFY(undo->isEnabled() && !redo->isEnabled());
    clickButton(&editor, "btn_edit_font_move_right");
    QCOMPARE(editor.currentGlyph().cell().bytes.toHex(), QByteArray("7f80"));
    clickButton(&editor, "btn_edit_font_undo");
    QVERIFY(undo->isEnabled() && redo->isEnabled());
    clickButton(&editor, "btn_edit_font_undo");
    QCOMPARE(editor.currentGlyph().cell().width, 8);
    QVERIFY(!undo->isEnabled() && redo->isEnabled());
    clickButton(&editor, "btn_edit_font_redo");
    QCOMPARE(editor.currentGlyph().cell().width, 9);
    QCOMPARE(ui::findControl<QLabel>(&editor, QStringLiteral("label_char_width"))->text(), QStringLiteral("9"));

    for (int i = 0; i < 15; ++i)
        clickButton(&editor, "btn_edit_font_zoom_in");
    QCOMPARE(editor.zoom(), 20);
    QCOMPARE(editor.pixelField()->boxSize(), 20);
    for (int i = 0; i < 25; ++i)
        clickButton(&editor, "btn_edit_font_zoom_out");
    QCOMPARE(editor.zoom(), 1);
    QCOMPARE(editor.pixelField()->boxRect(1, 0), QRect(2, 0, 1, 1));
}

void TestBitFontTool::editorPixelClicks()
{
    CFreeTypeFont font;
    font.resetForNewFont();
    GlyphBitmap blank;
    blank.create(9, 1);
    appendGlyph(font.face().append_child("glyph"), 65, true, blank);
    CDlgFontEdit editor(font);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    editor.selectCell(editor.model()->index(0, 1));
    auto *undo = ui::findControl<QPushButton>(&editor, QStringLiteral("btn_edit_font_undo"));
    QVERIFY(!undo->isEnabled());
    PixelCanvas *field = editor.pixelField();
    int repaintedCells = 0;
    connect(editor.model(), &QAbstractItemModel::dataChanged, [&] { ++repaintedCells; });

    QTest::mouseClick(field, Qt::LeftButton, {}, field->boxRect(8, 0).center());
    QCOMPARE(editor.currentGlyph().cell().bytes.toHex(), QByteArray("0080"));
    QCOMPARE(field->box(8, 0), CDlgFontEdit::inkColour);
    QVERIFY(undo->isEnabled());
    QCOMPARE(repaintedCells, 1);
    // The gap between two boxes is no box.
    QTest::mouseClick(field, Qt::LeftButton, {}, field->boxRect(8, 0).topLeft() - QPoint(1, 0));
    QCOMPARE(editor.currentGlyph().cell().bytes.toHex(), QByteArray("0080"));
    QTest::mouseClick(field, Qt::LeftButton, {}, field->boxRect(8, 0).center());
    QCOMPARE(editor.currentGlyph().cell().bytes.toHex(), QByteArray("0000"));
    QCOMPARE(font.findHistoryGlyph(65).child("UnDo").select_nodes("BitFont").size(), size_t(2));
    clickButton(&editor, "btn_edit_font_undo");
    clickButton(&editor, "btn_edit_font_undo");
    QCOMPARE(editor.currentGlyph().cell().bytes.toHex(), QByteArray("0000"));
    QCOMPARE(field->box(8, 0), CDlgFontEdit::backgroundColour);

    // A click drops the redo stack but leaves the button as it was until the next refresh;
    // redo then only pushes the current record and disables itself.
    auto *redo = ui::findControl<QPushButton>(&editor, QStringLiteral("btn_edit_font_redo"));
    QVERIFY(redo->isEnabled());
    QTest::mouseClick(field, Qt::LeftButton, {}, field->boxRect(0, 0).center());
    QVERIFY(!font.findHistoryGlyph(65).child("ReDo"));
    QVERIFY(redo->isEnabled());
    redo->click();
    QCOMPARE(editor.currentGlyph().cell().bytes.toHex(), QByteArray("8000"));
    QVERIFY(!redo->isEnabled());
    QCOMPARE(font.findHistoryGlyph(65).child("UnDo").select_nodes("BitFont").size(), size_t(2));
}

void TestBitFontTool::editorWithoutGlyphClearsTheField()
{
    CFreeTypeFont font;
    fillGlyphs(font, { 65, 66 });
    CDlgFontEdit editor(font);
    editor.selectCell(editor.model()->index(0, 1));
    QCOMPARE(editor.pixelField()->columns(), 6);
    editor.selectCell(editor.model()->index(0, 0)); // the index column: no glyph
    QVERIFY(editor.currentGlyph().isNull());
    QCOMPARE(editor.pixelField()->columns(), 0);
    QCOMPARE(ui::findControl<QLabel>(&editor, QStringLiteral("label_char_code"))->text(), QString());
    QCOMPARE(ui::findControl<QPlainTextEdit>(&editor, QStringLiteral("edit_bitmap_hex"))->toPlainText(), QString());
    editor.togglePixel(0, 0);
    QVERIFY(!font.findHistoryGlyph(65));
    QVERIFY(!font.findHistoryGlyph(66));

    // A damaged height of a billion boxes is capped.
    fontdoc::setText(fontGlyphs(font)[1].element().child("BitFont").child("height"), "1000000000");
    editor.selectCell(editor.model()->index(0, 2));
    QCOMPARE(editor.pixelField()->rows(), PixelCanvas::maxSide);
}

void TestBitFontTool::glyphCellsPaint()
{
    CFreeTypeFont font;
    font.resetForNewFont();
    pugi::xml_node list = font.face().append_child("glyph");
    GlyphBitmap dot;
    dot.create(9, 2);
    dot.setPixel(8, 0, true);
    appendGlyph(list, 65, true, dot);
    appendGlyph(list, 66, false, inkBitmap(6, 6)); // ink, but not valid: a red cross
    bitfontview::GlyphCellPainter cells;
    QImage image(60, 50, QImage::Format_ARGB32);
    const QRect cell(0, 0, 60, 50);
    const QList<GlyphRef> glyphs = fontGlyphs(font);

    QPainter painter(&image);
    cells.paint(&painter, cell, glyphs[0]);
    // Centred at natural size: left = 30 - 4, top = 25 - 1.
    QCOMPARE(image.pixel(26 + 8, 24), 0xFF000000u);
    QCOMPARE(image.pixel(26 + 7, 24), 0xFFFFFFFFu);
    QCOMPARE(image.pixel(26 + 8, 25), 0xFFFFFFFFu);
    // An edit of the record shows at the next paint.
    CFreeTypeFont &owner = font;
    QVERIFY(setGlyphPixel(owner, glyphs[0], 8, 1, true));
    cells.paint(&painter, cell, glyphs[0]);
    QCOMPARE(image.pixel(26 + 8, 25), 0xFF000000u);

    cells.paint(&painter, cell, glyphs[1]);
    // A 20 x 16 cross at (20, 17): red on its diagonal, no black anywhere.
    QCOMPARE(cells.crossSizes(), QList<QSize> { QSize(20, 16) });
    const QColor centre = image.pixelColor(30, 25);
    QVERIFY2(centre.red() > 200 && centre.green() < 80 && centre.blue() < 80, qPrintable(centre.name()));
    bool black = false;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 60; ++x)
            black = black || image.pixel(x, y) == 0xFF000000u;
    QVERIFY(!black);

    cells.paint(&painter, cell, GlyphRef());
    QCOMPARE(image.pixel(30, 25), 0xFFF0F0F0u);
}

void TestBitFontTool::screenshots_data()
{
    QTest::addColumn<QString>("language");
    for (const char *language : { "ChineseSimplified", "German", "Russian", "Arabic" })
        QTest::newRow(language) << QString::fromLatin1(language);
}

// Pictures of the tab and its dialogs on a CJK font, when asked for. The windows
// have no pack of their own; the language shows in the messages and the direction.
void TestBitFontTool::screenshots()
{
    const QString folder = qEnvironmentVariable("OSTREL_SCREENSHOT_DIR");
    const QString cjk = QStringLiteral("/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc");
    if (folder.isEmpty() || !QFileInfo::exists(cjk))
        QSKIP("set OSTREL_SCREENSHOT_DIR (and install fonts-wqy-zenhei) to save pictures of the font tool");
    QFETCH(QString, language);
    LanguageManager::instance().select(QStringLiteral("Lang\\") + language, language);
    const auto fileName = [&](const char *window) {
        return QDir(folder).filePath(QStringLiteral("%1-%2.png").arg(QLatin1String(window), language));
    };
    Tab tab;
    ScriptedPrompts prompts;
    CFreeTypeFont &font = tab.form->font();
    font.ttfPath = cjk;
    font.pixelWidth = font.pixelHeight = 24;
    QCOMPARE(tab.form->runAction(TaskCode::RenderOutlineFont), 1);
    tab.form->resize(970, 560);
    QVERIFY(tab.form->grab().save(fileName("FormBitFont")));

    const int firstCjkRow = 0x4E00 / 16;
    {
        CDlgFontEdit editor(font, tab.form.get());
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        editor.grid()->scrollTo(editor.model()->index(firstCjkRow, 1), QAbstractItemView::PositionAtTop);
        editor.grid()->setCurrentIndex(editor.model()->index(firstCjkRow + 2, 6));
        editor.selectCell(editor.model()->index(firstCjkRow + 2, 6));
        QTest::qWait(50);
        QVERIFY(editor.grab().save(fileName("DlgFontEdit")));
    }
    auto document = std::make_shared<pugi::xml_document>();
    buildBcfDocument(font, *document, tab.form->nullCount());
    CDlgViewFontBcf2 viewer(document, tab.form.get());
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    const auto *model = viewer.model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const GlyphRef glyph = model->glyphAt(model->index(row, 1));
        if (!glyph.isNull() && glyph.code() >= 0x4E00) {
            viewer.grid()->scrollTo(model->index(row, 1), QAbstractItemView::PositionAtTop);
            viewer.grid()->setCurrentIndex(model->index(row + 2, 6));
            viewer.selectCell(model->index(row + 2, 6));
            break;
        }
    }
    QTest::qWait(50);
    QVERIFY(viewer.grab().save(fileName("DlgViewFontBcf2")));
    viewer.close();

    CDlgImportFont import(font, *tab.store, tab.form.get());
    import.show();
    QVERIFY(QTest::qWaitForWindowExposed(&import));
    QVERIFY(import.grab().save(fileName("DlgImportFont")));
    LanguageManager::instance().select(QStringLiteral("Lang\\ChineseSimplified"), QStringLiteral("ChineseSimplified"));
}

QTEST_MAIN(TestBitFontTool)
#include "tst_bitfont_tool.moc"
