// What the subnet planner's algorithms share: addresses and CIDR blocks of either family, exact counts up to
// 2^128, the rows of the planner's grid, and the error report of a plan that cannot be made.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/u128.h"

namespace quorvane {

// Every planner value is a (U128 value, width) pair: an IPv4 value sits in the low 32 bits with width 32,
// an IPv6 value fills all 128 bits.
inline constexpr int kIpv4Width = 32;
inline constexpr int kIpv6Width = 128;

// The low `width` bits set: the largest value of the family.
constexpr U128 WidthMask(int width) { return PrefixMask(width, width); }

struct Address {
  U128 value;
  int width = kIpv4Width;
  friend bool operator==(const Address&, const Address&) = default;
};

// A CIDR block. Invariant: no bit of `network` below the prefix (or above the width) is set.
struct Block {
  U128 network;
  int prefix = 0;
  int width = kIpv4Width;
  friend bool operator==(const Block&, const Block&) = default;

  int hostBits() const { return width - prefix; }
  U128 last() const { return network | (WidthMask(width) & ~PrefixMask(prefix, width)); }
};

// The block of the given prefix that holds the address: host bits are cleared.
Block BlockOf(Address address, int prefix);

// A number of addresses or subnets, 0 to 2^128 inclusive. 2^128 (all of IPv6, or ::/0 split into /128) is
// one past the range of U128, so it is carried as a flag of its own with `value` 0.
struct Count {
  U128 value;
  bool twoTo128 = false;

  static Count PowerOfTwo(int n) { return n >= 128 ? Count{U128(), true} : Count{quorvane::PowerOfTwo(n)}; }
  friend bool operator==(const Count&, const Count&) = default;
  friend std::strong_ordering operator<=>(const Count& a, const Count& b) {
    if (a.twoTo128 != b.twoTo128) return a.twoTo128 <=> b.twoTo128;
    return a.value <=> b.value;
  }
  // Planner sums never pass 2^128: they add up disjoint parts of one network.
  friend Count operator+(Count a, Count b) {
    const U128 sum = a.value + b.value;
    return {sum, a.twoTo128 || b.twoTo128 || sum < a.value};
  }
  // b <= a: the free part of a network. 2^128 less a count below it wraps `value` to the exact difference.
  friend Count operator-(Count a, Count b) {
    return {a.value - b.value, a.twoTo128 && !b.twoTo128 && a.value >= b.value};
  }
  std::string decimal() const;
};

// The number of addresses in a block.
inline Count BlockSize(const Block& block) { return Count::PowerOfTwo(block.hostBits()); }

// An inclusive range of addresses of one family, first <= last.
struct Range {
  U128 first;
  U128 last;
  int width = kIpv4Width;
  friend bool operator==(const Range&, const Range&) = default;
};

// Appends the fewest CIDR blocks that cover exactly first..last, in address order: at each step the
// largest block that starts at `first`, is aligned to its size and does not pass `last`.
void AppendRangeBlocks(const Range& range, std::vector<Block>& out);

// The smallest single block that holds the whole range.
Block CoveringBlock(const Range& range);

// Reads one address: IPv4 as a strict dotted quad (ParseDottedQuad), IPv6 by ParseIpv6, the program's own
// readers. The text is taken exactly as it stands: no blanks, no prefix, no zone.
std::optional<Address> ReadAddressText(std::string_view text);

// Writes an address: dotted decimal for IPv4, the RFC 5952 form (FormatIpv6) for IPv6.
std::string WriteAddressText(Address address);
// The same appended to `out`, without a temporary string (the planner writes millions of them).
void AppendAddressText(Address address, std::string& out);

// Why a plan could not be made. The window words each kind in the user's language.
enum class PlanError : std::uint8_t {
  BadNetwork,        // the network text does not read
  PrefixOutOfRange,  // a prefix above the family's width, or a new prefix shorter than the network's
  ZeroCount,         // a count of 0 subnets, or a requirement of 0 hosts
  TooManySubnets,    // more subnets asked for than the network holds at the longest prefix
  BadLine,           // a line of a requirements or summary list that does not read
  RangeReversed,     // a range whose end is below its start
  DoesNotFit,        // a requirement that finds no room left in the network
};

// The error and where it was found. `line` is 1-based and 0 when the input was not a list; `text` is the
// offending line (blanks, tabs and CR trimmed) or, for the network, the network text.
struct PlanProblem {
  PlanError kind = PlanError::BadNetwork;
  int line = 0;
  std::string text;
  friend bool operator==(const PlanProblem&, const PlanProblem&) = default;
};

// A result or the problem that prevented it; never both, never a partial result.
template <typename T>
class Outcome {
 public:
  Outcome(T value) : m_value(std::move(value)) {}                  // NOLINT(google-explicit-constructor)
  Outcome(PlanProblem problem) : m_problem(std::move(problem)) {}  // NOLINT(google-explicit-constructor)

  bool ok() const { return m_value.has_value(); }
  explicit operator bool() const { return ok(); }
  const T& value() const { return *m_value; }
  T& value() { return *m_value; }
  const T& operator*() const { return *m_value; }
  const T* operator->() const { return &*m_value; }
  const PlanProblem& problem() const { return m_problem; }

 private:
  std::optional<T> m_value;
  PlanProblem m_problem;
};

// Reads the network to plan in: "address/prefix" (host bits set are cleared, so 10.1.2.3/8 is 10.0.0.0/8),
// for IPv4 also "address mask" and "address/mask" with a contiguous dotted mask, and a bare address as a
// one-address block. Address and mask are split as the main window splits a pasted pair
// (SplitAddressAndMask).
// Blanks, tabs and CR around the text are dropped. Fails with BadNetwork, or PrefixOutOfRange for a prefix
// number above the family's width.
Outcome<Block> ReadNetwork(std::string_view text);
// The same without the report: nothing, and in `error` BadNetwork or PrefixOutOfRange, for a text that does
// not read. Summary lists read their items through here by the hundred thousand.
std::optional<Block> ReadBlockText(std::string_view text, PlanError& error);

// One row of the planner's grid. IPv4 rows count hosts as the main calculator does: a /31 has both its
// addresses as hosts (first = network, last = broadcast), a /32 its one address as first host, last host and
// broadcast, any other block network+1 .. broadcast-1 and 2^k - 2 hosts. IPv6 rows have the block's first
// and last address and its address count.
struct PlanRow {
  std::string name;  // the requirement's name; empty for equal splits and free blocks
  U128 index;        // the row's place in the plan, from 0
  Block block;
  U128 first;
  U128 last;
  U128 broadcast;  // IPv4: the block's last address; IPv6: the same value, not shown
  Count hosts;
  bool free = false;  // space left over by sizing by hosts (the window names it "(free)")
};

// The row of a block: first, last, broadcast and hosts filled in; name, index and free left to the caller.
PlanRow BlockRow(const Block& block);

// The cells of a row as the grid shows them. IPv4: name, network/prefix, mask, first host, last host,
// broadcast, hosts. IPv6: name, network/prefix, first address, last address, addresses. A free row's name
// cell is empty: its label is translated text and belongs to the window.
std::vector<std::string> RowCells(const PlanRow& row);

// The figures under the grid.
struct Totals {
  Count subnets;
  Count used;  // addresses in the plan's subnets
  Count free;  // addresses of the network left over
  friend bool operator==(const Totals&, const Totals&) = default;
};

// A table view counts its rows in a signed 32-bit int: a plan with more rows than this (an IPv6 /32 split
// into /64 has 2^32) can be shown only in part, and the window says so.
inline constexpr std::uint64_t kViewRowLimit = 2147483647;
inline bool TooManyForView(const Count& rows) { return rows.twoTo128 || rows.value > U128(kViewRowLimit); }

// What the grid's model reads: the rows are produced on demand, so a plan of millions of rows costs only the
// rows on screen.
class PlanTable {
 public:
  virtual ~PlanTable() = default;
  virtual int width() const = 0;
  virtual Count rowCount() const = 0;
  // Rows in address order; `index` below rowCount().
  virtual PlanRow rowAt(U128 index) const = 0;
  virtual Totals totals() const = 0;
};

// Line-reading helpers shared by the list readers. Blanks are spaces and tabs; CR is dropped with them, so
// lists pasted from Windows read alike.
std::string_view TrimBlanks(std::string_view text);
// Calls `line(number, text)` for every line of `text` with its 1-based number, trimmed; empty lines are
// skipped. Stops early, returning false, when `line` returns false.
template <typename F>
bool ForEachLine(std::string_view text, F&& line) {
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view raw = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    const std::string_view trimmed = TrimBlanks(raw);
    if (!trimmed.empty() && !line(number, trimmed)) return false;
  }
  return true;
}

// A positive or zero decimal number of at most 2^128 - 1: digits only, no sign, no blanks.
std::optional<U128> ParseDecimal(std::string_view digits);

}  // namespace quorvane
