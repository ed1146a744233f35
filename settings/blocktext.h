// A block of the special-purpose address table as one line of text for a person.
#pragma once

#include <QString>

#include "core/registry.h"

namespace quorvane {

// "Private-Use (RFC 1918), globally reachable: no": the registry's name, its reference and whether its
// addresses are globally reachable, the last in the current language (not stated where the registry does
// not say, as for Teredo, 6to4 and the blocks of the multicast and address-space registries).
QString BlockText(const quorvane::Block& block);

}  // namespace quorvane
