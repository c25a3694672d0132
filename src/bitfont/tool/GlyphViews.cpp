#include "bitfont/tool/GlyphViews.h"

#include "ui/SkinImage.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>

namespace bitfontview {

namespace {

constexpr QRgb emptyCellColour = 0xFFF0F0F0;
constexpr QRgb crossColour = 0xFFFF0000;
const QString crossImage = QStringLiteral("images\\common\\windowclosebtn.svg");

// The centring of the cells: integer halves of the outer and inner sizes.
QRect centred(const QRect &outer, int width, int height)
{
    const int right = outer.left() + outer.width();
    const int bottom = outer.top() + outer.height();
    const int x = (outer.left() + right) / 2 - width / 2;
    const int y = (outer.top() + bottom) / 2 - height / 2;
    return QRect(x, y, width, height);
}

// The part of a W x H cell bitmap that falls into the rectangle, as a 1-bit
// image (set bit black).
QImage visibleImage(const GlyphCell &cell, const QRect &place, const QRect &clip, QPoint *origin)
{
    const QRect visible = place.intersected(clip);
    if (visible.isEmpty())
        return {};
    const int left = visible.left() - place.left();
    const int top = visible.top() - place.top();
    // Straight into the painter's own format: a 1-bit image would be
    // converted at every draw.
    QImage image(visible.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < visible.height(); ++y) {
        const int row = top + y;
        const qint64 rowStart = qint64(row) * cell.pitch;
        if (rowStart >= cell.bytes.size())
            break;
        const uchar *bits = reinterpret_cast<const uchar *>(cell.bytes.constData()) + rowStart;
        const qint64 rowBytes = qMin<qint64>(cell.pitch, cell.bytes.size() - rowStart);
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < visible.width(); ++x) {
            const int column = left + x;
            if (column / 8 < rowBytes && (bits[column / 8] & (0x80u >> (column % 8))))
                line[x] = 0xFF000000u;
        }
    }
    *origin = visible.topLeft();
    return image;
}

} // namespace

int GlyphTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : glyphColumns + 1;
}

QVariant GlyphTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    if (section == 0)
        return QString();
    return QStringLiteral("%1").arg(section - 1, 2, 16, QLatin1Char('0')).toUpper();
}

Qt::ItemFlags GlyphTableModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

FontGlyphModel::FontGlyphModel(QList<GlyphRef> glyphs, QObject *parent)
    : GlyphTableModel(parent)
    , m_glyphs(std::move(glyphs))
{
    m_positions.reserve(m_glyphs.size());
    for (int i = 0; i < m_glyphs.size(); ++i)
        m_positions.insert(m_glyphs[i].element().internal_object(), i);
}

int FontGlyphModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int((m_glyphs.size() + glyphColumns - 1) / glyphColumns);
}

QVariant FontGlyphModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::DisplayRole && index.column() == 0)
        return QStringLiteral("%1").arg(index.row() * glyphColumns, 6, 16, QLatin1Char('0')).toUpper();
    return {};
}

GlyphRef FontGlyphModel::glyphAt(const QModelIndex &index) const
{
    if (!index.isValid() || index.column() < 1)
        return {};
    const qsizetype at = qsizetype(index.row()) * glyphColumns + index.column() - 1;
    return at < m_glyphs.size() ? m_glyphs[at] : GlyphRef();
}

QModelIndex FontGlyphModel::indexOf(GlyphRef glyph) const
{
    const auto found = m_positions.constFind(glyph.element().internal_object());
    if (glyph.isNull() || found == m_positions.constEnd())
        return {};
    return index(*found / glyphColumns, *found % glyphColumns + 1);
}

void FontGlyphModel::glyphChanged(GlyphRef glyph)
{
    const QModelIndex cell = indexOf(glyph);
    if (cell.isValid())
        Q_EMIT dataChanged(cell, cell);
}

BcfGlyphModel::BcfGlyphModel(QList<BcfRange> ranges, QObject *parent)
    : GlyphTableModel(parent)
    , m_ranges(std::move(ranges))
{
    for (int range = 0; range < m_ranges.size(); ++range) {
        const qsizetype glyphs = m_ranges[range].glyphs.size();
        for (qsizetype first = 0; first < glyphs; first += glyphColumns)
            m_rows.push_back({ range, int(first) });
    }
}

int BcfGlyphModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant BcfGlyphModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || index.column() != 0 || size_t(index.row()) >= m_rows.size())
        return {};
    const BcfRange &range = m_ranges[m_rows[size_t(index.row())].range];
    return QStringLiteral("%1-%2")
        .arg(range.firstCode, 5, 10, QLatin1Char('0'))
        .arg(range.lastCode, 5, 10, QLatin1Char('0'));
}

GlyphRef BcfGlyphModel::glyphAt(const QModelIndex &index) const
{
    if (!index.isValid() || index.column() < 1 || size_t(index.row()) >= m_rows.size())
        return {};
    const Row &row = m_rows[size_t(index.row())];
    const QList<GlyphRef> &glyphs = m_ranges[row.range].glyphs;
    const qsizetype at = qsizetype(row.firstGlyph) + index.column() - 1;
    return at < glyphs.size() ? glyphs[at] : GlyphRef();
}

QList<BcfGlyphModel::RangeRows> BcfGlyphModel::rangeRows() const
{
    QList<RangeRows> result;
    for (size_t row = 0; row < m_rows.size(); ++row) {
        if (row == 0 || m_rows[row].range != m_rows[row - 1].range)
            result.append({ int(row), 0 });
        ++result.last().rowCount;
    }
    return result;
}

void GlyphCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *model = qobject_cast<const GlyphTableModel *>(index.model());
    if (!model || index.column() == 0) {
        // A range's label spans thousands of rows in a CJK font: it goes into
        // the visible part of its cell.
        QStyleOptionViewItem visible = option;
        if (const auto *view = qobject_cast<const QAbstractItemView *>(parent()))
            visible.rect = option.rect.intersected(view->viewport()->rect());
        QStyledItemDelegate::paint(painter, visible, index);
        return;
    }
    m_cells.paint(painter, option.rect, model->glyphAt(index));
    if (option.state & QStyle::State_Selected) {
        painter->save();
        painter->setPen(QPen(option.palette.highlight().color(), 2));
        painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
        painter->restore();
    }
}

void GlyphCellPainter::paint(QPainter *painter, const QRect &rect, GlyphRef glyph)
{
    if (glyph.isNull()) {
        painter->fillRect(rect, QColor::fromRgba(emptyCellColour));
        return;
    }
    painter->fillRect(rect, Qt::white);
    const GlyphCell cell = glyph.cell();
    if (!cell.valid) {
        const QRect place = centred(rect, rect.width() / 3, rect.height() / 3);
        const quint64 crossKey = (quint64(place.width()) << 32) | quint64(place.height());
        auto found = m_crosses.find(crossKey);
        if (found == m_crosses.end()) {
            QPixmap cross = ui::skinPixmap(crossImage, place.size());
            if (!cross.isNull()) {
                QPainter tint(&cross);
                tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
                tint.fillRect(cross.rect(), QColor::fromRgba(crossColour));
            }
            found = m_crosses.insert(crossKey, cross);
        }
        painter->drawPixmap(place.topLeft(), *found);
        return;
    }
    if (cell.width <= 0 || cell.height <= 0)
        return;
    QPoint origin;
    const QImage image = visibleImage(cell, centred(rect, cell.width, cell.height), rect, &origin);
    if (!image.isNull())
        painter->drawImage(origin, image);
}

QList<QSize> GlyphCellPainter::crossSizes() const
{
    QList<QSize> sizes;
    for (const QPixmap &cross : m_crosses)
        sizes.append(cross.size());
    return sizes;
}

void setUpGlyphGrid(QTableView *view, GlyphTableModel *model, int firstColumnWidth)
{
    if (!view)
        return;
    view->setModel(model);
    view->setItemDelegate(new GlyphCellDelegate(view));
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectItems);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(cellHeight);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->horizontalHeader()->setDefaultSectionSize(cellWidth);
    view->setColumnWidth(0, firstColumnWidth);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void applyRangeSpans(QTableView *view, const BcfGlyphModel &model)
{
    if (!view)
        return;
    view->clearSpans();
    for (const BcfGlyphModel::RangeRows &range : model.rangeRows()) {
        if (range.rowCount > 1)
            view->setSpan(range.firstRow, 0, range.rowCount, 1);
    }
    // A scroll moves the painted label with the rows; it is drawn afresh instead.
    QObject::connect(view->verticalScrollBar(), &QScrollBar::valueChanged, view,
        [view] { view->viewport()->update(QRect(0, 0, view->columnWidth(0), view->viewport()->height())); });
}

PixelCanvas::PixelCanvas(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(sizeHint());
}

void PixelCanvas::reset(qint64 columns, qint64 rows, QRgb fill)
{
    m_columns = int(qBound(qint64(0), columns, qint64(maxSide)));
    m_rows = int(qBound(qint64(0), rows, qint64(maxSide)));
    if (m_columns == 0 || m_rows == 0)
        m_columns = m_rows = 0;
    m_boxes.assign(size_t(m_columns) * size_t(m_rows), fill);
    resize(sizeHint());
    update();
}

QRgb PixelCanvas::box(int column, int row) const
{
    if (column < 0 || row < 0 || column >= m_columns || row >= m_rows)
        return fieldColour;
    return m_boxes[size_t(row) * size_t(m_columns) + size_t(column)];
}

void PixelCanvas::setBox(int column, int row, QRgb colour)
{
    if (column < 0 || row < 0 || column >= m_columns || row >= m_rows)
        return;
    QRgb &stored = m_boxes[size_t(row) * size_t(m_columns) + size_t(column)];
    if (stored == colour)
        return;
    stored = colour;
    update(boxRect(column, row));
}

void PixelCanvas::setBoxSize(int side)
{
    m_boxSize = qMax(1, side);
    resize(sizeHint());
    update();
}

QRect PixelCanvas::boxRect(int column, int row) const
{
    const int step = m_boxSize + 1;
    return QRect(column * step, row * step, m_boxSize, m_boxSize);
}

QSize PixelCanvas::sizeHint() const
{
    const int step = m_boxSize + 1;
    return QSize(qMax(1, m_columns * step - 1), qMax(1, m_rows * step - 1));
}

void PixelCanvas::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, QColor::fromRgba(fieldColour));
    if (m_columns == 0)
        return;
    const int step = m_boxSize + 1;
    const int firstColumn = qMax(0, area.left() / step);
    const int lastColumn = qMin(m_columns - 1, area.right() / step);
    const int firstRow = qMax(0, area.top() / step);
    const int lastRow = qMin(m_rows - 1, area.bottom() / step);
    for (int row = firstRow; row <= lastRow; ++row) {
        const QRgb *line = m_boxes.data() + size_t(row) * size_t(m_columns);
        for (int column = firstColumn; column <= lastColumn; ++column)
            painter.fillRect(column * step, row * step, m_boxSize, m_boxSize, QColor::fromRgba(line[column]));
    }
}

void PixelCanvas::mousePressEvent(QMouseEvent *event)
{
    if (!m_interactive || event->button() != Qt::LeftButton)
        return;
    const int step = m_boxSize + 1;
    const QPoint at = event->position().toPoint();
    if (at.x() < 0 || at.y() < 0)
        return;
    const int column = at.x() / step;
    const int row = at.y() / step;
    // The gap between boxes belongs to no box.
    if (column < m_columns && row < m_rows && at.x() % step < m_boxSize && at.y() % step < m_boxSize)
        Q_EMIT boxClicked(column, row);
}

} // namespace bitfontview
