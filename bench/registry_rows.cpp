// The benchmark rows of the special-purpose block lookups: one address, one network.
#include "bench/registry_rows.h"

#include <iterator>

#include "core/registry.h"

namespace quorvane::bench {

namespace {

struct Sample {
  int family;
  U128 address;
  int prefix;
};

// Both families, inside a block, nested blocks deep and in no block at all; each call takes the next, so
// neither the lookup nor the scan can learn one answer.
const Sample kSamples[] = {
    {4, U128(0xC0000009u), 28},                               // 192.0.0.9 in 192.0.0.0/28
    {4, U128(0x08080808u), 24},                               // 8.8.8.8, public
    {4, U128(0xC0586302u), 30},                               // 192.88.99.2 in the deprecated relay block
    {4, U128(0xE9FC0007u), 16},                               // 233.252.0.7, MCAST-TEST-NET
    {4, U128(0x0A010203u), 7},                                // 10.1.2.3/7, Private-Use in part
    {4, U128(0xFFFFFFFFu), 31},                               // limited broadcast
    {6, U128(0x2001000100000000u, 1), 48},                    // 2001:1::1, Port Control Protocol Anycast
    {6, U128(0x2400CB0000000000u, 0), 32},                    // 2400:cb00::, global unicast
    {6, U128(0x20010DB800000000u, 0x1), 16},                  // 2001:db8::1, and 2001::/16 over its blocks
    {6, U128(0xFF02000000000000u, 0x1), 64},                  // ff02::1, multicast
    {6, U128(0x4000000000000000u, 0x1), 2},                   // 4000::1, unassigned; 4000::/2 holds SRv6
    {6, U128(0xFE80000000000000u, 0x0123456789ABCDEFu), 64},  // fe80::/64, link-local
};
constexpr std::size_t kSampleCount = std::size(kSamples);

// The reference: every block of the table tried in turn.
const Block* scanAddress(int family, U128 address) {
  const Block* best = nullptr;
  for (const Block& b : RegistryBlocks()) {
    if (b.family == family && b.contains(address) && (!best || b.prefix > best->prefix)) best = &b;
  }
  return best;
}

struct Scanned {
  const Block* holder = nullptr;
  const Block* firstPart = nullptr;
  std::size_t parts = 0;
};

Scanned scanNetwork(int family, U128 address, int prefix) {
  const int width = family == 4 ? 32 : 128;
  const U128 network = address & PrefixMask(prefix, width);
  Scanned result;
  for (const Block& b : RegistryBlocks()) {
    if (b.family != family) continue;
    if (b.prefix <= prefix) {
      if (b.contains(network) && (!result.holder || b.prefix > result.holder->prefix)) result.holder = &b;
    } else if ((b.network & PrefixMask(prefix, width)) == network) {
      if (!result.parts++) result.firstPart = &b;
    }
  }
  return result;
}

// The lookups must give the scan's answers before their speed means anything.
QString disagreement() {
  for (const Sample& s : kSamples) {
    if (MostSpecificBlock(s.family, s.address) != scanAddress(s.family, s.address))
      return QStringLiteral("an address lookup differs from the scan");
    const NetworkBlocks found = BlocksOfNetwork(s.family, s.address, s.prefix);
    const Scanned scanned = scanNetwork(s.family, s.address, s.prefix);
    if (found.holder != scanned.holder || found.parts.size() != scanned.parts ||
        (scanned.parts && &found.parts.front() != scanned.firstPart))
      return QStringLiteral("a network lookup differs from the scan");
  }
  return {};
}

}  // namespace

void registryRows(std::vector<Row>& rows, int repetitions) {
  const QString failure = disagreement();
  std::size_t next = 0, nextScan = 0;

  Row address{QStringLiteral("classify one address (most specific block)"), Unit::Time};
  address.ceiling = 1e3;
  address.baselineName = QStringLiteral("a scan of all %1 blocks keeping the longest that holds the address")
                             .arg(RegistryBlocks().size());
  address.failure = failure;
  address.result = microPair(
      [&] {
        const Sample& s = kSamples[next++ % kSampleCount];
        doNotOptimize(MostSpecificBlock(s.family, s.address));
      },
      [&] {
        const Sample& s = kSamples[nextScan++ % kSampleCount];
        doNotOptimize(scanAddress(s.family, s.address));
      },
      repetitions);
  rows.push_back(address);

  Row network{QStringLiteral("classify one network (overlaps)"), Unit::Time};
  network.ceiling = 1e3;
  network.baselineName = QStringLiteral("a scan of all %1 blocks for the holder and the blocks held in part")
                             .arg(RegistryBlocks().size());
  network.failure = failure;
  network.result = microPair(
      [&] {
        const Sample& s = kSamples[next++ % kSampleCount];
        const NetworkBlocks found = BlocksOfNetwork(s.family, s.address, s.prefix);
        doNotOptimize(found.holder);
        doNotOptimize(found.parts.data());
        doNotOptimize(found.parts.size());
      },
      [&] {
        const Sample& s = kSamples[nextScan++ % kSampleCount];
        const Scanned scanned = scanNetwork(s.family, s.address, s.prefix);
        doNotOptimize(scanned.holder);
        doNotOptimize(scanned.firstPart);
        doNotOptimize(scanned.parts);
      },
      repetitions);
  rows.push_back(network);
}

}  // namespace quorvane::bench
