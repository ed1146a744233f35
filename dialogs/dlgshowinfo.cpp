// The subnet mask table.
#include "dialogs/dlgshowinfo.h"

#include <QHeaderView>
#include <QKeyEvent>

#include "core/mask.h"
#include "settings/texttable.h"

namespace quorvane {

TdlgShowInfo* dlgShowInfo = nullptr;

namespace {

QString dotted(Ipv4 value) { return QString::fromStdString(InetNtoa(value)); }

}  // namespace

TdlgShowInfo::TdlgShowInfo(QWidget* owner) : TDialogForm(owner) {
  setObjectName(QStringLiteral("dlgShowInfo"));
  setWindowTitle(QStringLiteral("Masks Info"));
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  setFixedSize(425, 273);

  sgMask = new TStringGrid(this, QStringLiteral("sgMask"), {8, 8, 409, 217}, 5, 24);
  // The form is stored with the Cyrillic letters O and K: they look like the Latin ones.
  btnChoose =
      new TButton(this, QStringLiteral("btnChoose"), QStringLiteral("\u041E\u041A"), {243, 240, 75, 25});
  btnChoose->setDefault(true);
  btnCancel = new TButton(this, QStringLiteral("btnCancel"), QStringLiteral("Cancel"), {331, 240, 75, 25});

  connect(btnChoose, &QPushButton::clicked, this, [this] {
    btnChooseClick();
    accept();
  });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  sgMask->viewport()->installEventFilter(this);
  sgMask->horizontalHeader()->viewport()->installEventFilter(this);

  FormCreate();
}

void TdlgShowInfo::FormCreate() {
  sgMask->setColumnWidths({60, 90, 90, 90, 55});
  const Text headers[] = {Text::sClass, Text::sMask, Text::sInvMask, Text::sNumHost, Text::sPrefix};
  for (int column = 0; column < 5; ++column) sgMask->setCell(column, 0, Tr(headers[column]));
  sgMask->setCell(0, 1, Tr(Text::sClass) + QStringLiteral(" A"));
  sgMask->setCell(0, 9, Tr(Text::sClass) + QStringLiteral(" B"));
  sgMask->setCell(0, 17, Tr(Text::sClass) + QStringLiteral(" C"));

  int row = 1;
  for (const MaskTableRow& mask : MaskTableRows()) {
    sgMask->setCell(1, row, dotted(mask.mask));
    sgMask->setCell(2, row, dotted(mask.inverse));
    sgMask->setCell(3, row, QString::number(mask.hosts));
    sgMask->setCell(4, row, QStringLiteral("/%1").arg(mask.prefix));
    ++row;
  }
}

void TdlgShowInfo::btnChooseClick() { m_chosenMask = sgMask->cell(1, sgMask->currentDataRow()); }

void TdlgShowInfo::sgMaskDblClick() {
  btnChooseClick();
  accept();
}

void TdlgShowInfo::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    return;
  }
  TDialogForm::keyPressEvent(event);
}

bool TdlgShowInfo::eventFilter(QObject* watched, QEvent* event) {
  // A double-click anywhere in the grid chooses: on a cell, its row (which the first click selected); on
  // the header or beside the cells, the row already selected.
  if (event->type() == QEvent::MouseButtonDblClick &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
      (watched == sgMask->viewport() || watched == sgMask->horizontalHeader()->viewport())) {
    if (watched == sgMask->viewport()) {
      const QModelIndex index = sgMask->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
      if (index.isValid()) sgMask->setCurrentIndex(index);
    }
    sgMaskDblClick();
    return true;
  }
  return TDialogForm::eventFilter(watched, event);
}

}  // namespace quorvane
