// A titled group of radio buttons in one column.
#pragma once

#include <QGroupBox>
#include <QStringList>
#include "widgets/control.h"

class QButtonGroup;
class QScrollArea;
class QVBoxLayout;

namespace quorvane {

// A titled group of radio buttons in one column; a long list scrolls. The buttons stand where the group
// stands in the Tab order, the arrow keys move the choice among them, and the chosen one is kept in view.
class TRadioGroup : public TControl<QGroupBox> {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ title WRITE setTitle)
  Q_PROPERTY(QStringList Items READ items WRITE setItems)
  Q_PROPERTY(int ItemIndex READ itemIndex WRITE setItemIndex)
  QUORVANE_CONTROL_PROPERTIES
 public:
  TRadioGroup(QWidget* parent, const QString& name, const QString& caption, const QRect& place);
  QStringList items() const { return m_items; }
  void setItems(const QStringList& items);
  int itemIndex() const;
  void setItemIndex(int index);

 private:
  QStringList m_items;
  QScrollArea* m_scroll;
  QWidget* m_column;
  QVBoxLayout* m_layout;
  QButtonGroup* m_buttons;
};

}  // namespace quorvane
