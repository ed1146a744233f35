// A titled group of controls.
#pragma once

#include <QGroupBox>
#include "widgets/control.h"

namespace quorvane {

class TGroupBox : public TControl<QGroupBox> {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ title WRITE setTitle)
  QUORVANE_CONTROL_PROPERTIES
 public:
  TGroupBox(QWidget* parent, const QString& name, const QString& caption, const QRect& place);
};

}  // namespace quorvane
