// The version text: the product name and its version, in full (Quorvane 1.0.2.30) or short (Quorvane 1.0.2).
#pragma once

#include <QString>
#include <optional>

#include "platform/versioninfo.h"

namespace quorvane {

// The text of the executable's own version information; empty when it has none.
QString VersionText(bool full);

// The same for given version information. The short form drops the fourth number, then the third as well
// when it is 0 (1.0.2.30 gives 1.0.2, 2.1.0.7 gives 2.1, 1.0.0.0 gives 1.0). The product name counts up to
// 255 characters.
QString VersionText(const std::optional<VersionInfo>& info, bool full);

}  // namespace quorvane
