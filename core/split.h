// Equal split of a network into subnets of one prefix, chosen directly or by the number of subnets wanted.
#pragma once

#include "core/plan.h"

namespace quorvane {

// The 2^(q - p) subnets of prefix q of a /p network. Nothing is listed: the k-th subnet is the network plus
// k blocks of its size, so any row costs the same whether it is the first or the four-millionth.
class EqualSplit : public PlanTable {
 public:
  // Subnets of the given prefix: at least the network's and at most the family's width, else
  // PrefixOutOfRange. Host bits of the network's address are cleared.
  static Outcome<EqualSplit> ByPrefix(const Block& network, int prefix);
  // The smallest prefix whose subnets number at least `count`, and all subnets of that prefix (so 5 subnets
  // of a /24 give eight /27). A count of 0 is ZeroCount; more subnets than the network has addresses is
  // TooManySubnets.
  static Outcome<EqualSplit> ByCount(const Block& network, U128 count);

  const Block& network() const { return m_network; }
  int prefix() const { return m_prefix; }
  // The k-th subnet, from 0; k below rowCount().
  Block subnet(U128 k) const;

  int width() const override { return m_network.width; }
  Count rowCount() const override { return Count::PowerOfTwo(m_prefix - m_network.prefix); }
  PlanRow rowAt(U128 index) const override;
  Totals totals() const override { return {rowCount(), BlockSize(m_network), Count{}}; }

 private:
  EqualSplit(const Block& network, int prefix) : m_network(network), m_prefix(prefix) {}

  Block m_network;
  int m_prefix;
};

}  // namespace quorvane
