// A dialog form: modal, fixed border, centred on its owner when shown.
#pragma once

#include <QDialog>
#include "widgets/control.h"

namespace quorvane {

// A form that is a dialog: modal, fixed border, centred on its owner's window (frame on frame) when shown.
class TDialogForm : public TFormProperties<QDialog, TDialogForm> {
  Q_OBJECT
  QUORVANE_FORM_PROPERTIES
 public:
  explicit TDialogForm(QWidget* owner);
  // A client size that is not positive is ignored; one too large for the largest screen is bounded.
  int clientWidth() const { return width(); }
  void setClientWidth(int width) {
    if (width > 0) setFixedSize(boundedSize(width, height()));
  }
  int clientHeight() const { return height(); }
  void setClientHeight(int height) {
    if (height > 0) setFixedSize(boundedSize(width(), height));
  }
};

}  // namespace quorvane
