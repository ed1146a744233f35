// A dialog form: modal, fixed border, centred on its owner when shown.
#include "widgets/dialogform.h"

#include <QShowEvent>

namespace quorvane {

TDialogForm::TDialogForm(QWidget* owner) : TFormProperties<QDialog, TDialogForm>(owner) {
  InstallFontSubstitutes();
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
  setModal(true);
}

void TDialogForm::showEvent(QShowEvent* event) {
  if (const QWidget* owner = parentWidget()) {
    const QRect frame = owner->window()->frameGeometry();
    placeOnScreens(frame.center() - rect().center());
  }
  QDialog::showEvent(event);
}

}  // namespace quorvane
