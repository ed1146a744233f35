// The program's icon, compiled into the program: no installed file is needed for windows to carry it.
#pragma once

#include <QIcon>
#include <QList>

namespace quorvane {

// The sizes of the icon that the program carries, in pixels.
inline const QList<int> kProgramIconSizes{16, 32, 48, 64, 128};

// The packaged icon (packaging/icons) in every size the program carries.
QIcon ProgramIcon();

}  // namespace quorvane
