// An edit with its label on its left.
#include "widgets/labelededit.h"

#include <QEvent>

namespace quorvane {

TLabeledEdit::TLabeledEdit(QWidget* parent, const QString& name, const QString& caption, const QRect& rect)
    : TControl<QLineEdit>(parent),
      m_label(new TLabel(parent, name + QStringLiteral("Label"), caption, QRect())) {
  PlaceControl(this, name, rect);
  m_label->setBuddy(this);
  m_label->installEventFilter(this);
  connect(m_label, &TLabel::captionChanged, this, &TLabeledEdit::placeLabel);
  placeLabel();
}

void TLabeledEdit::moveEvent(QMoveEvent* event) {
  QLineEdit::moveEvent(event);
  placeLabel();
}

bool TLabeledEdit::eventFilter(QObject* watched, QEvent* event) {
  // A new font changes the label's width; keep its right edge beside the edit.
  if (watched == m_label && event->type() == QEvent::FontChange) placeLabel();
  return QLineEdit::eventFilter(watched, event);
}

void TLabeledEdit::placeLabel() {
  constexpr int kSpacing = 3;
  const int width = m_label->sizeHint().width();
  m_label->setGeometry(x() - kSpacing - width, y(), width, height());
  m_label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

}  // namespace quorvane
