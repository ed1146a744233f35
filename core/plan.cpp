// Blocks, counts, address text and grid rows of the subnet planner.
#include "core/plan.h"

#include <algorithm>

#include "core/addressinput.h"
#include "core/ipv6.h"

namespace quorvane {

std::string Count::decimal() const {
  return twoTo128 ? std::string("340282366920938463463374607431768211456") : ToDecimal(value);
}

Block BlockOf(Address address, int prefix) {
  return {address.value & PrefixMask(prefix, address.width), prefix, address.width};
}

void AppendRangeBlocks(const Range& range, std::vector<Block>& out) {
  U128 first = range.first;
  for (;;) {
    // The block may not pass `last`: its size is at most span + 1, and span + 1 wraps to 0 only for the
    // whole 128-bit space.
    const U128 span = range.last - first;
    const U128 room = span + U128(1);
    const int sizeLimit = room.isZero() ? 128 : 127 - CountLeadingZeros(room);
    // The block must be aligned to its size: at most the trailing zeros of `first`, and never wider than the
    // family (ctz of 0 is 128).
    const int alignment = std::min(CountTrailingZeros(first), range.width);
    const int bits = std::min(sizeLimit, alignment);
    out.push_back({first, range.width - bits, range.width});
    const U128 blockSpan = bits >= 128 ? ~U128() : PowerOfTwo(bits) - U128(1);
    if (blockSpan == span) return;
    first += blockSpan + U128(1);
  }
}

Block CoveringBlock(const Range& range) {
  // The common leading bits of the first and last address are the prefix of the smallest covering block.
  const int common = CountLeadingZeros(range.first ^ range.last) - (128 - range.width);
  return BlockOf({range.first, range.width}, std::min(common, range.width));
}

std::optional<Address> ReadAddressText(std::string_view text) {
  // The program's own readers: IPv6 as inet_pton reads it, IPv4 as a strict dotted quad.
  if (text.find(':') == std::string_view::npos) {
    const std::optional<Ipv4> v4 = ParseDottedQuad(text);
    if (!v4) return std::nullopt;
    return Address{U128(*v4), kIpv4Width};
  }
  const std::optional<Ipv6> v6 = ParseIpv6(text);
  if (!v6) return std::nullopt;
  return Address{*v6, kIpv6Width};
}

void AppendAddressText(Address address, std::string& out) {
  if (address.width == kIpv4Width) {
    // Dotted decimal by hand: the planner writes four addresses a row for millions of rows.
    const std::uint32_t v = static_cast<std::uint32_t>(address.value.lo);
    char text[16];
    char* p = text;
    for (int shift = 24; shift >= 0; shift -= 8) {
      const unsigned octet = (v >> shift) & 0xFFu;
      if (octet >= 100) *p++ = char('0' + octet / 100);
      if (octet >= 10) *p++ = char('0' + octet / 10 % 10);
      *p++ = char('0' + octet % 10);
      if (shift) *p++ = '.';
    }
    out.append(text, p);
    return;
  }
  out += FormatIpv6(address.value);
}

std::string WriteAddressText(Address address) {
  std::string text;
  AppendAddressText(address, text);
  return text;
}

std::string_view TrimBlanks(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<U128> ParseDecimal(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  // (2^128 - 1) / 10: a value above it cannot take another digit.
  constexpr U128 kLimit(0x1999999999999999u, 0x9999999999999999u);
  std::uint64_t small = 0;  // 19 digits always fit 64 bits; the rest goes through U128
  std::size_t i = 0;
  for (; i < digits.size() && i < 19; ++i) {
    const char c = digits[i];
    if (c < '0' || c > '9') return std::nullopt;
    small = small * 10 + std::uint64_t(c - '0');
  }
  U128 value(small);
  for (; i < digits.size(); ++i) {
    const char c = digits[i];
    if (c < '0' || c > '9') return std::nullopt;
    const unsigned digit = unsigned(c - '0');
    if (value > kLimit || (value == kLimit && digit > 5)) return std::nullopt;
    value = (value << 3) + (value << 1) + U128(digit);
  }
  return value;
}

namespace {

// A prefix number: decimal digits alone, at most the width. A number above the width, however long, sets
// `outOfRange`; a text that is no number leaves it clear.
std::optional<int> parsePrefix(std::string_view digits, int width, bool& outOfRange) {
  const std::optional<U128> value = ParseDecimal(digits);
  outOfRange = value && *value > U128(std::uint64_t(width));
  if (!value || outOfRange) return std::nullopt;
  return int(value->lo);
}

}  // namespace

std::optional<Block> ReadBlockText(std::string_view text, PlanError& error) {
  const std::string_view trimmed = TrimBlanks(text);
  error = PlanError::BadNetwork;
  // The same split of an address and its mask as the main window's paste: "a/len", "a /len", "a mask",
  // "a/mask". Text without a separator is a bare address.
  const std::optional<std::pair<std::string, std::string>> parts = SplitAddressAndMask(trimmed);
  const std::optional<Address> address = ReadAddressText(parts ? std::string_view(parts->first) : trimmed);
  if (!address) return std::nullopt;
  if (!parts) return BlockOf(*address, address->width);
  const std::string_view mask = parts->second;
  if (mask.front() == '/') {
    bool outOfRange = false;
    const std::optional<int> prefix = parsePrefix(TrimBlanks(mask.substr(1)), address->width, outOfRange);
    if (!prefix) {
      if (outOfRange) error = PlanError::PrefixOutOfRange;
      return std::nullopt;
    }
    return BlockOf(*address, *prefix);
  }
  // A dotted mask, IPv4 only, with its ones contiguous from the top.
  const std::optional<Address> dotted = ReadAddressText(mask);
  if (address->width != kIpv4Width || !dotted || dotted->width != kIpv4Width) return std::nullopt;
  const int prefix = CountLeadingZeros(~dotted->value & WidthMask(kIpv4Width)) - (128 - kIpv4Width);
  if (PrefixMask(prefix, kIpv4Width) != dotted->value) return std::nullopt;
  return BlockOf(*address, prefix);
}

Outcome<Block> ReadNetwork(std::string_view text) {
  PlanError error;
  const std::optional<Block> block = ReadBlockText(text, error);
  if (!block) return PlanProblem{error, 0, std::string(TrimBlanks(text))};
  return *block;
}

PlanRow BlockRow(const Block& block) {
  PlanRow row;
  row.block = block;
  row.broadcast = block.last();
  if (block.width == kIpv4Width && block.hostBits() >= 2) {
    row.first = block.network + U128(1);
    row.last = row.broadcast - U128(1);
    row.hosts = Count{PowerOfTwo(block.hostBits()) - U128(2)};
  } else {
    // IPv6 blocks, IPv4 /31 and /32: every address is usable.
    row.first = block.network;
    row.last = row.broadcast;
    row.hosts = BlockSize(block);
  }
  return row;
}

std::vector<std::string> RowCells(const PlanRow& row) {
  const int width = row.block.width;
  std::vector<std::string> cells;
  cells.reserve(7);
  cells.push_back(row.name);
  std::string network = WriteAddressText({row.block.network, width});
  network += '/';
  network += std::to_string(row.block.prefix);
  cells.push_back(std::move(network));
  if (width == kIpv4Width) cells.push_back(WriteAddressText({PrefixMask(row.block.prefix, width), width}));
  cells.push_back(WriteAddressText({row.first, width}));
  cells.push_back(WriteAddressText({row.last, width}));
  if (width == kIpv4Width) cells.push_back(WriteAddressText({row.broadcast, width}));
  cells.push_back(row.hosts.decimal());
  return cells;
}

}  // namespace quorvane
