// The benchmark rows of the special-purpose block lookups.
#pragma once

#include <vector>

#include "bench/harness.h"

namespace quorvane::bench {

// Classifying one address and one network, each against a scan of the whole table in the same run.
void registryRows(std::vector<Row>& rows, int repetitions);

}  // namespace quorvane::bench
