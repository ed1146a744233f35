// A menu or submenu.
#pragma once

#include <QMenu>

namespace quorvane {

// A menu or submenu; its caption is the title of the entry that opens it.
class TMenu : public QMenu {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ title WRITE setTitle)
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
 public:
  TMenu(QWidget* parent, const QString& name, const QString& caption);
};

}  // namespace quorvane
