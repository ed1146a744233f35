// Controls that follow the right or bottom edge of their parent when a resizable form changes size.
#pragma once

#include <QFlags>
#include <QSize>

class QWidget;

namespace quorvane {

// Every control keeps its distance to its parent's left and top edge. Besides:
enum class Anchor {
  Right = 1,         // keeps its distance to the right edge: grows with the parent's width
  Bottom = 2,        // keeps its distance to the bottom edge: grows with the parent's height
  FollowRight = 4,   // moves with the right edge, its width unchanged
  FollowBottom = 8,  // moves with the bottom edge, its height unchanged
};
Q_DECLARE_FLAGS(Anchors, Anchor)
Q_DECLARE_OPERATORS_FOR_FLAGS(Anchors)

// From now on each resize of the control's parent moves or stretches it so that it keeps the distance to
// the anchored edges that it had in the designed parent. The first control anchored in a parent gives the
// parent's designed size: the one the controls were placed for.
void AnchorControl(QWidget* control, Anchors anchors, QSize designedParent);

}  // namespace quorvane
