// The program's own artwork: the 16 x 16 command images and the request group's picture.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace quorvane {

// Image number n of the command image list (1 about, 3 home page, 4 mail, 5 help, 6 FAQ, 8 calculate,
// 9 clear, 10 own addresses, 11 class B, 12 class C, 13 mask table, 14 class A, 15 reserved blocks);
// numbers without artwork give a null icon.
QIcon CommandImage(int index);

// The decorative 48 x 48 picture of the request group.
QPixmap RequestPicture();

}  // namespace quorvane
