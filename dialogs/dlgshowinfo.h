// The subnet mask table: every prefix from /8 to /30; closed with OK, it gives the chosen row's mask.
#pragma once

#include "widgets/buttons.h"
#include "widgets/dialogform.h"
#include "widgets/stringgrid.h"

namespace quorvane {

class TdlgShowInfo : public TDialogForm {
  Q_OBJECT
 public:
  explicit TdlgShowInfo(QWidget* owner);

  // Fills the grid: headers and class labels from the text table, the 23 rows computed.
  void FormCreate();
  // Chooses the mask of the current row and closes with OK.
  void sgMaskDblClick();
  // The same choice; the button's own OK result closes the dialog.
  void btnChooseClick();
  // The dotted mask of the row chosen; empty until one is.
  QString chosenMask() const { return m_chosenMask; }

 protected:
  // Esc is not this dialog's way out: only Cancel and the close box cancel it.
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TStringGrid* sgMask;
  TButton* btnChoose;
  TButton* btnCancel;
  QString m_chosenMask;
};

// The dialog while it is open (null otherwise).
extern TdlgShowInfo* dlgShowInfo;

}  // namespace quorvane
