// The executable's version information.
#include "platform/versioninfo.h"

#include <QStringList>

namespace quorvane {

std::optional<VersionInfo> ReadVersionInfo() {
  if (!quorvane_version_resource) return std::nullopt;
  VersionInfo info;
  const QStringList lines = QString::fromUtf8(quorvane_version_resource).split(QLatin1Char('\n'));
  for (const QString& line : lines) {
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0) continue;
    const QString name = line.left(equals);
    if (name == QLatin1String("FileVersion")) info.fileVersion = line.mid(equals + 1);
    if (name == QLatin1String("ProductName")) info.productName = line.mid(equals + 1);
  }
  return info;
}

}  // namespace quorvane
