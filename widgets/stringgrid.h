// A grid of text cells with a fixed header row.
#pragma once

#include <QTableWidget>
#include <initializer_list>
#include "widgets/control.h"

namespace quorvane {

// The look every grid of the program shares: rows of 18 pixels, no row numbers, headers aligned left, whole
// rows selected one at a time, nothing editable, no word wrap; named for screen readers after its form's
// caption, which `grid` then follows through an event filter on the form (see NameAfterFormCaption).
void ShapeGrid(QTableView* grid);
// From a grid's event filter: true when the event was its form's caption changing, and the name followed it.
bool NameAfterFormCaption(QTableView* grid, QObject* watched, QEvent* event);

// A grid of text cells: row 0 is the fixed header row, whole rows are selected, cells are not editable.
// A grid has no label of its own, so screen readers name it after its form's caption.
class TStringGrid : public TControl<QTableWidget> {
  Q_OBJECT
  QUORVANE_CONTROL_PROPERTIES
 public:
  TStringGrid(QWidget* parent, const QString& name, const QRect& place, int columns, int rows);
  QString cell(int column, int row) const;
  void setCell(int column, int row, const QString& text);
  void setColumnWidths(std::initializer_list<int> widths);
  int currentDataRow() const;  // 1-based, as the grid's rows count with the header
  // The number of rows below the header; new rows come with empty cells.
  void setDataRowCount(int rows);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace quorvane
