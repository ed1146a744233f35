// A vertical up-down spinner of two arrows.
#pragma once

#include <QToolButton>
#include <QWidget>
#include <functional>
#include "widgets/control.h"

namespace quorvane {

enum class UpDownDirection { None, Up, Down };

// One arrow of a spinner. It shows a glyph only, so its hint, which a language file may set, is also its
// name for screen readers.
class TUpDownArrow : public QToolButton {
  Q_OBJECT
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
 public:
  explicit TUpDownArrow(QWidget* parent);

 protected:
  bool event(QEvent* event) override;
};

// A vertical up-down spinner of two arrows. Before its position would move, it asks its ChangingEx handler,
// which may forbid the move.
class TUpDown : public TControl<QWidget> {
  Q_OBJECT
  Q_PROPERTY(int Position READ position WRITE setPosition)
  QUORVANE_CONTROL_PROPERTIES
 public:
  using ChangingEx = std::function<void(bool& allowChange, int newValue, UpDownDirection direction)>;
  TUpDown(QWidget* parent, const QString& name, const QRect& place, int minimum, int maximum, int position);
  void setOnChangingEx(ChangingEx handler) { m_onChangingEx = std::move(handler); }
  int position() const { return m_position; }
  void setPosition(int position);
  QToolButton* arrow(UpDownDirection direction) const;
  // What a click on one arrow does.
  void step(UpDownDirection direction);
  // The Up and Down keys pressed in `edit` step the spinner as its arrows do. The spinner stays unattached:
  // it writes nothing into the edit of its own accord.
  void stepWithArrowKeysOf(QWidget* edit);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int m_minimum;
  int m_maximum;
  int m_position;
  TUpDownArrow* m_up;
  TUpDownArrow* m_down;
  QWidget* m_keyboardEdit = nullptr;
  ChangingEx m_onChangingEx;
};

}  // namespace quorvane
