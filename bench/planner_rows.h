// The subnet planner's benchmark rows: split, summarise and sizing by hosts, beside peer tools.
#pragma once

#include <vector>

#include "bench/harness.h"

namespace quorvane::bench {

// Appends the planner's rows; `repetitions` batches for the in-process rows, fewer runs of the peer
// processes, which take seconds each.
void plannerRows(std::vector<Row>& rows, int repetitions);

}  // namespace quorvane::bench
