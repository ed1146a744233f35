// The reserved-blocks table: one row per text-table entry; closed with OK, it gives the chosen block.
#pragma once

#include "widgets/buttons.h"
#include "widgets/dialogform.h"
#include "widgets/stringgrid.h"

namespace quorvane {

class TdlgShowDiap : public TDialogForm {
  Q_OBJECT
 public:
  explicit TdlgShowDiap(QWidget* owner);

  // Fills the headers and the 17 rows from the text table (sBlock6 is not shown).
  void FormCreate();
  // Chooses column 0 of the current row and closes with OK. Also the grid's double-click handler.
  void btnChooseClick();
  // The block of the row chosen ("10.0.0.0/8"); empty until one is.
  QString chosenBlock() const { return m_chosenBlock; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void fillRow(int row, const QString& entry);

  TStringGrid* sgDiap;
  TButton* btnChoose;
  TButton* btnCancel;
  QString m_chosenBlock;
};

// The dialog while it is open (null otherwise).
extern TdlgShowDiap* dlgShowDiap;

}  // namespace quorvane
