#include "bitfont/tool/CDlgViewFontBcf2.h"

#include "bitfont/tool/GlyphViews.h"
#include "ui/LayoutLoader.h"
#include "ui/RequiredControls.h"
#include "ui/WindowChrome.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTableView>

using namespace bitfontview;

namespace {

constexpr int rangeColumnWidth = 120;
constexpr QRgb white = 0xFFFFFFFF;
constexpr QRgb ink = 0xFF000000;

} // namespace

CDlgViewFontBcf2::CDlgViewFontBcf2(std::shared_ptr<pugi::xml_document> document, QWidget *parent)
    : QDialog(parent, Qt::Dialog)
    , m_document(std::move(document))
{
    ui::loadLayoutInto(this, QString::fromLatin1(layoutFile));
    ui::installWindowChrome(this, true);
    ui::requireControl<QLabel>(this, "label_project_name")->clear();
    m_grid = ui::requireControl<QTableView>(this, "grid_font");
    m_xml = ui::requireControl<QPlainTextEdit>(this, "edit_font_xml");
    m_xml->setTabStopDistance(m_xml->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 4);
    m_picture = new PixelCanvas();
    m_picture->setObjectName(QStringLiteral("verti_bitfont"));
    m_picture->setBoxSize(boxSide);
    auto *scroll = ui::requireControl<QScrollArea>(this, "scroll_bitfont");
    scroll->setBackgroundRole(QPalette::Window);
    scroll->setStyleSheet(QStringLiteral("QScrollArea { background: #f0f0f0; }"));
    scroll->setWidget(m_picture);
    if (!m_document)
        m_document = std::make_shared<pugi::xml_document>();
    m_model = new BcfGlyphModel(bcfRanges(*m_document), this);
    setUpGlyphGrid(m_grid, m_model, rangeColumnWidth);
    applyRangeSpans(m_grid, *m_model);
    connect(m_grid, &QTableView::clicked, this, &CDlgViewFontBcf2::selectCell);
}

CDlgViewFontBcf2::~CDlgViewFontBcf2()
{
    // The grid refers into the document: it goes first.
    m_grid->setModel(nullptr);
    delete m_model;
}

CDlgViewFontBcf2::Placement CDlgViewFontBcf2::placementOf(const Bcf2Record &record)
{
    Placement place;
    place.columns = record.advanceX;
    place.rows = record.advanceY;
    place.columnOffset = record.left;
    place.rowOffset = record.top;
    if (record.left < 0) {
        place.columns = -qint64(record.left) + record.advanceX;
        place.columnOffset = 0;
    }
    if (record.top < 0) {
        place.rows = qint64(record.advanceY) - qint64(record.top);
        place.rowOffset = 0;
    }
    return place;
}

void CDlgViewFontBcf2::selectCell(const QModelIndex &index)
{
    const GlyphRef glyph = m_model->glyphAt(index);
    m_xml->setPlainText(bcf2XmlText(glyph));
    m_picture->clear();
    const Bcf2Record record = bcf2Of(glyph);
    if (!record.valid)
        return;
    const Placement place = placementOf(record);
    m_picture->reset(place.columns, place.rows, advanceColour);
    const GlyphBitmap &bitmap = record.bitmap;
    const int width = qMin(bitmap.width(), m_picture->columns());
    const int height = qMin(bitmap.height(), m_picture->rows());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            m_picture->setBox(x + place.columnOffset, y + place.rowOffset, bitmap.getPixel(x, y) ? ink : white);
    }
}
