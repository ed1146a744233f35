// The tool bar and the status bar of a main window.
#include "widgets/bars.h"

#include <QLabel>

namespace quorvane {

TToolBar::TToolBar(QWidget* parent, const QString& name) : QToolBar(parent) {
  setObjectName(name);
  setMovable(false);
  setFloatable(false);
  setIconSize(QSize(16, 16));
  setToolButtonStyle(Qt::ToolButtonIconOnly);
  setContextMenuPolicy(Qt::PreventContextMenu);
}

TStatusBar::TStatusBar(QWidget* parent, const QString& name, std::initializer_list<int> panelWidths)
    : QStatusBar(parent) {
  setObjectName(name);
  setSizeGripEnabled(false);
  setFixedHeight(19);
  int index = 0;
  for (const int width : panelWidths) {
    auto* panel = new QLabel(this);
    panel->setObjectName(QStringLiteral("Panel%1").arg(index++));
    panel->setFixedWidth(width);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    addWidget(panel);
  }
}

}  // namespace quorvane
