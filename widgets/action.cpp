// A command: menu item and tool-bar button alike, named for language files.
#include "widgets/action.h"

namespace quorvane {

TAction::TAction(QObject* parent, const QString& name) : QAction(parent) { setObjectName(name); }

// The hint is a tooltip only: no status tip, since the status bar stays empty and menu hints show nowhere.
void TAction::setHintText(const QString& hint) { setToolTip(hint); }

}  // namespace quorvane
