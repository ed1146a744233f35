// Sizing by hosts.
#include "core/sizing.h"

#include <algorithm>
#include <numeric>

namespace quorvane {

Outcome<std::vector<Requirement>> ReadRequirements(std::string_view text) {
  std::vector<Requirement> requirements;
  PlanProblem problem;
  const bool read = ForEachLine(text, [&](int number, std::string_view line) {
    const std::size_t blank = line.find_last_of(" \t");
    const std::string_view countText = blank == std::string_view::npos ? line : line.substr(blank + 1);
    const std::optional<U128> hosts = ParseDecimal(countText);
    if (!hosts || hosts->isZero()) {
      problem = {hosts ? PlanError::ZeroCount : PlanError::BadLine, number, std::string(line)};
      return false;
    }
    const std::string_view name =
        blank == std::string_view::npos ? std::string_view() : TrimBlanks(line.substr(0, blank));
    requirements.push_back({std::string(name), *hosts, number, std::string(line)});
    return true;
  });
  if (!read) return problem;
  return requirements;
}

std::optional<int> HostBitsFor(U128 hosts, int width, bool pointToPoint31) {
  if (hosts.isZero()) return std::nullopt;
  if (width == kIpv6Width) {
    // The bit length of hosts - 1 is ceil(log2(hosts)); 2^128 - 1 hosts need all 128 bits.
    return 128 - CountLeadingZeros(hosts - U128(1));
  }
  if (pointToPoint31 && hosts <= U128(2)) return 1;
  // 2^k - 2 >= hosts means 2^k > hosts + 1: k is the bit length of hosts + 1.
  const U128 plusOne = hosts + U128(1);
  if (plusOne.isZero()) return std::nullopt;
  // At least 2: one host makes hosts + 1 two bits long, so no /31 or /32 is made here.
  const int bits = 128 - CountLeadingZeros(plusOne);
  if (bits > width) return std::nullopt;
  return bits;
}

Outcome<SizingPlan> SizingPlan::Make(const Block& network, std::vector<Requirement> requirements,
                                     bool pointToPoint31) {
  if ((network.width != kIpv4Width && network.width != kIpv6Width) || network.prefix < 0 ||
      network.prefix > network.width)
    return PlanProblem{PlanError::PrefixOutOfRange, 0, std::to_string(network.prefix)};
  const Block net = BlockOf({network.network, network.width}, network.prefix);

  // A requirement no block of the family holds sorts above every other and fails first.
  constexpr int kTooLarge = 129;
  std::vector<int> bits(requirements.size());
  for (std::size_t i = 0; i < requirements.size(); ++i) {
    const Requirement& r = requirements[i];
    if (r.hosts.isZero()) return PlanProblem{PlanError::ZeroCount, r.line, r.text};
    bits[i] = HostBitsFor(r.hosts, net.width, pointToPoint31).value_or(kTooLarge);
  }
  std::vector<std::size_t> order(requirements.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return bits[a] > bits[b]; });

  // Blocks are handed out largest first, so the lowest free address aligned to the next block's size is
  // always the end of the previous block: every earlier size is a multiple of it, and nothing below the end
  // is free. Offsets count from the network address; `full` stands for an offset of 2^128, the end of ::/0.
  const int networkBits = net.hostBits();
  const U128 lastOffset = WidthMask(networkBits);
  U128 offset;
  bool full = false;
  SizingPlan plan;
  plan.m_network = net;
  plan.m_allocations.reserve(requirements.size());
  for (const std::size_t i : order) {
    Requirement& r = requirements[i];
    const int k = bits[i];
    const U128 span = WidthMask(std::min(k, 128));
    if (full || k > networkBits || span > lastOffset - offset)
      return PlanProblem{PlanError::DoesNotFit, r.line, r.text};
    plan.m_allocations.push_back({std::move(r), {net.network + offset, net.width - k, net.width}});
    if (span == lastOffset - offset)
      full = true;
    else
      offset += span + U128(1);
  }

  const Count size = BlockSize(net);
  if (!full) AppendRangeBlocks({net.network + offset, net.last(), net.width}, plan.m_free);
  const Count used = full ? size : Count{offset};
  plan.m_totals = {Count{U128(plan.m_allocations.size())}, used, size - used};
  return plan;
}

PlanRow SizingPlan::rowAt(U128 index) const {
  const std::size_t i = std::size_t(index.lo);
  PlanRow row;
  if (i < m_allocations.size()) {
    row = BlockRow(m_allocations[i].block);
    row.name = m_allocations[i].requirement.name;
  } else {
    row = BlockRow(m_free[i - m_allocations.size()]);
    row.free = true;
  }
  row.index = index;
  return row;
}

}  // namespace quorvane
