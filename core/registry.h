// The special-purpose address blocks of IPv4 and IPv6 and the lookups of an address or a network in them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "core/u128.h"

namespace quorvane {

// A yes/no column of the special-purpose registry. Unstated where the registry gives no answer: "N/A" under
// Globally Reachable, the emptied columns of a deprecated block, and blocks from the other registries.
enum class Flag : std::uint8_t { No, Yes, Unstated };

// Where a block comes from.
enum class Registry : std::uint8_t {
  SpecialPurpose,  // the IANA IPv4 and IPv6 Special-Purpose Address Registries (data/*.csv)
  Multicast,       // the multicast address registries (RFC 5771, RFC 4291)
  AddressSpace,    // the IPv6 address-space registry (RFC 4291)
};

// One block of the table. Family-neutral: an IPv4 block holds its 32 bits in the low bits of `network`.
// Blocks nest but never overlap in part, so the blocks that hold an address always form one chain.
struct Block {
  U128 network;         // the first address; every bit below the prefix is zero
  std::uint8_t family;  // 4 or 6
  std::uint8_t prefix;  // 0..32 or 0..128
  std::int16_t parent;  // index in RegistryBlocks() of the smallest other block holding this one, -1 if none
  Registry registry;
  std::string_view name;       // as the registry writes it, footnote marks removed
  std::string_view rfc;        // a readable reference: "RFC 1122, Section 3.2.1.3", "RFC 8880, RFC 7050, ..."
  std::string_view allocated;  // "YYYY-MM" from the special-purpose registry, empty for the other registries
  std::string_view terminated;  // "YYYY-MM" for a deprecated block, else empty
  Flag source;
  Flag destination;
  Flag forwardable;
  Flag globallyReachable;
  Flag reservedByProtocol;

  constexpr int width() const { return family == 4 ? 32 : 128; }
  constexpr bool deprecated() const { return !terminated.empty(); }
  constexpr U128 last() const {
    return network | (PrefixMask(width(), width()) & ~PrefixMask(prefix, width()));
  }
  // For an address of the block's family (an IPv4 address has no bits above the low 32).
  constexpr bool contains(U128 address) const { return (address & PrefixMask(prefix, width())) == network; }
};

// The whole table, sorted by family (4 first), then network, then prefix, so that a block comes before the
// blocks it holds. Generated from the registries' CSV files by tools/gen_registry.py
// (core/registry_data.cpp).
std::span<const Block> RegistryBlocks();

// The date of the registries' snapshot the table was made from, "YYYY-MM-DD".
std::string_view RegistrySnapshotDate();

// The smallest other block holding `block`, or null.
const Block* ParentBlock(const Block& block);

// The most specific block that holds the address, or null. Family 4 or 6; an IPv4 address must fit 32 bits
// (Exception otherwise). No allocation.
const Block* MostSpecificBlock(int family, U128 address);

// What an address is when no block holds it.
enum class Standing : std::uint8_t {
  Listed,      // a block holds it: see the block
  Public,      // IPv4 in no block: a public, globally routable address
  Unassigned,  // IPv6 in no block: outside 2000::/3 (a block itself), reserved or unassigned by the
               // address-space registry
};

struct Classification {
  const Block* block;  // the most specific block, null unless Listed
  Standing standing;
};

Classification ClassifyAddress(int family, U128 address);

// The blocks a network meets. Since blocks never overlap in part, each block of the table either holds the
// whole network, lies wholly inside it, or misses it.
//   holder: the most specific block holding all of the network, or null.
//   parts:  every block lying inside the network and smaller than it ("in part"), nested ones included,
//           in table order (a block before the blocks it holds). All of them, not only the outermost: a user
//           reading 192.0.0.0/16 wants to see Port Control Protocol Anycast as well as the /24 holding it;
//           `parent` tells which of them hold which. At most the whole family's table.
// A network both held and overlapping is common: 192.0.0.0/28 is held by IETF Protocol Assignments and
// holds IPv4 Service Continuity Prefix and the three /32 blocks after it.
struct NetworkBlocks {
  const Block* holder = nullptr;
  std::span<const Block> parts;
};

// The network's bits below its prefix are ignored. Family 4 or 6, prefix 0..32 or 0..128 (Exception
// otherwise). No allocation.
NetworkBlocks BlocksOfNetwork(int family, U128 network, int prefix);

}  // namespace quorvane
