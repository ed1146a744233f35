// A menu or submenu.
#include "widgets/menu.h"

namespace quorvane {

TMenu::TMenu(QWidget* parent, const QString& name, const QString& caption) : QMenu(caption, parent) {
  setObjectName(name);
  menuAction()->setObjectName(QString());
}

}  // namespace quorvane
