#pragma once

#include "bitfont/core/GlyphRecords.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QWidget>

#include <vector>

class QTableView;

namespace bitfontview {

constexpr int glyphColumns = 16;
constexpr int cellWidth = 60;
constexpr int cellHeight = 50;

// A grid of glyph cells: column 0 names the row, columns 1 to 16 hold
// glyphs. The header row reads "00" to "0F".
class GlyphTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The glyph of a cell; null for column 0 and empty cells.
    virtual GlyphRef glyphAt(const QModelIndex &index) const = 0;
};

// The editor's grid: the font's glyphs in document order, 16 to a row, each
// row headed by the index of its first glyph as "%06X".
class FontGlyphModel final : public GlyphTableModel
{
    Q_OBJECT
public:
    explicit FontGlyphModel(QList<GlyphRef> glyphs, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    GlyphRef glyphAt(const QModelIndex &index) const override;
    // The cell of a glyph of the list; invalid when it is not there.
    QModelIndex indexOf(GlyphRef glyph) const;
    // The glyph's record changed: repaint its cell.
    void glyphChanged(GlyphRef glyph);

private:
    QList<GlyphRef> m_glyphs;
    QHash<const void *, int> m_positions;
};

// The viewer's grid: the ranges of a BCF document, each starting a new row,
// column 0 naming the range "%05u-%05u" over all its rows.
class BcfGlyphModel final : public GlyphTableModel
{
    Q_OBJECT
public:
    explicit BcfGlyphModel(QList<BcfRange> ranges, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    GlyphRef glyphAt(const QModelIndex &index) const override;

    struct RangeRows {
        int firstRow = 0;
        int rowCount = 0;
    };
    // Where each range sits, for the spans of column 0.
    QList<RangeRows> rangeRows() const;

private:
    struct Row {
        int range = 0;
        int firstGlyph = 0;
    };
    QList<BcfRange> m_ranges;
    std::vector<Row> m_rows;
};

// Paints glyph cells: the "BitFont" cell bitmap at one screen pixel per
// glyph pixel, centred; a red cross a third of the cell's size for a glyph
// that is not valid; light grey without a glyph. The record is read at
// every paint.
class GlyphCellPainter
{
public:
    void paint(QPainter *painter, const QRect &rect, GlyphRef glyph);
    // The crosses made so far, by size.
    QList<QSize> crossSizes() const;

private:
    QHash<quint64, QPixmap> m_crosses;
};

class GlyphCellDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    mutable GlyphCellPainter m_cells;
};

// Sets up a view for a glyph grid: fixed 60 x 50 cells, first column width.
void setUpGlyphGrid(QTableView *view, GlyphTableModel *model, int firstColumnWidth);
// Column 0 of the viewer merged over each range's rows.
void applyRangeSpans(QTableView *view, const BcfGlyphModel &model);

// One painted field of pixel boxes (instead of a control per pixel): boxes of
// a side of boxSize with a gap of one pixel, each with a colour. A click on
// a box reports its column and row; only that box is repainted after a
// change.
class PixelCanvas final : public QWidget
{
    Q_OBJECT
public:
    // More boxes than this per side are not shown: a damaged record must not
    // make the field allocate gigabytes.
    static constexpr int maxSide = 2048;
    static constexpr QRgb fieldColour = 0xFFF0F0F0;

    explicit PixelCanvas(QWidget *parent = nullptr);

    // columns x rows boxes of colour fill (each side capped at maxSide).
    void reset(qint64 columns, qint64 rows, QRgb fill);
    void clear() { reset(0, 0, fieldColour); }
    int columns() const { return m_columns; }
    int rows() const { return m_rows; }
    QRgb box(int column, int row) const;
    void setBox(int column, int row, QRgb colour);
    int boxSize() const { return m_boxSize; }
    void setBoxSize(int side);
    void setInteractive(bool interactive) { m_interactive = interactive; }
    QRect boxRect(int column, int row) const;
    QSize sizeHint() const override;

Q_SIGNALS:
    void boxClicked(int column, int row);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    int m_columns = 0;
    int m_rows = 0;
    int m_boxSize = 10;
    bool m_interactive = false;
    std::vector<QRgb> m_boxes;
};

} // namespace bitfontview
