// Push buttons and flat speed buttons.
#pragma once

#include <QPushButton>
#include <QToolButton>
#include "widgets/control.h"

namespace quorvane {

class TButton : public TControl<QPushButton> {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ text WRITE setText)
  QUORVANE_CONTROL_PROPERTIES
 public:
  TButton(QWidget* parent, const QString& name, const QString& caption, const QRect& place);
};

// A flat button that never takes the focus: either bound to an action (its caption and glyph) or with a
// glyph and a hint of its own.
class TSpeedButton : public TControl<QToolButton> {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ text WRITE setText)
  QUORVANE_CONTROL_PROPERTIES
 public:
  TSpeedButton(QWidget* parent, const QString& name, const QRect& place);

 protected:
  bool event(QEvent* event) override;
};

}  // namespace quorvane
