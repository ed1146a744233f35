// The version text.
#include "settings/versiontext.h"

namespace quorvane {

QString VersionText(bool full) { return VersionText(ReadVersionInfo(), full); }

QString VersionText(const std::optional<VersionInfo>& info, bool full) {
  if (!info) return {};
  const QString product = info->productName.left(255);
  QString version = info->fileVersion;
  if (!full) {
    const qsizetype last = version.lastIndexOf(QLatin1Char('.'));
    if (last >= 0) version.truncate(last);
    const qsizetype third = version.lastIndexOf(QLatin1Char('.'));
    bool isNumber = false;
    if (third >= 0 && version.mid(third + 1).toInt(&isNumber) == 0 && isNumber) version.truncate(third);
  }
  return product + QLatin1Char(' ') + version;
}

}  // namespace quorvane
