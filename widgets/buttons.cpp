// Push buttons and flat speed buttons.
#include "widgets/buttons.h"

#include <QEvent>

namespace quorvane {

TButton::TButton(QWidget* parent, const QString& name, const QString& caption, const QRect& rect)
    : TControl<QPushButton>(caption, parent) {
  PlaceControl(this, name, rect);
}

TSpeedButton::TSpeedButton(QWidget* parent, const QString& name, const QRect& rect)
    : TControl<QToolButton>(parent) {
  PlaceControl(this, name, rect);
  setAutoRaise(true);
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::PointingHandCursor);
  setIconSize(QSize(16, 16));
}

bool TSpeedButton::event(QEvent* event) {
  if (event->type() == QEvent::ToolTipChange) NameAfterHint(this);
  return QToolButton::event(event);
}

}  // namespace quorvane
