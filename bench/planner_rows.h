// The subnet planner's benchmark rows: split, summarise and sizing by hosts, beside peer tools.
#pragma once

#include <vector>

#include "bench/harness.h"

namespace quorvane {
class TQuorvaneForm;
}

namespace quorvane::bench {

// Appends the planner's rows; `repetitions` batches for the in-process rows, fewer runs of the peer
// processes, which take seconds each.
void plannerRows(std::vector<Row>& rows, int repetitions);
// The planner window of `form`: Plan until the grid has drawn, and a scroll to the last row.
void plannerWindowRows(std::vector<Row>& rows, TQuorvaneForm& form, int repetitions);

}  // namespace quorvane::bench
