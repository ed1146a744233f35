// Geometry and font sizes held to what the screens can show, whatever a language or settings file asks for.
#include "widgets/screenfit.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <limits>

namespace quorvane {

namespace {

// A rectangle with 64-bit edges (right and bottom exclusive): a frame placed anywhere an int reaches, sized
// up to an int, adds up without overflow here, where QRect would not.
struct Span {
  qint64 left, top, right, bottom;
  static Span of(const QRect& r) {
    return {r.x(), r.y(), qint64(r.x()) + r.width(), qint64(r.y()) + r.height()};
  }
  qint64 overlapWidth(const Span& o) const {
    return std::max<qint64>(0, std::min(right, o.right) - std::max(left, o.left));
  }
  qint64 overlapHeight(const Span& o) const {
    return std::max<qint64>(0, std::min(bottom, o.bottom) - std::max(top, o.top));
  }
  // Distance between the two rectangles, 0 when they touch or overlap; a double, since the square of a
  // 64-bit distance does not fit an integer.
  double distance(const Span& o) const {
    const double dx = double(std::max<qint64>({0, o.left - right, left - o.right}));
    const double dy = double(std::max<qint64>({0, o.top - bottom, top - o.bottom}));
    return std::hypot(dx, dy);
  }
};

int bound(qint64 value, qint64 low, qint64 high) { return static_cast<int>(std::clamp(value, low, high)); }

}  // namespace

int BoundCoordinate(qint64 value) { return bound(value, -kMaxControlExtent, kMaxControlExtent); }

int BoundExtent(qint64 value) { return bound(value, 0, kMaxControlExtent); }

int BoundFontPoints(qint64 points) { return bound(points, 1, kMaxFontPoints); }

QSize LargestScreenSize() {
  QSize largest;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QSize size = screen->geometry().size();
    if (qint64(size.width()) * size.height() > qint64(largest.width()) * largest.height()) largest = size;
  }
  return largest.isEmpty() ? QSize(kMaxControlExtent, kMaxControlExtent) : largest;
}

QPoint PlaceOnScreens(QPoint topLeft, QSize size) {
  const qint64 width = std::max(size.width(), 1), height = std::max(size.height(), 1);
  // A frame lower than a title bar is all title bar.
  const qint64 titleHeight = std::min<qint64>(kTitleBarHeight, height);
  const Span title{topLeft.x(), topLeft.y(), topLeft.x() + width, topLeft.y() + titleHeight};
  const qint64 grip = std::min<qint64>(kTitleBarGrip, width), gripHeight = (titleHeight + 1) / 2;
  const Span* nearest = nullptr;
  QList<Span> areas;
  for (const QScreen* screen : QGuiApplication::screens())
    areas.append(Span::of(screen->availableGeometry()));
  for (const Span& area : areas) {
    if (title.overlapWidth(area) >= grip && title.overlapHeight(area) >= gripHeight) return topLeft;
    if (nearest == nullptr || title.distance(area) < title.distance(*nearest)) nearest = &area;
  }
  if (nearest == nullptr) return {BoundCoordinate(topLeft.x()), BoundCoordinate(topLeft.y())};
  // As far inside as it fits: a frame larger than the screen keeps its top-left corner (and title bar) on it.
  const auto inside = [](qint64 at, qint64 extent, qint64 low, qint64 high) {
    return bound(std::clamp(at, low, std::max(low, high - extent)), std::numeric_limits<int>::min(),
                 std::numeric_limits<int>::max());
  };
  return {inside(topLeft.x(), width, nearest->left, nearest->right),
          inside(topLeft.y(), height, nearest->top, nearest->bottom)};
}

}  // namespace quorvane
