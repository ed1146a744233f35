// The address details: what an address and its network are, one item a row, to read and to copy.
#pragma once

#include "dialogs/addressdetails.h"
#include "widgets/buttons.h"
#include "widgets/dialogform.h"
#include "widgets/stringgrid.h"

namespace quorvane {

class TdlgAddressDetails : public TDialogForm {
  Q_OBJECT
 public:
  explicit TdlgAddressDetails(QWidget* owner);

  // One grid row per item, in the order given.
  void setRows(const QList<DetailRow>& rows);
  const QList<DetailRow>& rows() const { return m_rows; }
  // Puts every row on the clipboard as "item: value" lines.
  void btnCopyAllClick();

 private:
  TStringGrid* sgDetails;
  TButton* btnCopyAll;
  TButton* btnClose;
  QList<DetailRow> m_rows;
};

// The dialog while it is open (null otherwise).
extern TdlgAddressDetails* dlgAddressDetails;

}  // namespace quorvane
