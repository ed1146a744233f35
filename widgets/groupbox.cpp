// A titled group of controls.
#include "widgets/groupbox.h"

namespace quorvane {

TGroupBox::TGroupBox(QWidget* parent, const QString& name, const QString& caption, const QRect& rect)
    : TControl<QGroupBox>(caption, parent) {
  PlaceControl(this, name, rect);
}

}  // namespace quorvane
