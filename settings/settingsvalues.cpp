// The process-wide settings values.
#include "settings/settingsvalues.h"

namespace quorvane {

SettingsValues& Settings() {
  static SettingsValues values;
  return values;
}

}  // namespace quorvane
