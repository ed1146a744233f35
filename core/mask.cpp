// Subnet masks and their written forms.
#include "core/mask.h"

#include <bit>
#include <string>

#include "core/exception.h"
#include "core/text.h"

namespace quorvane {

Ipv4 PrefixToMask(std::int32_t p) {
  if (p <= 0 || p > 32) return kInvalid;
  const Ipv4 hostPart = p == 32 ? 0u : (Ipv4{1} << (32 - p)) - 1u;
  return ~hostPart;
}

int MaskToPrefix(Ipv4 mask) { return 32 - std::countr_zero(mask); }

bool IsContiguousMask(Ipv4 mask) { return PrefixToMask(MaskToPrefix(mask)) == mask; }

namespace {

[[noreturn]] void failConversion(std::string_view text) {
  throw ConvertError("'" + std::string(text) + "' is not a valid integer value");
}

}  // namespace

std::int32_t ParsePrefixNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == text.size()) failConversion(text);

  if (hex) {
    std::uint32_t value = 0;
    int significant = 0;
    for (; i < text.size(); ++i) {
      const int digit = HexDigit(text[i]);
      if (digit < 0) failConversion(text);
      if (value != 0 || digit != 0) ++significant;
      if (significant > 8) failConversion(text);
      value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    // Eight digits fill all 32 bits: FFFFFFE5 is -27, as a signed 32-bit integer holds it.
    const std::uint32_t result = negative ? 0u - value : value;
    return static_cast<std::int32_t>(result);
  }

  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') failConversion(text);
    value = value * 10 + (c - '0');
    if (value > std::int64_t{1} << 31) failConversion(text);
  }
  if (negative) value = -value;
  if (value > INT32_MAX) failConversion(text);
  return static_cast<std::int32_t>(value);
}

Ipv4 ReadMask(std::string_view text, MaskForm& form) {
  if (text.empty()) return kInvalid;
  Ipv4 mask;
  if (text.front() == '/') {
    std::string number;
    number.reserve(text.size());
    for (const char c : text)
      if (c != '/') number += c;
    const std::int32_t p = ParsePrefixNumber(number);
    mask = PrefixToMask(p);
    form = MaskForm::Prefix;
  } else if (text.front() == '0') {
    form = MaskForm::Inverted;
    const Ipv4 inverse = InetAddr(text);
    mask = inverse == kInvalid ? kInvalid : ~inverse;
  } else {
    mask = InetAddr(text);
    form = MaskForm::Dotted;
  }
  return IsContiguousMask(mask) ? mask : kInvalid;
}

std::string WriteMask(Ipv4 mask, MaskForm form) {
  switch (form) {
    case MaskForm::Inverted:
      return InetNtoa(~mask);
    case MaskForm::Prefix: {
      // Appended rather than "/" + text: GCC 12 at -O3 warns falsely (-Wrestrict) about the operator form.
      std::string text = "/";
      text += std::to_string(MaskToPrefix(mask));
      return text;
    }
    case MaskForm::Dotted:
      break;
  }
  return InetNtoa(mask);
}

int StepPrefix(int p, bool up) {
  if (up) return p < kMaskTableLast ? p + 1 : kMaskTableFirst;
  return p > kMaskTableFirst ? p - 1 : kMaskTableLast;
}

std::array<MaskTableRow, kMaskTableLast - kMaskTableFirst + 1> MaskTableRows() {
  std::array<MaskTableRow, kMaskTableLast - kMaskTableFirst + 1> rows{};
  for (int p = kMaskTableFirst; p <= kMaskTableLast; ++p) {
    const Ipv4 mask = PrefixToMask(p);
    rows[std::size_t(p - kMaskTableFirst)] = {p, mask, ~mask, (std::int64_t{1} << (32 - p)) - 2};
  }
  return rows;
}

}  // namespace quorvane
