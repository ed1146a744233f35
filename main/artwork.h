// The program's own artwork: the 16 x 16 command images and the request group's picture.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

namespace quorvane {

// The images are drawn for the window colour they are shown on: navy outlines on a light window, lighter
// outlines and rims where the designed colours would not stand out (a dark theme), so that every shape keeps
// a contrast of at least 3:1 against the window.

// Image number n of the command image list (1 about, 3 home page, 4 mail, 5 help, 6 FAQ, 8 calculate,
// 9 clear, 10 own addresses, 11 class B, 12 class C, 13 mask table, 14 class A, 15 reserved blocks);
// numbers without artwork give a null icon. Drawn for the window colour of the application's palette at
// the time it is drawn, so a change of palette shows at the next repaint.
QIcon CommandImage(int index);

// The decorative 48 x 48 picture of the request group, drawn for a window of the given colour.
QPixmap RequestPicture(const QColor& window);

}  // namespace quorvane
