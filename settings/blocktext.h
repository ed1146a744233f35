// A registry block as one line of text for a person: its name, its reference and whether it is globally
// reachable.
#pragma once

#include <QString>

#include "core/registry.h"

namespace quorvane {

// "Private-Use (RFC 1918), globally reachable: no"; the reachability part from the text table.
QString BlockText(const quorvane::Block& block);

}  // namespace quorvane
