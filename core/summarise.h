// Summarising a list of networks, ranges and addresses to the fewest CIDR blocks that cover exactly the same
// addresses, and to the smallest single network of each family that covers them all.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "core/plan.h"

namespace quorvane {

struct Summary {
  std::vector<Block> blocks;       // IPv4 blocks in address order, then IPv6 blocks in address order
  std::optional<Block> ipv4Cover;  // the smallest network holding every IPv4 address of the list
  std::optional<Block> ipv6Cover;
  friend bool operator==(const Summary&, const Summary&) = default;
};

// Reads a summary list. Each line holds one item, or several separated by commas ("10.0.0.0/8, 10.1.0.0/16"
// as pasted from a document); empty items and blank lines are skipped, and blanks, tabs and CR around an
// item dropped. An item is one of:
//   network          a.b.c.d/len or an IPv6 address/len; host bits set are cleared (10.1.2.3/8 is 10/8)
//   single address   a.b.c.d or an IPv6 address
//   range            first - last, blanks around the dash optional, both of one family
//   address mask     a.b.c.d m.m.m.m with a contiguous dotted mask (IPv4 only); host bits cleared
// Blanks do not separate items: "a.b.c.d m.m.m.m" is an address and its mask, so a blank-separated list of
// addresses would be misread as soon as one of them looks like a mask (128.0.0.0, 255.255.0.0).
// The first item that does not read gives BadLine with its line's number and text; a range whose end is
// below its start gives RangeReversed.
Outcome<std::vector<Range>> ReadSummaryList(std::string_view text);

// The summary of any ranges, overlapping, touching or repeated, of both families.
// O(n log n): the ranges are sorted, merged where they overlap or touch, and each merged run split into
// CIDR blocks.
Summary SummariseRanges(std::vector<Range> ranges);

// ReadSummaryList, then SummariseRanges.
Outcome<Summary> Summarise(std::string_view text);

}  // namespace quorvane
