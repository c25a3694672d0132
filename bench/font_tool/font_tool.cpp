// Times the windows of the bitmap font tool on one font rendered at one size
// (all 65536 codes): opening the glyph editor, opening the BCF viewer on the
// full BCF, a pixel click on a 256 x 256 glyph until it is repainted, and
// scrolling the editor's grid from top to bottom step by step.
// Run offscreen: QT_QPA_PLATFORM=offscreen build/bench/font_tool/font_tool <font> <px>

#include "bitfont/core/BcfBuilder.h"
#include "bitfont/core/CFreeTypeFont.h"
#include "bitfont/core/GlyphRecords.h"
#include "bitfont/core/OutlineRasterizer.h"
#include "bitfont/tool/CDlgFontEdit.h"
#include "bitfont/tool/CDlgViewFontBcf2.h"
#include "bitfont/tool/GlyphViews.h"
#include "jobs/JobContext.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double milliseconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void settle()
{
    QApplication::processEvents();
    QApplication::processEvents();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: font_tool <font file> <pixel size>\n");
        return 2;
    }
    CFreeTypeFont font;
    font.ttfPath = QString::fromLocal8Bit(argv[1]);
    font.pixelWidth = font.pixelHeight = std::atoi(argv[2]);
    jobs::JobContext progress;
    if (!renderOutlineFont(font, progress)) {
        std::fprintf(stderr, "cannot render %s\n", argv[1]);
        return 1;
    }
    const QList<GlyphRef> glyphs = fontGlyphs(font);
    std::printf("%lld glyphs at %d px\n", qlonglong(glyphs.size()), font.pixelWidth);

    // Opening the editor: model, grid and the first paint.
    QElapsedTimer timer;
    timer.start();
    auto *editor = new CDlgFontEdit(font);
    editor->show();
    settle();
    std::printf("open the editor:              %8.1f ms  (target < 500)\n", milliseconds(timer));

    // Scrolling the grid from top to bottom, one page per step, each step painted.
    QTableView *grid = editor->grid();
    QScrollBar *bar = grid->verticalScrollBar();
    std::vector<double> steps;
    for (int value = 0; value <= bar->maximum(); value += bar->pageStep()) {
        timer.restart();
        bar->setValue(value);
        grid->viewport()->repaint();
        steps.push_back(milliseconds(timer));
    }
    std::sort(steps.begin(), steps.end());
    if (!steps.empty()) {
        std::printf("scroll the grid (%zu steps):  median %5.2f ms, worst %5.2f ms  (target < 16 per step)\n",
            steps.size(), steps[steps.size() / 2], steps.back());
    }

    // A pixel click on a 256 x 256 glyph, repainted.
    const GlyphRef big = glyphs.value(0x4E00);
    big.writeCell(QByteArray(256 * 32, '\x55'), 256, 256, 32);
    editor->selectCell(editor->model()->indexOf(big));
    editor->zoomBy(-100);
    editor->zoomBy(2); // 3-pixel boxes: the whole field is visible
    settle();
    bitfontview::PixelCanvas *field = editor->pixelField();
    std::vector<double> clicks;
    int changed = 0;
    for (int i = 0; i < 20; ++i) {
        // Boxes in the visible corner of the field, so that the repaint paints.
        const QRgb before = field->box(10 + i, 10);
        timer.restart();
        editor->togglePixel(10 + i, 10);
        field->repaint(field->boxRect(10 + i, 10));
        grid->viewport()->repaint(grid->visualRect(editor->model()->indexOf(big)));
        clicks.push_back(milliseconds(timer));
        changed += field->box(10 + i, 10) != before;
    }
    std::sort(clicks.begin(), clicks.end());
    std::printf("pixel click on 256 x 256:     median %5.2f ms, worst %5.2f ms  (target < 50), %d of 20 changed\n",
        clicks[clicks.size() / 2], clicks.back(), changed);
    timer.restart();
    editor->showGlyph();
    field->repaint();
    std::printf("show a 256 x 256 glyph whole: %8.1f ms\n", milliseconds(timer));
    delete editor;

    // The viewer on the full BCF (the build itself runs on the font worker).
    timer.restart();
    auto document = std::make_shared<pugi::xml_document>();
    buildBcfDocument(font, *document, 5);
    std::printf("build the BCF (worker):       %8.1f ms\n", milliseconds(timer));
    timer.restart();
    auto *viewer = new CDlgViewFontBcf2(document);
    viewer->show();
    settle();
    std::printf("open the viewer on the BCF:   %8.1f ms  (target < 500), %d rows\n", milliseconds(timer),
        viewer->model()->rowCount());
    delete viewer;
    return 0;
}
