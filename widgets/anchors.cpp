// Controls that follow the right or bottom edge of their parent.
#include "widgets/anchors.h"

#include <QEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QWidget>
#include <vector>

namespace quorvane {

namespace {

// Watches one parent and applies each change of its size to the controls anchored in it.
class AnchorKeeper : public QObject {
 public:
  AnchorKeeper(QWidget* parent, QSize designed) : QObject(parent), m_designed(designed) {
    setObjectName(QStringLiteral("AnchorKeeper"));
    parent->installEventFilter(this);
  }
  // The control's distances to the right and bottom edge of the designed parent are what it keeps.
  void add(QWidget* control, Anchors anchors) {
    const QRect place = control->geometry();
    m_controls.push_back(
        {control, anchors, m_designed.width() - place.right() - 1, m_designed.height() - place.bottom() - 1});
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != parent() || event->type() != QEvent::Resize) return false;
    const QSize size = static_cast<QResizeEvent*>(event)->size();
    for (const Anchored& a : m_controls) {
      if (!a.control) continue;
      QRect place = a.control->geometry();
      const int right = size.width() - a.right;  // one past the right edge that the margin leaves
      const int bottom = size.height() - a.bottom;
      if (a.anchors & Anchor::Right) place.setWidth(std::max(0, right - place.left()));
      if (a.anchors & Anchor::Bottom) place.setHeight(std::max(0, bottom - place.top()));
      if (a.anchors & Anchor::FollowRight) place.moveLeft(right - place.width());
      if (a.anchors & Anchor::FollowBottom) place.moveTop(bottom - place.height());
      a.control->setGeometry(place);
    }
    return false;
  }

 private:
  struct Anchored {
    QPointer<QWidget> control;
    Anchors anchors;
    int right;
    int bottom;
  };
  std::vector<Anchored> m_controls;
  QSize m_designed;
};

}  // namespace

void AnchorControl(QWidget* control, Anchors anchors, QSize designedParent) {
  QWidget* parent = control->parentWidget();
  auto* keeper = parent->findChild<AnchorKeeper*>(QStringLiteral("AnchorKeeper"), Qt::FindDirectChildrenOnly);
  if (!keeper) keeper = new AnchorKeeper(parent, designedParent);
  keeper->add(control, anchors);
}

}  // namespace quorvane
