#pragma once

#include "bitfont/core/GlyphRecords.h"
#include "ui/RequiredControls.h"

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
    static constexpr ui::RequiredControl requiredControls[] = {
        { "grid_font", "QTableView" },
        { "scroll_bitfont", "QScrollArea" },
        { "chk_char_valid", "QCheckBox" },
        { "edit_bitmap_hex", "QPlainTextEdit" },
        { "label_char_code", "QLabel" },
        { "label_char_code_hex", "QLabel" },
        { "label_char_width", "QLabel" },
        { "label_char_height", "QLabel" },
        { "label_char_view", "QLabel" },
        { "btn_edit_font_zoom_in", "QPushButton" },
        { "btn_edit_font_zoom_out", "QPushButton" },
        { "btn_edit_font_undo", "QPushButton" },
        { "btn_edit_font_redo", "QPushButton" },
        { "btn_edit_font_width_inc", "QPushButton" },
        { "btn_edit_font_width_dec", "QPushButton" },
        { "btn_edit_font_height_inc", "QPushButton" },
        { "btn_edit_font_height_dec", "QPushButton" },
        { "btn_edit_font_invert", "QPushButton" },
        { "btn_edit_font_move_left", "QPushButton" },
        { "btn_edit_font_move_right", "QPushButton" },
        { "btn_edit_font_move_up", "QPushButton" },
        { "btn_edit_font_move_down", "QPushButton" },
        { "window_header", "QWidget" },
        { "windowclosebtn", "QToolButton" },
    };
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
    QLabel *m_code = nullptr;
    QLabel *m_codeHex = nullptr;
    QLabel *m_width = nullptr;
    QLabel *m_height = nullptr;
    QLabel *m_view = nullptr;
};
