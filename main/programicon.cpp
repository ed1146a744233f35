// The program's icon.
#include "main/programicon.h"

namespace quorvane {

QIcon ProgramIcon() {
  QIcon icon;
  for (const int size : kProgramIconSizes)
    icon.addFile(QStringLiteral(":/icons/%1x%1/apps/org.quorvane.Quorvane.png").arg(size), QSize(size, size));
  return icon;
}

}  // namespace quorvane
