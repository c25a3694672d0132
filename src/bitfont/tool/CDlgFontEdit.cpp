#include "bitfont/tool/CDlgFontEdit.h"

#include "bitfont/core/CFreeTypeFont.h"
#include "bitfont/tool/GlyphViews.h"
#include "ui/LayoutLoader.h"
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

void setLabel(const QWidget *window, const char *name, const QString &text)
{
    if (auto *label = ui::findControl<QLabel>(window, QString::fromLatin1(name)))
        label->setText(text);
}

} // namespace

CDlgFontEdit::CDlgFontEdit(CFreeTypeFont &font, QWidget *parent)
    : QDialog(parent, Qt::Dialog)
    , m_font(font)
{
    ui::loadLayoutInto(this, QString::fromLatin1(layoutFile));
    ui::installWindowChrome(this, true);
    m_grid = ui::findControl<QTableView>(this, QStringLiteral("grid_font"));
    m_undo = button("btn_edit_font_undo");
    m_redo = button("btn_edit_font_redo");
    m_valid = ui::findControl<QCheckBox>(this, QStringLiteral("chk_char_valid"));
    m_hex = ui::findControl<QPlainTextEdit>(this, QStringLiteral("edit_bitmap_hex"));
    m_field = new PixelCanvas();
    m_field->setObjectName(QStringLiteral("verti_bitfont"));
    m_field->setInteractive(true);
    m_field->setBoxSize(m_zoom);
    if (auto *scroll = ui::findControl<QScrollArea>(this, QStringLiteral("scroll_bitfont"))) {
        scroll->setStyleSheet(QStringLiteral("QScrollArea { background: #f0f0f0; }"));
        scroll->setWidget(m_field);
    } else {
        m_field->setParent(this);
    }
    connect(m_field, &PixelCanvas::boxClicked, this, &CDlgFontEdit::togglePixel);

    m_model = new FontGlyphModel(fontGlyphs(font), this);
    setUpGlyphGrid(m_grid, m_model, indexColumnWidth);
    if (m_grid)
        connect(m_grid, &QTableView::clicked, this, &CDlgFontEdit::selectCell);

    if (QPushButton *in = button("btn_edit_font_zoom_in"))
        connect(in, &QPushButton::clicked, this, [this] { zoomBy(1); });
    if (QPushButton *out = button("btn_edit_font_zoom_out"))
        connect(out, &QPushButton::clicked, this, [this] { zoomBy(-1); });
    if (m_undo)
        connect(m_undo, &QPushButton::clicked, this, &CDlgFontEdit::undo);
    if (m_redo)
        connect(m_redo, &QPushButton::clicked, this, &CDlgFontEdit::redo);
    for (const EditButton &entry : editButtons) {
        if (QPushButton *edit = button(entry.name))
            connect(edit, &QPushButton::clicked, this, [this, op = entry.edit] { apply(op); });
    }
    if (m_valid)
        connect(m_valid, &QCheckBox::toggled, this, &CDlgFontEdit::validityChanged);
    showGlyph();
}

CDlgFontEdit::~CDlgFontEdit()
{
    if (m_grid)
        m_grid->setModel(nullptr);
    delete m_model;
}

QPushButton *CDlgFontEdit::button(const char *name) const
{
    return ui::findControl<QPushButton>(this, QString::fromLatin1(name));
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
    if (m_undo)
        m_undo->setEnabled(false);
    if (m_redo)
        m_redo->setEnabled(false);
    if (m_current.isNull()) {
        // Nothing to edit: a field left showing would take clicks nobody keeps.
        m_field->clear();
        if (m_hex)
            m_hex->clear();
        for (const char *name :
            { "label_char_code", "label_char_code_hex", "label_char_width", "label_char_height", "label_char_view" })
            setLabel(this, name, QString());
        if (m_valid) {
            const QSignalBlocker quiet(m_valid);
            m_valid->setChecked(false);
        }
        return;
    }
    const int code = m_current.code();
    const GlyphCell cell = m_current.cell();
    if (m_grid)
        m_grid->viewport()->update();

    m_field->reset(cell.width, cell.height, backgroundColour);
    for (int y = 0; y < m_field->rows(); ++y) {
        for (int x = 0; x < m_field->columns(); ++x) {
            if (cell.pixel(x, y))
                m_field->setBox(x, y, inkColour);
        }
    }
    const glyphhistory::State history = glyphhistory::state(m_font, code);
    if (m_undo)
        m_undo->setEnabled(history.canUndo);
    if (m_redo)
        m_redo->setEnabled(history.canRedo);
    if (m_hex)
        m_hex->setPlainText(hexText(cell.bytes, cell.pitch));
    setLabel(this, "label_char_code", QString::number(code));
    setLabel(
        this, "label_char_code_hex", QStringLiteral("%1").arg(uint(code) & 0xFFFFu, 4, 16, QLatin1Char('0')).toUpper());
    setLabel(this, "label_char_width", QString::number(cell.width));
    setLabel(this, "label_char_height", QString::number(cell.height));
    setLabel(this, "label_char_view", QString(QChar(char16_t(code))));
    if (m_valid) {
        const QSignalBlocker quiet(m_valid);
        m_valid->setChecked(cell.valid);
    }
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
    if (m_undo)
        m_undo->setEnabled(true);
    m_model->glyphChanged(m_current);
}
