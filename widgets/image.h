// A picture control.
#pragma once

#include <QLabel>
#include "widgets/control.h"

namespace quorvane {

class TImage : public TControl<QLabel> {
  Q_OBJECT
  QUORVANE_CONTROL_PROPERTIES
 public:
  TImage(QWidget* parent, const QString& name, const QRect& place);
};

}  // namespace quorvane
