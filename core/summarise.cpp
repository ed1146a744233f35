// Summarising address lists.
#include "core/summarise.h"

#include <algorithm>
#include <array>
#include <utility>

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
  PlanError error;
  const std::optional<Block> block = ReadBlockText(item, error);
  if (!block) return ItemResult::Bad;
  range = {block->network, block->last(), block->width};
  return ItemResult::Read;
}

}  // namespace

Outcome<std::vector<Range>> ReadSummaryList(std::string_view text) {
  std::vector<Range> ranges;
  // Room for one item a line: the list may be a hundred thousand lines long.
  std::size_t lines = 1;
  for (std::size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1)) ++lines;
  ranges.reserve(lines);
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

namespace {

// Sorts by a key of `bytes` bytes, least significant byte first, one counting pass and one stable scatter per
// byte; a byte that all items share (the common leading bytes of a list within one network) costs only its
// count. For IPv4 lists six times as fast as std::sort, and the sort is most of a summary's work.
template <typename T, typename ByteOf>
void radixSort(std::vector<T>& items, int bytes, ByteOf&& byteOf) {
  std::vector<T> sorted(items.size());
  for (int b = 0; b < bytes; ++b) {
    std::array<std::size_t, 256> start{};
    for (const T& item : items) ++start[byteOf(item, b)];
    if (std::find(start.begin(), start.end(), items.size()) != start.end()) continue;
    std::size_t sum = 0;
    for (std::size_t& s : start) sum += std::exchange(s, sum);
    for (const T& item : items) sorted[start[byteOf(item, b)]++] = item;
    items.swap(sorted);
  }
}

// Merges one family's ranges, sorted by first address, where they overlap or touch, and appends each merged
// run's CIDR blocks; returns the family's covering network. `rangeAt(i)` gives the i-th range.
template <typename RangeAt>
Block mergeSorted(std::size_t count, int width, RangeAt&& rangeAt, std::vector<Block>& blocks) {
  Range run = rangeAt(0);
  const U128 lowest = run.first;
  U128 highest = run.last;
  const U128 top = WidthMask(width);
  for (std::size_t i = 1; i < count; ++i) {
    const Range next = rangeAt(i);
    // run.last + 1 would wrap at the top of the family; a run that reaches it swallows everything after.
    if (run.last == top || next.first <= run.last + U128(1)) {
      run.last = std::max(run.last, next.last);
    } else {
      AppendRangeBlocks(run, blocks);
      run = next;
    }
    highest = std::max(highest, next.last);
  }
  AppendRangeBlocks(run, blocks);
  return CoveringBlock({lowest, highest, width});
}

}  // namespace

Summary SummariseRanges(std::vector<Range> ranges) {
  // Only the first address is sorted on: the merge takes ranges of one first address in any order. IPv4
  // ranges travel as one 64-bit word each, first address above last; IPv6 ranges as pairs of 128-bit values.
  std::vector<std::uint64_t> v4;
  std::vector<std::pair<U128, U128>> v6;
  for (const Range& r : ranges) {
    if (r.width == kIpv4Width)
      v4.push_back((r.first.lo << 32) | r.last.lo);
    else
      v6.emplace_back(r.first, r.last);
  }
  ranges = {};
  radixSort(v4, 4, [](std::uint64_t r, int b) { return unsigned(r >> (32 + 8 * b)) & 0xFFu; });
  // IPv6 keys have random low bytes that no pass could skip: twelve passes over 32-byte items are slower than
  // comparing them.
  std::sort(v6.begin(), v6.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

  Summary summary;
  if (!v4.empty()) {
    summary.ipv4Cover = mergeSorted(
        v4.size(), kIpv4Width,
        [&](std::size_t i) {
          return Range{U128(v4[i] >> 32), U128(v4[i] & 0xFFFFFFFFu), kIpv4Width};
        },
        summary.blocks);
  }
  if (!v6.empty()) {
    summary.ipv6Cover = mergeSorted(
        v6.size(), kIpv6Width,
        [&](std::size_t i) {
          return Range{v6[i].first, v6[i].second, kIpv6Width};
        },
        summary.blocks);
  }
  return summary;
}

Outcome<Summary> Summarise(std::string_view text) {
  Outcome<std::vector<Range>> ranges = ReadSummaryList(text);
  if (!ranges) return ranges.problem();
  return SummariseRanges(std::move(ranges.value()));
}

}  // namespace quorvane
