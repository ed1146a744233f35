// A dialog form: modal, fixed border, centred on its owner when shown.
#pragma once

#include <QDialog>
#include "widgets/control.h"

namespace quorvane {

// A form that is a dialog: modal, fixed border, centred on its owner when shown.
class TDialogForm : public TFormProperties<QDialog, TDialogForm> {
  Q_OBJECT
  QUORVANE_FORM_PROPERTIES
 public:
  explicit TDialogForm(QWidget* owner);
  int clientWidth() const { return width(); }
  void setClientWidth(int width) { setFixedSize(width, height()); }
  int clientHeight() const { return height(); }
  void setClientHeight(int height) { setFixedSize(width(), height); }

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace quorvane
