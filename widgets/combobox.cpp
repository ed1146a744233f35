// A drop-down list that cannot be typed into.
#include "widgets/combobox.h"

namespace quorvane {

TComboBox::TComboBox(QWidget* parent, const QString& name, const QRect& rect) : TControl<QComboBox>(parent) {
  PlaceControl(this, name, rect);
  setEditable(false);
}

QStringList TComboBox::items() const {
  QStringList list;
  for (int i = 0; i < count(); ++i) list << itemText(i);
  return list;
}

void TComboBox::setItems(const QStringList& items) {
  const QSignalBlocker blocker(this);
  clear();
  addItems(items);
  setCurrentIndex(-1);
}

}  // namespace quorvane
