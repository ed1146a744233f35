// A vertical up-down spinner of two arrows.
#include "widgets/updown.h"

#include <QEvent>
#include <QKeyEvent>
#include <algorithm>

namespace quorvane {

TUpDownArrow::TUpDownArrow(QWidget* parent) : QToolButton(parent) {}

bool TUpDownArrow::event(QEvent* event) {
  if (event->type() == QEvent::ToolTipChange) NameAfterHint(this);
  return QToolButton::event(event);
}

TUpDown::TUpDown(QWidget* parent, const QString& name, const QRect& rect, int minimum, int maximum,
                 int position)
    : TControl<QWidget>(parent),
      m_minimum(minimum),
      m_maximum(maximum),
      m_position(position),
      m_up(new TUpDownArrow(this)),
      m_down(new TUpDownArrow(this)) {
  PlaceControl(this, name, rect);
  const struct {
    TUpDownArrow* button;
    Qt::ArrowType arrow;
    const char* suffix;
    UpDownDirection direction;
  } arrows[] = {{m_up, Qt::UpArrow, "Up", UpDownDirection::Up},
                {m_down, Qt::DownArrow, "Down", UpDownDirection::Down}};
  for (const auto& a : arrows) {
    a.button->setObjectName(name + QLatin1String(a.suffix));
    a.button->setArrowType(a.arrow);
    a.button->setFocusPolicy(Qt::NoFocus);
    // Holding an arrow steps again and again, as a spinner does.
    a.button->setAutoRepeat(true);
    connect(a.button, &QToolButton::clicked, this, [this, direction = a.direction] { step(direction); });
  }
  setFocusPolicy(Qt::NoFocus);
  resizeEvent(nullptr);
}

void TUpDown::setPosition(int position) { m_position = std::clamp(position, m_minimum, m_maximum); }

QToolButton* TUpDown::arrow(UpDownDirection direction) const {
  return direction == UpDownDirection::Up ? m_up : m_down;
}

void TUpDown::step(UpDownDirection direction) {
  const int delta = direction == UpDownDirection::Up ? 1 : direction == UpDownDirection::Down ? -1 : 0;
  const int newValue = std::clamp(m_position + delta, m_minimum, m_maximum);
  bool allowChange = true;
  if (m_onChangingEx) m_onChangingEx(allowChange, newValue, direction);
  if (allowChange) m_position = newValue;
}

void TUpDown::stepWithArrowKeysOf(QWidget* edit) {
  if (m_keyboardEdit) m_keyboardEdit->removeEventFilter(this);
  m_keyboardEdit = edit;
  if (edit) edit->installEventFilter(this);
}

void TUpDown::resizeEvent(QResizeEvent*) {
  const int upper = height() / 2;
  m_up->setGeometry(0, 0, width(), upper);
  m_down->setGeometry(0, upper, width(), height() - upper);
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_keyboardEdit && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    // The keypad's arrows too; with Ctrl, Alt or Shift the keys keep the edit's own meaning.
    if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
      step(key->key() == Qt::Key_Up ? UpDownDirection::Up : UpDownDirection::Down);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace quorvane
