// A grid that draws rows it computes on demand, for tables of millions of rows.
#pragma once

#include <QStringList>
#include <QTableView>
#include <initializer_list>
#include <memory>

#include "widgets/control.h"

namespace quorvane {

// The rows a draw grid shows. A row's cells are asked for only when the row is drawn or read.
class GridRows {
 public:
  virtual ~GridRows() = default;
  virtual int columnCount() const = 0;
  // Header texts are asked for whenever the header is drawn, so a new language shows after refresh().
  virtual QString header(int column) const = 0;
  // At most kMaxGridRows.
  virtual qint64 rowCount() const = 0;
  virtual QStringList row(qint64 index) const = 0;
};

// The rows a grid can scroll through: the largest row count a scroll bar's int range holds.
inline constexpr qint64 kMaxGridRows = 2147483647;

// A grid with the look of TStringGrid whose rows come from a GridRows. The table view itself holds only the
// rows that fit its height (a window onto the rows); the vertical scroll bar moves the window, so a table of
// four million rows costs what one screenful costs, and scrolling to its end is one computation of a
// screenful. Rows are counted from 0 in the whole table; the header is not a row.
class TDrawGrid : public TControl<QTableView> {
  Q_OBJECT
  QUORVANE_CONTROL_PROPERTIES
 public:
  TDrawGrid(QWidget* parent, const QString& name, const QRect& place);
  ~TDrawGrid() override;

  // Shows these rows from the top, nothing selected; null empties the grid. The columns keep the widths
  // they had last (or that setColumnWidths gave them).
  void setRows(std::shared_ptr<const GridRows> rows);
  const GridRows* rows() const { return m_rows.get(); }
  qint64 rowCount() const;
  // Draws every visible row and the header again (after a change of language).
  void refresh();

  // The first row in view, and scrolling so that `row` is the first (or as near as the end allows).
  qint64 topRow() const { return m_top; }
  void setTopRow(qint64 row);
  // Rows that fit the view whole.
  qint64 pageRows() const;
  // The selected row, -1 when none is; selecting scrolls it into view.
  qint64 currentRow() const { return m_current; }
  void setCurrentRow(qint64 row);
  QString cell(int column, qint64 row) const;
  // The widths of the columns from the first on, now and for rows shown later.
  void setColumnWidths(std::initializer_list<int> widths);

 Q_SIGNALS:
  // A row was double-clicked, or Enter was pressed on it.
  void rowActivated(qint64 row);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void updateGeometries() override;
  void scrollContentsBy(int dx, int dy) override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  class Window;
  // Moves the window to `top` (clamped) and fits its size to the view; reselects the current row.
  void placeWindow(qint64 top);
  void syncScrollBar();

  std::shared_ptr<const GridRows> m_rows;
  Window* m_window;
  qint64 m_top = 0;
  qint64 m_current = -1;
  QList<int> m_widths;
  bool m_syncing = false;  // the view is moving its own scroll bar or selection: not the user
};

}  // namespace quorvane
