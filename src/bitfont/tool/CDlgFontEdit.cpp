#include "bitfont/tool/CDlgFontEdit.h"

#include "bitfont/core/CFreeTypeFont.h"
#include "bitfont/tool/GlyphViews.h"
#include "ui/LayoutLoader.h"
#include "ui/RequiredControls.h"
#include "ui/WindowChrome.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTableView>

using namespace bitfontview;

namespace {

constexpr int indexColumnWidth = 60;

struct EditButton {
    const char *name;
    GlyphEdit edit;
};
constexpr EditButton editButtons[] = {
    { "btn_edit_font_width_inc", GlyphEdit::WidthInc },
    { "btn_edit_font_width_dec", GlyphEdit::WidthDec },
    { "btn_edit_font_height_inc", GlyphEdit::HeightInc },
    { "btn_edit_font_height_dec", GlyphEdit::HeightDec },
    { "btn_edit_font_invert", GlyphEdit::Invert },
    { "btn_edit_font_move_left", GlyphEdit::MoveLeft },
    { "btn_edit_font_move_right", GlyphEdit::MoveRight },
    { "btn_edit_font_move_up", GlyphEdit::MoveUp },
    { "btn_edit_font_move_down", GlyphEdit::MoveDown },
};

} // namespace

CDlgFontEdit::CDlgFontEdit(CFreeTypeFont &font, QWidget *parent)
    : QDialog(parent, Qt::Dialog)
    , m_font(font)
{
    ui::loadLayoutInto(this, QString::fromLatin1(layoutFile));
    ui::installWindowChrome(this, true);
    m_grid = ui::requireControl<QTableView>(this, "grid_font");
    m_undo = ui::requireControl<QPushButton>(this, "btn_edit_font_undo");
    m_redo = ui::requireControl<QPushButton>(this, "btn_edit_font_redo");
    m_valid = ui::requireControl<QCheckBox>(this, "chk_char_valid");
    m_hex = ui::requireControl<QPlainTextEdit>(this, "edit_bitmap_hex");
    m_code = ui::requireControl<QLabel>(this, "label_char_code");
    m_codeHex = ui::requireControl<QLabel>(this, "label_char_code_hex");
    m_width = ui::requireControl<QLabel>(this, "label_char_width");
    m_height = ui::requireControl<QLabel>(this, "label_char_height");
    m_view = ui::requireControl<QLabel>(this, "label_char_view");
    m_field = new PixelCanvas();
    m_field->setObjectName(QStringLiteral("verti_bitfont"));
    m_field->setInteractive(true);
    m_field->setBoxSize(m_zoom);
    auto *scroll = ui::requireControl<QScrollArea>(this, "scroll_bitfont");
    scroll->setStyleSheet(QStringLiteral("QScrollArea { background: #f0f0f0; }"));
    scroll->setWidget(m_field);
    connect(m_field, &PixelCanvas::boxClicked, this, &CDlgFontEdit::togglePixel);

    m_model = new FontGlyphModel(fontGlyphs(font), this);
    setUpGlyphGrid(m_grid, m_model, indexColumnWidth);
    connect(m_grid, &QTableView::clicked, this, &CDlgFontEdit::selectCell);

    connect(ui::requireControl<QPushButton>(this, "btn_edit_font_zoom_in"), &QPushButton::clicked, this,
        [this] { zoomBy(1); });
    connect(ui::requireControl<QPushButton>(this, "btn_edit_font_zoom_out"), &QPushButton::clicked, this,
        [this] { zoomBy(-1); });
    connect(m_undo, &QPushButton::clicked, this, &CDlgFontEdit::undo);
    connect(m_redo, &QPushButton::clicked, this, &CDlgFontEdit::redo);
    for (const EditButton &entry : editButtons) {
        connect(ui::requireControl<QPushButton>(this, entry.name), &QPushButton::clicked, this,
            [this, op = entry.edit] { apply(op); });
    }
    connect(m_valid, &QCheckBox::toggled, this, &CDlgFontEdit::validityChanged);
    showGlyph();
}

CDlgFontEdit::~CDlgFontEdit()
{
    m_grid->setModel(nullptr);
    delete m_model;
}

void CDlgFontEdit::selectCell(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    m_current = m_model->glyphAt(index);
    showGlyph();
}

void CDlgFontEdit::showGlyph()
{
    m_undo->setEnabled(false);
    m_redo->setEnabled(false);
    if (m_current.isNull()) {
        // Nothing to edit: a field left showing would take clicks nobody keeps.
        m_field->clear();
        m_hex->clear();
        for (QLabel *label : { m_code, m_codeHex, m_width, m_height, m_view })
            label->clear();
        const QSignalBlocker quiet(m_valid);
        m_valid->setChecked(false);
        return;
    }
    const int code = m_current.code();
    const GlyphCell cell = m_current.cell();
    m_grid->viewport()->update();

    m_field->reset(cell.width, cell.height, backgroundColour);
    for (int y = 0; y < m_field->rows(); ++y) {
        for (int x = 0; x < m_field->columns(); ++x) {
            if (cell.pixel(x, y))
                m_field->setBox(x, y, inkColour);
        }
    }
    const glyphhistory::State history = glyphhistory::state(m_font, code);
    m_undo->setEnabled(history.canUndo);
    m_redo->setEnabled(history.canRedo);
    m_hex->setPlainText(hexText(cell.bytes, cell.pitch));
    m_code->setText(QString::number(code));
    m_codeHex->setText(QStringLiteral("%1").arg(uint(code) & 0xFFFFu, 4, 16, QLatin1Char('0')).toUpper());
    m_width->setText(QString::number(cell.width));
    m_height->setText(QString::number(cell.height));
    m_view->setText(QString(QChar(char16_t(code))));
    const QSignalBlocker quiet(m_valid);
    m_valid->setChecked(cell.valid);
}

void CDlgFontEdit::zoomBy(int step)
{
    m_zoom = qBound(minZoom, m_zoom + step, maxZoom);
    m_field->setBoxSize(m_zoom);
}

void CDlgFontEdit::apply(GlyphEdit edit)
{
    if (m_current.isNull() || !editGlyph(m_font, m_current, edit))
        return;
    showGlyph();
}

void CDlgFontEdit::undo()
{
    if (m_current.isNull() || !glyphhistory::undo(m_font, m_current))
        return;
    showGlyph();
}

void CDlgFontEdit::redo()
{
    if (m_current.isNull() || !glyphhistory::redo(m_font, m_current))
        return;
    showGlyph();
}

void CDlgFontEdit::validityChanged(bool valid)
{
    if (m_current.isNull())
        return;
    m_current.setValid(valid);
    showGlyph();
}

void CDlgFontEdit::togglePixel(int x, int y)
{
    if (m_current.isNull())
        return;
    const bool on = m_field->box(x, y) != inkColour;
    if (!setGlyphPixel(m_font, m_current, x, y, on))
        return;
    m_field->setBox(x, y, on ? inkColour : backgroundColour);
    m_undo->setEnabled(true);
    m_model->glyphChanged(m_current);
}
