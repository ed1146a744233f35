// A grid of text cells with a fixed header row.
#include "widgets/stringgrid.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>

namespace quorvane {

void ShapeGrid(QTableView* grid) {
  grid->verticalHeader()->hide();
  grid->verticalHeader()->setDefaultSectionSize(18);
  grid->verticalHeader()->setMinimumSectionSize(18);
  grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  grid->horizontalHeader()->setHighlightSections(false);
  grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setTabKeyNavigation(false);
  grid->setWordWrap(false);
  if (QWidget* form = grid->window(); form != grid) {
    grid->setAccessibleName(form->windowTitle());
    form->installEventFilter(grid);
  }
}

bool NameAfterFormCaption(QTableView* grid, QObject* watched, QEvent* event) {
  if (watched != grid->window() || event->type() != QEvent::WindowTitleChange) return false;
  grid->setAccessibleName(grid->window()->windowTitle());
  return true;
}

TStringGrid::TStringGrid(QWidget* parent, const QString& name, const QRect& rect, int columns, int rows)
    : TControl<QTableWidget>(rows - 1, columns, parent) {
  PlaceControl(this, name, rect);
  ShapeGrid(this);
  for (int c = 0; c < columns; ++c) setHorizontalHeaderItem(c, new QTableWidgetItem);
  for (int r = 0; r < rows - 1; ++r)
    for (int c = 0; c < columns; ++c) setItem(r, c, new QTableWidgetItem);
  if (rows > 1) setCurrentCell(0, 0);
}

bool TStringGrid::eventFilter(QObject* watched, QEvent* event) {
  NameAfterFormCaption(this, watched, event);
  return QTableWidget::eventFilter(watched, event);
}

QString TStringGrid::cell(int column, int row) const {
  const QTableWidgetItem* it = row == 0 ? horizontalHeaderItem(column) : item(row - 1, column);
  return it ? it->text() : QString();
}

void TStringGrid::setCell(int column, int row, const QString& text) {
  QTableWidgetItem* it = row == 0 ? horizontalHeaderItem(column) : item(row - 1, column);
  if (it) it->setText(text);
}

void TStringGrid::setColumnWidths(std::initializer_list<int> widths) {
  int column = 0;
  for (const int width : widths) setColumnWidth(column++, width);
}

void TStringGrid::setDataRowCount(int rows) {
  const int old = rowCount();
  setRowCount(rows);
  for (int r = old; r < rows; ++r)
    for (int c = 0; c < columnCount(); ++c) setItem(r, c, new QTableWidgetItem);
  if (old == 0 && rows > 0) setCurrentCell(0, 0);
}

int TStringGrid::currentDataRow() const { return currentRow() < 0 ? 1 : currentRow() + 1; }

}  // namespace quorvane
