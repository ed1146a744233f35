// Summarising address lists.
#include "core/summarise.h"

#include <algorithm>

namespace quorvane {

namespace {

enum class ItemResult { Read, Bad, Reversed };

ItemResult readItem(std::string_view item, Range& range) {
  // IPv6 text never holds a dash, so a dash always separates the ends of a range.
  const std::size_t dash = item.find('-');
  if (dash != std::string_view::npos) {
    const std::optional<Address> first = ReadAddressText(TrimBlanks(item.substr(0, dash)));
    const std::optional<Address> last = ReadAddressText(TrimBlanks(item.substr(dash + 1)));
    if (!first || !last || first->width != last->width) return ItemResult::Bad;
    if (last->value < first->value) return ItemResult::Reversed;
    range = {first->value, last->value, first->width};
    return ItemResult::Read;
  }
  const Outcome<Block> block = ReadNetwork(item);
  if (!block) return ItemResult::Bad;
  range = {block->network, block->last(), block->width};
  return ItemResult::Read;
}

}  // namespace

Outcome<std::vector<Range>> ReadSummaryList(std::string_view text) {
  std::vector<Range> ranges;
  PlanProblem problem;
  const bool read = ForEachLine(text, [&](int number, std::string_view line) {
    std::string_view rest = line;
    for (;;) {
      const std::size_t comma = rest.find(',');
      const std::string_view item = TrimBlanks(rest.substr(0, comma));
      if (!item.empty()) {
        Range range;
        const ItemResult result = readItem(item, range);
        if (result != ItemResult::Read) {
          problem = {result == ItemResult::Bad ? PlanError::BadLine : PlanError::RangeReversed, number,
                     std::string(line)};
          return false;
        }
        ranges.push_back(range);
      }
      if (comma == std::string_view::npos) return true;
      rest.remove_prefix(comma + 1);
    }
  });
  if (!read) return problem;
  return ranges;
}

Summary SummariseRanges(std::vector<Range> ranges) {
  // IPv4 (width 32) sorts before IPv6 (width 128), each family by its first address.
  std::sort(ranges.begin(), ranges.end(), [](const Range& a, const Range& b) {
    return a.width != b.width ? a.width < b.width : a.first < b.first;
  });
  Summary summary;
  const auto finishRun = [&](const Range& run) { AppendRangeBlocks(run, summary.blocks); };
  std::size_t i = 0;
  while (i < ranges.size()) {
    // One family: its runs of overlapping or touching ranges, and its extent for the covering network.
    const int width = ranges[i].width;
    Range run = ranges[i];
    U128 highest = run.last;
    const U128 lowest = run.first;
    for (++i; i < ranges.size() && ranges[i].width == width; ++i) {
      const Range& next = ranges[i];
      // run.last + 1 would wrap at the top of the family; a run that reaches it swallows everything after.
      if (run.last == WidthMask(width) || next.first <= run.last + U128(1)) {
        run.last = std::max(run.last, next.last);
      } else {
        finishRun(run);
        run = next;
      }
      highest = std::max(highest, next.last);
    }
    finishRun(run);
    const Block cover = CoveringBlock({lowest, highest, width});
    (width == kIpv4Width ? summary.ipv4Cover : summary.ipv6Cover) = cover;
  }
  return summary;
}

Outcome<Summary> Summarise(std::string_view text) {
  Outcome<std::vector<Range>> ranges = ReadSummaryList(text);
  if (!ranges) return ranges.problem();
  return SummariseRanges(std::move(ranges.value()));
}

}  // namespace quorvane
