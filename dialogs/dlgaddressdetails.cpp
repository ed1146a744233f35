// The address details.
#include "dialogs/dlgaddressdetails.h"

#include <QClipboard>
#include <QGuiApplication>

#include "settings/texttable.h"

namespace quorvane {

TdlgAddressDetails* dlgAddressDetails = nullptr;

TdlgAddressDetails::TdlgAddressDetails(QWidget* owner) : TDialogForm(owner) {
  setObjectName(QStringLiteral("dlgAddressDetails"));
  setWindowTitle(QStringLiteral("Address details"));
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  setFixedSize(466, 330);

  sgDetails = new TStringGrid(this, QStringLiteral("sgDetails"), {8, 8, 450, 281}, 2, 1);
  sgDetails->setColumnWidths({150, 280});
  sgDetails->setCell(0, 0, Tr(Text::sDetailItem));
  sgDetails->setCell(1, 0, Tr(Text::sDetailValue));
  // A long value takes two lines or more rather than being cut.
  sgDetails->setWordWrap(true);
  btnCopyAll =
      new TButton(this, QStringLiteral("btnCopyAll"), QStringLiteral("Copy all"), {275, 297, 100, 25});
  btnClose = new TButton(this, QStringLiteral("btnClose"), QStringLiteral("Close"), {383, 297, 75, 25});
  btnClose->setDefault(true);

  connect(btnCopyAll, &QPushButton::clicked, this, &TdlgAddressDetails::btnCopyAllClick);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TdlgAddressDetails::setRows(const QList<DetailRow>& rows) {
  m_rows = rows;
  sgDetails->setDataRowCount(int(rows.size()));
  int row = 1;
  for (const DetailRow& detail : rows) {
    sgDetails->setCell(0, row, detail.item);
    sgDetails->setCell(1, row, detail.value);
    ++row;
  }
  sgDetails->resizeRowsToContents();
}

void TdlgAddressDetails::btnCopyAllClick() { QGuiApplication::clipboard()->setText(DetailRowsText(m_rows)); }

}  // namespace quorvane
