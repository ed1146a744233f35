// The reserved-blocks table.
#include "dialogs/dlgshowdiap.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

#include "settings/texttable.h"

namespace quorvane {

TdlgShowDiap* dlgShowDiap = nullptr;

namespace {

// The entries of the 17 rows: sBlock6 is loaded with the others but has no row.
constexpr Text kRowKeys[] = {Text::sBlock1,  Text::sBlock2,  Text::sBlock3,  Text::sBlock4,  Text::sBlock5,
                             Text::sBlock7,  Text::sBlock8,  Text::sBlock9,  Text::sBlock10, Text::sBlock11,
                             Text::sBlock12, Text::sBlock13, Text::sBlock14, Text::sBlock15, Text::sBlock16,
                             Text::sBlock17, Text::sBlock18};
constexpr int kColumns = 3;

// The lines of a row entry: broken at CR, LF or CR LF; a break at the very end starts no further line.
QStringList splitRowEntry(const QString& entry) {
  QStringList lines;
  qsizetype start = 0;
  const qsizetype n = entry.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = entry[i];
    if (c != u'\r' && c != u'\n') continue;
    lines << entry.mid(start, i - start);
    if (c == u'\r' && i + 1 < n && entry[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < n) lines << entry.mid(start);
  return lines;
}

}  // namespace

TdlgShowDiap::TdlgShowDiap(QWidget* owner) : TDialogForm(owner) {
  setObjectName(QStringLiteral("dlgShowDiap"));
  setWindowTitle(QStringLiteral("Reserved blocks of IP addresses [RFC 3330]"));
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  setFixedSize(425, 273);

  sgDiap = new TStringGrid(this, QStringLiteral("sgDiap"), {8, 8, 409, 217}, kColumns, 18);
  sgDiap->setColumnWidths({102, 192, 91});
  btnChoose = new TButton(this, QStringLiteral("btnChoose"), QStringLiteral("OK"), {244, 240, 75, 25});
  btnChoose->setDefault(true);
  btnCancel = new TButton(this, QStringLiteral("btnCancel"), QStringLiteral("Cancel"), {332, 240, 75, 25});

  connect(btnChoose, &QPushButton::clicked, this, &TdlgShowDiap::btnChooseClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  sgDiap->viewport()->installEventFilter(this);
  sgDiap->horizontalHeader()->viewport()->installEventFilter(this);

  FormCreate();
}

void TdlgShowDiap::FormCreate() {
  sgDiap->setCell(0, 0, Tr(Text::sBlock));
  sgDiap->setCell(1, 0, Tr(Text::sUse));
  sgDiap->setCell(2, 0, Tr(Text::sReference));
  int row = 1;
  for (const Text key : kRowKeys) fillRow(row++, Tr(key));
}

void TdlgShowDiap::fillRow(int row, const QString& entry) {
  for (int column = 0; column < kColumns; ++column) sgDiap->setCell(column, row, QString());
  int column = 0;
  for (const QString& line : splitRowEntry(entry)) {
    if (column == kColumns) break;
    // An empty line still takes its cell, so that the next line lands in the next column.
    sgDiap->setCell(column++, row, line.isEmpty() ? QStringLiteral(" ") : line);
  }
}

void TdlgShowDiap::btnChooseClick() {
  m_chosenBlock = sgDiap->cell(0, sgDiap->currentDataRow());
  accept();
}

bool TdlgShowDiap::eventFilter(QObject* watched, QEvent* event) {
  const bool onCells = watched == sgDiap->viewport();
  if (!onCells && watched != sgDiap->horizontalHeader()->viewport())
    return TDialogForm::eventFilter(watched, event);

  if (event->type() == QEvent::MouseButtonDblClick &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    // Anywhere in the grid: a cell's row (which the first click selected), else the row already selected.
    if (onCells) {
      const QModelIndex index = sgDiap->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
      if (index.isValid()) sgDiap->setCurrentIndex(index);
    }
    btnChooseClick();
    return true;
  }
  if (onCells && event->type() == QEvent::ToolTip) {
    // The grid's hint: the whole text of a cell that its column cuts off.
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = sgDiap->indexAt(help->pos());
    const QString text = index.data().toString();
    const QRect cell = sgDiap->visualRect(index);
    constexpr int kCellPadding = 8;
    if (index.isValid() && sgDiap->fontMetrics().horizontalAdvance(text) + kCellPadding > cell.width())
      QToolTip::showText(help->globalPos(), text, sgDiap->viewport(), cell);
    else
      QToolTip::hideText();
    return true;
  }
  return TDialogForm::eventFilter(watched, event);
}

}  // namespace quorvane
