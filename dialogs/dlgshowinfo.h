// The subnet mask table: every prefix from /8 to /30; the chosen row's mask goes into the main window.
#pragma once

#include "platform/controls.h"

namespace quorvane {

class TdlgShowInfo : public TDialogForm {
  Q_OBJECT
 public:
  explicit TdlgShowInfo(QWidget* owner);

  // Fills the grid: headers and class labels from the text table, the 23 rows computed.
  void FormCreate();
  // Writes the mask of the current row into the main window's mask field and closes with OK.
  void sgMaskDblClick();
  // The same write; the button's own OK result closes the dialog.
  void btnChooseClick();

 protected:
  // Esc is not this dialog's way out: only Cancel and the close box cancel it.
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TStringGrid* sgMask;
  TButton* btnChoose;
  TButton* btnCancel;
};

// The dialog while it is open (null otherwise).
extern TdlgShowInfo* dlgShowInfo;

}  // namespace quorvane
