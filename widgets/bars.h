// The tool bar and the status bar of a main window.
#pragma once

#include <QStatusBar>
#include <QToolBar>
#include <initializer_list>

namespace quorvane {

class TToolBar : public QToolBar {
  Q_OBJECT
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
 public:
  TToolBar(QWidget* parent, const QString& name);
};

class TStatusBar : public QStatusBar {
  Q_OBJECT
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
 public:
  TStatusBar(QWidget* parent, const QString& name, std::initializer_list<int> panelWidths);
};

}  // namespace quorvane
