// Geometry and font sizes held to what the screens can show, whatever a language or settings file asks for.
#pragma once

#include <QPoint>
#include <QSize>

namespace quorvane {

// A control's place inside its parent: positions within [-kMaxControlExtent, kMaxControlExtent], sizes
// within [0, kMaxControlExtent]. Beyond that a control is out of sight on any screen, and a position plus a
// size stays far from the limits of int, which Qt's rectangles add up without a check.
inline constexpr int kMaxControlExtent = 32767;
int BoundCoordinate(qint64 value);
int BoundExtent(qint64 value);

// Font sizes in points: 1 to kMaxFontPoints. Larger glyphs fit no control, and each costs memory to draw.
inline constexpr int kMaxFontPoints = 144;
int BoundFontPoints(qint64 points);

// The size of the largest screen (by area), which no window frame exceeds; kMaxControlExtent square while
// there is no screen at all.
QSize LargestScreenSize();

// The top edge of a frame that can be dragged by its title bar (all of a lower frame): the real height is
// known only once the window is shown, and a title bar is at least this high on every desktop we know.
inline constexpr int kTitleBarHeight = 24;

// Where a window frame of `size` whose top-left corner is at `topLeft` is put so that it can be reached:
// where it is while the available area of some screen shows a grip of its title bar (at least kTitleBarGrip
// pixels wide, or the whole width of a narrower frame, and half its height, rounded up); otherwise on the
// screen nearest to the title bar, as far inside it as the frame fits. Without any screen, only the
// coordinates are bounded.
inline constexpr int kTitleBarGrip = 32;
QPoint PlaceOnScreens(QPoint topLeft, QSize size);

}  // namespace quorvane
