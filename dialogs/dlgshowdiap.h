// The reserved-blocks table: one row per text-table entry; the chosen block goes into the main window.
#pragma once

#include "platform/controls.h"

namespace quorvane {

class TdlgShowDiap : public TDialogForm {
  Q_OBJECT
 public:
  explicit TdlgShowDiap(QWidget* owner);

  // Fills the headers and the 17 rows from the text table (sBlock6 is not shown).
  void FormCreate();
  // Splits column 0 of the current row at its first "/" into the address and mask fields; closes with OK.
  // Also the grid's double-click handler.
  void btnChooseClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void fillRow(int row, const QString& entry);

  TStringGrid* sgDiap;
  TButton* btnChoose;
  TButton* btnCancel;
};

// The dialog while it is open (null otherwise).
extern TdlgShowDiap* dlgShowDiap;

}  // namespace quorvane
