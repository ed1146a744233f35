// Sizing by hosts: a block of its own for each requirement of a name and a host count, the largest first,
// and the space left over as the fewest CIDR blocks.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/plan.h"

namespace quorvane {

struct Requirement {
  std::string name;  // may hold blanks; empty when the line held only the count
  U128 hosts;
  int line = 0;      // 1-based line of the requirements text, 0 when not read from one
  std::string text;  // that line, trimmed, for the error report
};

// Reads the requirements list, one a line: "count" or "name count", where the name may contain blanks and
// the last blank-separated token is the count. The count is a decimal number of digits alone, at most
// 2^128 - 1. Blank lines are skipped; blanks, tabs and CR around a line dropped.
// The first line that does not read gives BadLine, a count of 0 ZeroCount, both with its number and text.
Outcome<std::vector<Requirement>> ReadRequirements(std::string_view text);

// The host bits (k of a block of 2^k addresses) of the smallest block that holds `hosts`:
//   IPv4: usable hosts 2^k - 2, k >= 2; with `pointToPoint31` a /31 (k = 1) holds 1 or 2. Never a /32.
//   IPv6: every address counts, k = ceil(log2(hosts)); one host takes a /128.
// Nothing for 0 hosts or for more than the family's largest block holds.
std::optional<int> HostBitsFor(U128 hosts, int width, bool pointToPoint31);

// A requirement with the block it got.
struct Allocation {
  Requirement requirement;
  Block block;
};

// The plan for one network. Allocations are in address order, which is also largest first; the free blocks
// follow them: everything above the last allocation is free, nothing below it.
class SizingPlan : public PlanTable {
 public:
  // Each requirement in turn, largest block first (equal blocks in input order), gets the smallest block
  // that holds it at the lowest free address aligned to its size. The first requirement in that order that
  // finds no room gives DoesNotFit with its line and text (ZeroCount for 0 hosts); nothing is allocated then.
  static Outcome<SizingPlan> Make(const Block& network, std::vector<Requirement> requirements,
                                  bool pointToPoint31);

  const Block& network() const { return m_network; }
  const std::vector<Allocation>& allocations() const { return m_allocations; }
  const std::vector<Block>& freeBlocks() const { return m_free; }

  int width() const override { return m_network.width; }
  Count rowCount() const override { return Count{U128(m_allocations.size() + m_free.size())}; }
  PlanRow rowAt(U128 index) const override;
  Totals totals() const override { return m_totals; }

 private:
  SizingPlan() = default;

  Block m_network;
  std::vector<Allocation> m_allocations;
  std::vector<Block> m_free;
  Totals m_totals;
};

}  // namespace quorvane
