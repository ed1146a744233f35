// The IPv6 core's benchmark row: one address read, its block and every text the IPv6 window shows.
#pragma once

#include <vector>

#include "bench/harness.h"

namespace quorvane::bench {

void ipv6CoreRows(std::vector<Row>& rows, int repetitions);

}  // namespace quorvane::bench
