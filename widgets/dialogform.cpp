// A dialog form: modal, fixed border, centred on its owner when shown.
#include "widgets/dialogform.h"

#include "widgets/ownercentring.h"

namespace quorvane {

TDialogForm::TDialogForm(QWidget* owner) : TFormProperties<QDialog, TDialogForm>(owner) {
  InstallFontSubstitutes();
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
  setModal(true);
  CentreOnOwner(this);
}

}  // namespace quorvane
