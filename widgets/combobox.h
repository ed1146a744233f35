// A drop-down list that cannot be typed into.
#pragma once

#include <QComboBox>
#include <QStringList>
#include "widgets/control.h"

namespace quorvane {

// A drop-down list that cannot be typed into.
class TComboBox : public TControl<QComboBox> {
  Q_OBJECT
  Q_PROPERTY(QStringList Items READ items WRITE setItems)
  Q_PROPERTY(QString Text READ currentText WRITE setCurrentText)
  QUORVANE_CONTROL_PROPERTIES
 public:
  TComboBox(QWidget* parent, const QString& name, const QRect& place);
  QStringList items() const;
  // Replaces the entries; the selection is cleared, as a new list of entries has none.
  void setItems(const QStringList& items);
};

}  // namespace quorvane
