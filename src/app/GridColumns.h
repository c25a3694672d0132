#pragma once

#include <QList>
#include <QString>

class QTableWidget;

namespace grids {

// A grid column: its width (0 stretches) and the pack id of its heading
// (0: no heading). Check-box columns show a row's tick and are not edited.
struct GridColumn {
    int width;
    int textId;
    bool checkBox = false;
};

// Sets widths and headings, the headings from the window's language pack
// (falling back to the layout's), and makes the grid a one-row chooser.
void setUpGrid(QTableWidget *grid, const QString &layoutFile, const QList<GridColumn> &columns);

// Appends a row of texts; check-box columns take "1" for ticked.
int appendRow(QTableWidget *grid, const QList<GridColumn> &columns, const QStringList &values);
// Shows new texts in a row; column 0, the selection tick, stays as it is.
void updateRow(QTableWidget *grid, int row, const QList<GridColumn> &columns, const QStringList &values);

// The selected row, or -1. Check-box column 0 follows the selection.
int selectedRow(const QTableWidget *grid);
void markSelection(QTableWidget *grid);
QString cellText(const QTableWidget *grid, int row, int column);
bool cellTicked(const QTableWidget *grid, int row, int column);

} // namespace grids
