// A check box.
#pragma once

#include <QCheckBox>

#include "widgets/control.h"

namespace quorvane {

class TCheckBox : public TControl<QCheckBox> {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ text WRITE setText)
  QUORVANE_CONTROL_PROPERTIES
 public:
  TCheckBox(QWidget* parent, const QString& name, const QString& caption, const QRect& place);
};

}  // namespace quorvane
