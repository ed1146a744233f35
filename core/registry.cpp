// Lookups of addresses and networks in the table of special-purpose blocks.
#include "core/registry.h"

#include <algorithm>
#include <string>

#include "core/exception.h"

namespace quorvane {

namespace {

int widthOf(int family) {
  if (family == 4) return 32;
  if (family == 6) return 128;
  throw Exception("Address family " + std::to_string(family) + " is neither 4 nor 6.");
}

void checkAddress(int family, U128 address) {
  if (widthOf(family) == 32 && (address.hi != 0 || address.lo > 0xFFFFFFFFu))
    throw Exception("An IPv4 address has more than 32 bits.");
}

// The table orders by (family, network, prefix); these compare an address with the first two.
struct Key {
  int family;
  U128 address;
};

bool keyBefore(const Key& key, const Block& block) {
  return key.family != block.family ? key.family < block.family : key.address < block.network;
}

bool blockBefore(const Block& block, const Key& key) {
  return block.family != key.family ? block.family < key.family : block.network < key.address;
}

}  // namespace

const Block* ParentBlock(const Block& block) {
  return block.parent < 0 ? nullptr : &RegistryBlocks()[std::size_t(block.parent)];
}

const Block* MostSpecificBlock(int family, U128 address) {
  checkAddress(family, address);
  const std::span<const Block> blocks = RegistryBlocks();
  // The last block starting at or before the address. If it does not hold the address, the block that does
  // (if any) holds it in turn: a block starting between the holder's start and the address lies inside the
  // holder, since blocks never overlap in part. So the answer is on its chain of parents.
  const auto next = std::upper_bound(blocks.begin(), blocks.end(), Key{family, address}, keyBefore);
  if (next == blocks.begin()) return nullptr;
  const Block* block = &*(next - 1);
  if (block->family != family) return nullptr;
  while (block && !block->contains(address)) block = ParentBlock(*block);
  return block;
}

Classification ClassifyAddress(int family, U128 address) {
  if (const Block* block = MostSpecificBlock(family, address)) return {block, Standing::Listed};
  return {nullptr, family == 4 ? Standing::Public : Standing::Unassigned};
}

NetworkBlocks BlocksOfNetwork(int family, U128 network, int prefix) {
  const int width = widthOf(family);
  if (prefix < 0 || prefix > width)
    throw Exception("A prefix of " + std::to_string(prefix) + " does not fit an IPv" +
                    std::to_string(family) + " network.");
  checkAddress(family, network);
  network = network & PrefixMask(prefix, width);
  const U128 last = network | (PrefixMask(width, width) & ~PrefixMask(prefix, width));

  NetworkBlocks result;
  result.holder = MostSpecificBlock(family, network);
  while (result.holder && result.holder->prefix > prefix) result.holder = ParentBlock(*result.holder);

  // The blocks starting inside the network lie inside it, except those that start with it and are at least
  // as large: they hold it and come first among equal starts.
  const std::span<const Block> blocks = RegistryBlocks();
  auto first = std::lower_bound(blocks.begin(), blocks.end(), Key{family, network}, blockBefore);
  const auto end = std::upper_bound(first, blocks.end(), Key{family, last}, keyBefore);
  while (first != end && first->network == network && first->prefix <= prefix) ++first;
  result.parts = std::span<const Block>(first, end);
  return result;
}

}  // namespace quorvane
