// A check box.
#include "widgets/checkbox.h"

namespace quorvane {

TCheckBox::TCheckBox(QWidget* parent, const QString& name, const QString& caption, const QRect& rect)
    : TControl<QCheckBox>(caption, parent) {
  PlaceControl(this, name, rect);
}

}  // namespace quorvane
