#pragma once

#include "bitfont/core/GlyphRecords.h"
#include "ui/RequiredControls.h"

#include <QDialog>

#include <memory>

class QPlainTextEdit;
class QTableView;

namespace bitfontview {
class BcfGlyphModel;
class PixelCanvas;
} // namespace bitfontview

// Shows a font as it will be exported: the ranges of a BCF document, 16
// glyphs to a row, and for a chosen glyph its "BitFont2" record as text and
// as a picture of the trimmed bitmap in its advance box. Changes nothing.
class CDlgViewFontBcf2 : public QDialog
{
    Q_OBJECT
public:
    static constexpr char layoutFile[] = "DlgViewFontBcf2.ui";
    static constexpr ui::RequiredControl requiredControls[] = {
        { "label_project_name", "QLabel" },
        { "grid_font", "QTableView" },
        { "edit_font_xml", "QPlainTextEdit" },
        { "scroll_bitfont", "QScrollArea" },
        { "window_header", "QWidget" },
        { "windowclosebtn", "QToolButton" },
    };
    static constexpr int boxSide = 10;
    static constexpr QRgb advanceColour = 0xFFC8C8C8;

    // Takes the document over; the grid refers into it.
    CDlgViewFontBcf2(std::shared_ptr<pugi::xml_document> document, QWidget *parent = nullptr);
    ~CDlgViewFontBcf2() override;

    QTableView *grid() const { return m_grid; }
    bitfontview::BcfGlyphModel *model() const { return m_model; }
    bitfontview::PixelCanvas *picture() const { return m_picture; }
    // A click on a cell of the grid.
    void selectCell(const QModelIndex &index);
    // The picture's size and the bitmap's offset in it for a record.
    struct Placement {
        qint64 columns = 0;
        qint64 rows = 0;
        int columnOffset = 0;
        int rowOffset = 0;
    };
    static Placement placementOf(const Bcf2Record &record);

private:
    std::shared_ptr<pugi::xml_document> m_document;
    QTableView *m_grid = nullptr;
    bitfontview::BcfGlyphModel *m_model = nullptr;
    QPlainTextEdit *m_xml = nullptr;
    bitfontview::PixelCanvas *m_picture = nullptr;
};
