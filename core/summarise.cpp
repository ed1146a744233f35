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

// Reads the list's items in order, handing each range to `add`; gives the problem of the first item that does
// not read.
template <typename Add>
std::optional<PlanProblem> readList(std::string_view text, Add&& add) {
  std::optional<PlanProblem> problem;
  ForEachLine(text, [&](int number, std::string_view line) {
    std::string_view rest = line;
    for (;;) {
      const std::size_t comma = rest.find(',');
      const std::string_view item = TrimBlanks(rest.substr(0, comma));
      if (!item.empty()) {
        Range range;
        const ItemResult result = readItem(item, range);
        if (result != ItemResult::Read) {
          problem = PlanProblem{result == ItemResult::Bad ? PlanError::BadLine : PlanError::RangeReversed,
                                number, std::string(line)};
          return false;
        }
        add(range);
      }
      if (comma == std::string_view::npos) return true;
      rest.remove_prefix(comma + 1);
    }
  });
  return problem;
}

// Room for one item a line: lists run to a hundred thousand lines, and growing by doubling copies them twice.
std::size_t lineCount(std::string_view text) {
  std::size_t lines = 1;
  for (std::size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1)) ++lines;
  return lines;
}

// A list's ranges by family, in the forms their sorts take: an IPv4 range as one 64-bit word, first address
// above last; an IPv6 range as its first and last address.
struct Families {
  std::vector<std::uint64_t> v4;
  std::vector<std::pair<U128, U128>> v6;

  void add(const Range& r) {
    if (r.width == kIpv4Width)
      v4.push_back((r.first.lo << 32) | r.last.lo);
    else
      v6.emplace_back(r.first, r.last);
  }
};

// IPv4: a least-significant-digit radix sort on the first address, one counting pass and one stable scatter
// per byte; a byte that every item shares (a list within one network) costs only its count. Six times as fast
// as a comparison sort, and the sort is most of a summary's work.
void sortIpv4(std::vector<std::uint64_t>& items) {
  std::vector<std::uint64_t> sorted(items.size());
  for (int shift = 32; shift < 64; shift += 8) {
    std::array<std::size_t, 256> start{};
    for (const std::uint64_t item : items) ++start[(item >> shift) & 0xFFu];
    if (std::find(start.begin(), start.end(), items.size()) != start.end()) continue;
    std::size_t sum = 0;
    for (std::size_t& s : start) sum += std::exchange(s, sum);
    for (const std::uint64_t item : items) sorted[start[(item >> shift) & 0xFFu]++] = item;
    items.swap(sorted);
  }
}

// IPv6: random low bytes leave a radix sort a dozen passes over 32-byte items. Instead one scatter on the
// highest byte-wide digit in which first addresses differ, then a comparison sort of each of its 256 buckets,
// each a 256th of the list.
void sortIpv6(std::vector<std::pair<U128, U128>>& items) {
  if (items.size() < 2) return;
  U128 differing;
  for (const auto& item : items) differing = differing | (item.first ^ items.front().first);
  if (differing.isZero()) return;
  // Every bit above the digit is the same in all first addresses, so bucket order is address order.
  const int shift = std::max(0, 127 - CountLeadingZeros(differing) - 7);
  const auto digit = [shift](const std::pair<U128, U128>& item) {
    return unsigned((item.first >> shift).lo & 0xFFu);
  };
  std::array<std::size_t, 257> start{};
  for (const auto& item : items) ++start[digit(item) + 1];
  for (std::size_t d = 1; d < start.size(); ++d) start[d] += start[d - 1];
  std::vector<std::pair<U128, U128>> sorted(items.size());
  std::array<std::size_t, 257> next = start;
  for (const auto& item : items) sorted[next[digit(item)]++] = item;
  for (std::size_t d = 0; d < 256; ++d)
    std::sort(sorted.begin() + std::ptrdiff_t(start[d]), sorted.begin() + std::ptrdiff_t(start[d + 1]),
              [](const auto& a, const auto& b) { return a.first < b.first; });
  items.swap(sorted);
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

// Only first addresses are sorted on: the merge takes ranges of one first address in any order.
Summary summarise(Families& families) {
  std::vector<std::uint64_t>& v4 = families.v4;
  std::vector<std::pair<U128, U128>>& v6 = families.v6;
  sortIpv4(v4);
  sortIpv6(v6);
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

}  // namespace

Outcome<std::vector<Range>> ReadSummaryList(std::string_view text) {
  std::vector<Range> ranges;
  ranges.reserve(lineCount(text));
  std::optional<PlanProblem> problem = readList(text, [&](const Range& r) { ranges.push_back(r); });
  if (problem) return std::move(*problem);
  return ranges;
}

Summary SummariseRanges(std::vector<Range> ranges) {
  Families families;
  for (const Range& r : ranges) families.add(r);
  return summarise(families);
}

Outcome<Summary> Summarise(std::string_view text) {
  // Straight into the families' vectors, without a list of ranges between: a hundred thousand items make
  // that copy a noticeable part of the whole. Untouched reserved room costs no memory.
  Families families;
  const std::size_t lines = lineCount(text);
  families.v4.reserve(lines);
  families.v6.reserve(lines);
  std::optional<PlanProblem> problem = readList(text, [&](const Range& r) { families.add(r); });
  if (problem) return std::move(*problem);
  return summarise(families);
}

}  // namespace quorvane
