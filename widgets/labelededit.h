// An edit with its label on its left.
#pragma once

#include <QLineEdit>
#include "widgets/control.h"
#include "widgets/label.h"

namespace quorvane {

// An edit with its label on its left, the label's right edge three pixels before the edit.
class TLabeledEdit : public TControl<QLineEdit> {
  Q_OBJECT
  Q_PROPERTY(QString Text READ text WRITE setText)
  Q_PROPERTY(QObject* EditLabel READ editLabel)
  QUORVANE_CONTROL_PROPERTIES
 public:
  TLabeledEdit(QWidget* parent, const QString& name, const QString& caption, const QRect& place);
  TLabel* editLabel() const { return m_label; }

 protected:
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void placeLabel();
  TLabel* m_label;
};

}  // namespace quorvane
