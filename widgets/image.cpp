// A picture control.
#include "widgets/image.h"

namespace quorvane {

TImage::TImage(QWidget* parent, const QString& name, const QRect& rect) : TControl<QLabel>(parent) {
  PlaceControl(this, name, rect);
  setAlignment(Qt::AlignCenter);
}

}  // namespace quorvane
