#pragma once

#include "bitfont/core/GlyphRecords.h"

#include <QDialog>

class CFreeTypeFont;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace bitfontview {
class FontGlyphModel;
class PixelCanvas;
} // namespace bitfontview

// The glyph editor: every glyph of the font in a grid of cells; the chosen
// glyph enlarged as a field of pixels, its numbers, validity and bytes; the
// nine whole-bitmap operations, undo and redo. Changes go into the font
// document at once, the history into the font's history document.
class CDlgFontEdit : public QDialog
{
    Q_OBJECT
public:
    static constexpr char layoutFile[] = "DlgFontEdit.ui";
    static constexpr int minZoom = 1;
    static constexpr int maxZoom = 20;
    static constexpr int initialZoom = 10;
    static constexpr QRgb inkColour = 0xFF000000;
    static constexpr QRgb backgroundColour = 0xFFFFFFFF;

    explicit CDlgFontEdit(CFreeTypeFont &font, QWidget *parent = nullptr);
    ~CDlgFontEdit() override;

    GlyphRef currentGlyph() const { return m_current; }
    int zoom() const { return m_zoom; }
    QTableView *grid() const { return m_grid; }
    bitfontview::FontGlyphModel *model() const { return m_model; }
    bitfontview::PixelCanvas *pixelField() const { return m_field; }

    // A click on a cell of the grid: its glyph (none for column 0 or an
    // empty cell) becomes current.
    void selectCell(const QModelIndex &index);
    void showGlyph();
    void zoomBy(int step);
    void apply(GlyphEdit edit);
    void undo();
    void redo();
    void validityChanged(bool valid);
    // A click on pixel (x, y) of the field.
    void togglePixel(int x, int y);

private:
    QPushButton *button(const char *name) const;

    CFreeTypeFont &m_font;
    GlyphRef m_current;
    int m_zoom = initialZoom;
    QTableView *m_grid = nullptr;
    bitfontview::FontGlyphModel *m_model = nullptr;
    bitfontview::PixelCanvas *m_field = nullptr;
    QPushButton *m_undo = nullptr;
    QPushButton *m_redo = nullptr;
    QCheckBox *m_valid = nullptr;
    QPlainTextEdit *m_hex = nullptr;
};
