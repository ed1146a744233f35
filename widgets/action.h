// A command: menu item and tool-bar button alike, named for language files.
#pragma once

#include <QAction>

namespace quorvane {

class TAction : public QAction {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ text WRITE setText)
  Q_PROPERTY(QString Hint READ toolTip WRITE setHintText)
 public:
  TAction(QObject* parent, const QString& name);
  void setHintText(const QString& hint);
};

}  // namespace quorvane
