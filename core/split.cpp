// Equal split of a network.
#include "core/split.h"

namespace quorvane {

namespace {

bool validNetwork(const Block& network) {
  return (network.width == kIpv4Width || network.width == kIpv6Width) && network.prefix >= 0 &&
         network.prefix <= network.width;
}

Block normalised(const Block& network) { return BlockOf({network.network, network.width}, network.prefix); }

}  // namespace

Outcome<EqualSplit> EqualSplit::ByPrefix(const Block& network, int prefix) {
  if (!validNetwork(network) || prefix < network.prefix || prefix > network.width)
    return PlanProblem{PlanError::PrefixOutOfRange, 0, std::to_string(prefix)};
  return EqualSplit(normalised(network), prefix);
}

Outcome<EqualSplit> EqualSplit::ByCount(const Block& network, U128 count) {
  if (!validNetwork(network))
    return PlanProblem{PlanError::PrefixOutOfRange, 0, std::to_string(network.prefix)};
  if (count.isZero()) return PlanProblem{PlanError::ZeroCount, 0, "0"};
  // ceil(log2(count)) more prefix bits: the bit length of count - 1.
  const int extraBits = 128 - CountLeadingZeros(count - U128(1));
  if (extraBits > network.hostBits()) return PlanProblem{PlanError::TooManySubnets, 0, ToDecimal(count)};
  return EqualSplit(normalised(network), network.prefix + extraBits);
}

Block EqualSplit::subnet(U128 k) const {
  return {m_network.network + (k << (m_network.width - m_prefix)), m_prefix, m_network.width};
}

PlanRow EqualSplit::rowAt(U128 index) const {
  PlanRow row = BlockRow(subnet(index));
  row.index = index;
  return row;
}

}  // namespace quorvane
