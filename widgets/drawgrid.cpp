// A grid that draws rows it computes on demand.
#include "widgets/drawgrid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <algorithm>
#include <vector>

#include "widgets/stringgrid.h"

namespace quorvane {

// The rows of the view: `count` rows of the table from `top`, each computed the first time it is drawn and
// kept until the window moves.
class TDrawGrid::Window : public QAbstractTableModel {
 public:
  explicit Window(QObject* parent) : QAbstractTableModel(parent) {}

  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : int(m_cache.size());
  }
  int columnCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() || !m_rows ? 0 : m_rows->columnCount();
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid() || std::size_t(index.row()) >= m_cache.size()) return {};
    std::optional<QStringList>& cells = m_cache[std::size_t(index.row())];
    if (!cells) cells = m_rows->row(m_top + index.row());
    return cells->value(index.column());
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || !m_rows) return {};
    return m_rows->header(section);
  }

  void setRows(const GridRows* rows) {
    beginResetModel();
    m_rows = rows;
    m_top = 0;
    m_cache.clear();
    endResetModel();
  }
  // Shows `count` rows from `top`: rows are added or taken away at the end, and every row is drawn anew.
  void place(qint64 top, int count) {
    const int old = int(m_cache.size());
    if (count > old) {
      beginInsertRows(QModelIndex(), old, count - 1);
      m_cache.resize(std::size_t(count));
      endInsertRows();
    } else if (count < old) {
      beginRemoveRows(QModelIndex(), count, old - 1);
      m_cache.resize(std::size_t(count));
      endRemoveRows();
    }
    if (top != m_top || count != old) {
      m_top = top;
      std::fill(m_cache.begin(), m_cache.end(), std::nullopt);
      if (count > 0) Q_EMIT dataChanged(index(0, 0), index(count - 1, columnCount() - 1));
    }
  }
  void redraw() {
    std::fill(m_cache.begin(), m_cache.end(), std::nullopt);
    if (columnCount() > 0) Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    if (!m_cache.empty()) Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
  }

 private:
  const GridRows* m_rows = nullptr;
  qint64 m_top = 0;
  mutable std::vector<std::optional<QStringList>> m_cache;
};

TDrawGrid::TDrawGrid(QWidget* parent, const QString& name, const QRect& rect)
    : TControl<QTableView>(parent), m_window(new Window(this)) {
  PlaceControl(this, name, rect);
  setModel(m_window);
  ShapeGrid(this);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    if (!m_syncing) placeWindow(value);
  });
  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) Q_EMIT rowActivated(m_top + index.row());
  });
}

TDrawGrid::~TDrawGrid() { setModel(nullptr); }

bool TDrawGrid::eventFilter(QObject* watched, QEvent* event) {
  NameAfterFormCaption(this, watched, event);
  return QTableView::eventFilter(watched, event);
}

void TDrawGrid::setRows(std::shared_ptr<const GridRows> rows) {
  // The widths of the columns shown, which the user may have changed, carry over to the next rows.
  if (const int columns = m_window->columnCount(); columns > 0) {
    m_widths.clear();
    for (int c = 0; c < columns; ++c) m_widths << columnWidth(c);
  }
  m_current = -1;
  m_top = 0;
  m_window->setRows(rows.get());
  m_rows = std::move(rows);
  for (int c = 0; c < std::min<int>(m_window->columnCount(), int(m_widths.size())); ++c)
    setColumnWidth(c, m_widths[c]);
  placeWindow(0);
  syncScrollBar();
}

qint64 TDrawGrid::rowCount() const { return m_rows ? std::min(m_rows->rowCount(), kMaxGridRows) : 0; }

void TDrawGrid::refresh() { m_window->redraw(); }

qint64 TDrawGrid::pageRows() const {
  return std::max(1, viewport()->height() / verticalHeader()->defaultSectionSize());
}

void TDrawGrid::setTopRow(qint64 row) {
  placeWindow(row);
  syncScrollBar();
}

void TDrawGrid::placeWindow(qint64 top) {
  const qint64 total = rowCount();
  top = std::clamp<qint64>(top, 0, std::max<qint64>(0, total - pageRows()));
  // One row more than fit whole: the last one shows in part.
  const int count = int(std::min<qint64>(pageRows() + 1, total - top));
  m_top = top;
  const QScopedValueRollback syncing(m_syncing, true);
  m_window->place(top, count);
  if (m_current >= top && m_current < top + count) {
    const QModelIndex index = m_window->index(int(m_current - top), 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  } else {
    selectionModel()->clear();
  }
}

void TDrawGrid::syncScrollBar() {
  const QScopedValueRollback syncing(m_syncing, true);
  QScrollBar* bar = verticalScrollBar();
  const qint64 page = pageRows();
  bar->setRange(0, int(std::max<qint64>(0, rowCount() - page)));
  bar->setPageStep(int(page));
  bar->setSingleStep(1);
  bar->setValue(int(m_top));
}

void TDrawGrid::setCurrentRow(qint64 row) {
  const qint64 total = rowCount();
  if (total == 0) return;
  m_current = std::clamp<qint64>(row, 0, total - 1);
  qint64 top = m_top;
  if (m_current < top) top = m_current;
  if (m_current >= top + pageRows()) top = m_current - pageRows() + 1;
  placeWindow(top);
  syncScrollBar();
}

QString TDrawGrid::cell(int column, qint64 row) const {
  if (!m_rows || row < 0 || row >= rowCount()) return {};
  return m_rows->row(row).value(column);
}

void TDrawGrid::setColumnWidths(std::initializer_list<int> widths) {
  m_widths = QList<int>(widths);
  for (int c = 0; c < std::min<int>(m_window->columnCount(), int(m_widths.size())); ++c)
    setColumnWidth(c, m_widths[c]);
}

void TDrawGrid::keyPressEvent(QKeyEvent* event) {
  const qint64 page = pageRows();
  const qint64 at = m_current < 0 ? m_top - 1 : m_current;  // Down from no selection selects the top row
  qint64 to = 0;
  switch (event->key()) {
    case Qt::Key_Up:
      to = at - 1;
      break;
    case Qt::Key_Down:
      to = at + 1;
      break;
    case Qt::Key_PageUp:
      to = at - page;
      break;
    case Qt::Key_PageDown:
      to = at + page;
      break;
    case Qt::Key_Home:
      to = 0;
      break;
    case Qt::Key_End:
      to = rowCount() - 1;
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (m_current >= 0) Q_EMIT rowActivated(m_current);
      event->accept();
      return;
    default:
      QTableView::keyPressEvent(event);
      return;
  }
  setCurrentRow(std::max<qint64>(0, to));
  event->accept();
}

void TDrawGrid::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  placeWindow(m_top);
  syncScrollBar();
}

void TDrawGrid::updateGeometries() {
  // The view sizes its scroll bar to the window's rows; it is set back to the whole table's.
  {
    const QScopedValueRollback syncing(m_syncing, true);
    QTableView::updateGeometries();
  }
  syncScrollBar();
}

void TDrawGrid::scrollContentsBy(int dx, int /*dy*/) {
  // Vertical scrolling moves the window instead of the rows in it.
  QTableView::scrollContentsBy(dx, 0);
}

void TDrawGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
  // Every row of the window is in view already; only the horizontal scroll follows the view's wish.
  {
    const QScopedValueRollback syncing(m_syncing, true);
    QTableView::scrollTo(index, hint);
  }
  syncScrollBar();
}

void TDrawGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (!m_syncing && current.isValid()) m_current = m_top + current.row();
}

}  // namespace quorvane
