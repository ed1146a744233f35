// The IPv6 window's benchmark rows: its command through its action, and its first opening until drawn.
#pragma once

#include <vector>

#include "bench/harness.h"

namespace quorvane {
class TQuorvaneForm;
}

namespace quorvane::bench {

void ipv6WindowRows(std::vector<Row>& rows, TQuorvaneForm& form, int repetitions, int openings);

}  // namespace quorvane::bench
