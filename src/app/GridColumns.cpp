#include "app/GridColumns.h"

#include "app/LanguageManager.h"

#include <QHeaderView>
#include <QTableWidget>

#include <algorithm>

namespace grids {

void setUpGrid(QTableWidget *grid, const QString &layoutFile, const QList<GridColumn> &columns)
{
    if (!grid)
        return;
    const WindowPack pack = LanguageManager::instance().openWindowPack(layoutFile);
    grid->setColumnCount(int(columns.size()));
    grid->verticalHeader()->hide();
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QHeaderView *header = grid->horizontalHeader();
    for (int column = 0; column < columns.size(); ++column) {
        const GridColumn &wanted = columns[column];
        QTableWidgetItem *heading = grid->horizontalHeaderItem(column);
        if (!heading) {
            heading = new QTableWidgetItem;
            grid->setHorizontalHeaderItem(column, heading);
        }
        const QString text = pack.texts.value(wanted.textId);
        if (wanted.textId == 0)
            heading->setText(QString());
        else if (!text.isEmpty())
            heading->setText(text);
        if (wanted.width > 0) {
            header->setSectionResizeMode(column, QHeaderView::Interactive);
            // A longer heading (Russian "Область памяти") widens its column rather than being cut.
            grid->setColumnWidth(column, std::max(wanted.width, header->sectionSizeHint(column)));
        }
    }
    header->setStretchLastSection(true);
}

namespace {

void showValue(QTableWidgetItem *item, const GridColumn &column, const QString &value)
{
    if (column.checkBox)
        item->setCheckState(value == QLatin1String("1") ? Qt::Checked : Qt::Unchecked);
    else
        item->setText(value);
}

} // namespace

int appendRow(QTableWidget *grid, const QList<GridColumn> &columns, const QStringList &values)
{
    const int row = grid->rowCount();
    grid->insertRow(row);
    for (int column = 0; column < columns.size(); ++column) {
        auto *item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        showValue(item, columns[column], values.value(column));
        grid->setItem(row, column, item);
    }
    return row;
}

void updateRow(QTableWidget *grid, int row, const QList<GridColumn> &columns, const QStringList &values)
{
    for (int column = 1; column < columns.size(); ++column) {
        if (QTableWidgetItem *item = grid->item(row, column))
            showValue(item, columns[column], values.value(column));
    }
}

int selectedRow(const QTableWidget *grid)
{
    const QList<QTableWidgetSelectionRange> ranges = grid->selectedRanges();
    return ranges.isEmpty() ? -1 : ranges.first().topRow();
}

void markSelection(QTableWidget *grid)
{
    const int selected = selectedRow(grid);
    for (int row = 0; row < grid->rowCount(); ++row) {
        if (QTableWidgetItem *tick = grid->item(row, 0))
            tick->setCheckState(row == selected ? Qt::Checked : Qt::Unchecked);
    }
}

QString cellText(const QTableWidget *grid, int row, int column)
{
    const QTableWidgetItem *item = grid->item(row, column);
    return item ? item->text() : QString();
}

bool cellTicked(const QTableWidget *grid, int row, int column)
{
    const QTableWidgetItem *item = grid->item(row, column);
    return item && item->checkState() == Qt::Checked;
}

} // namespace grids
