// Subnet masks: prefix lengths, the contiguity test and the three written forms of the mask field.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/ipv4.h"

namespace quorvane {

// The form in which a mask was written; the spinner writes a new mask back in the same form.
enum class MaskForm : std::uint8_t { Dotted = 0, Inverted = 1, Prefix = 2 };

// The mask whose p most significant bits are set; kInvalid for p outside 1..32 (p = 32 is all ones too).
Ipv4 PrefixToMask(std::int32_t p);

// 32 minus the number of clear bits below the lowest set bit: a contiguous mask gives its prefix length,
// 0 gives 0, and a mask with gaps gives the position of its lowest set bit (255.0.255.0 gives 24).
int MaskToPrefix(Ipv4 mask);

// True when the mask survives the round trip through its prefix length. The zero mask fails; the all-ones
// value passes and so stays the invalid marker.
bool IsContiguousMask(Ipv4 mask);

// The number rule of the prefix form: leading spaces, at most one sign, then decimal digits, or "$", "x",
// "X", "0x" or "0X" followed by at most eight significant hexadecimal digits, and nothing after them.
// Decimal values must fit a signed 32-bit integer; hexadecimal ones are taken as 32 bits.
// Throws ConvertError for any other text.
std::int32_t ParsePrefixNumber(std::string_view text);

// Reads the mask field exactly as it stands; the first character decides the form:
//   ""       -> kInvalid, form unchanged
//   "/..."   -> prefix: every "/" removed, the rest by ParsePrefixNumber (ConvertError leaves form unchanged)
//   "0..."   -> inverted: the complement of inet_addr of the text
//   other    -> dotted: inet_addr of the text
// A mask that is not contiguous, the zero mask and all ones give kInvalid.
Ipv4 ReadMask(std::string_view text, MaskForm& form);

// The mask written in the given form: dotted, inverted dotted, or "/" and the prefix length.
std::string WriteMask(Ipv4 mask, MaskForm form);

// The spinner's step from prefix length p: up gives p + 1 and down p - 1, inside /8 to /30, where either
// end wraps to the other. A prefix outside that range steps to its nearer end's wrap (/31 up gives /8,
// /5 down gives /30) and otherwise moves by one toward the range.
int StepPrefix(int p, bool up);

// One row of the mask table: a prefix length with its mask, inverted mask and usable hosts.
struct MaskTableRow {
  int prefix;
  Ipv4 mask;
  Ipv4 inverse;
  std::int64_t hosts;  // 2^(32 - prefix) - 2
};

// The mask table, /8 first and /30 last: the prefixes the spinner steps through.
inline constexpr int kMaskTableFirst = 8;
inline constexpr int kMaskTableLast = 30;
std::array<MaskTableRow, kMaskTableLast - kMaskTableFirst + 1> MaskTableRows();

}  // namespace quorvane
