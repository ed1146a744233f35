// The additional view of a value.
#include "core/display.h"

namespace quorvane {

namespace {

std::uint8_t octet(Ipv4 value, int index) { return static_cast<std::uint8_t>(value >> (24 - 8 * index)); }

}  // namespace

std::string ByteToBin(std::uint8_t octet) {
  std::string bits(8, '0');
  for (int bit = 0; bit < 8; ++bit)
    if (octet & (1u << bit)) bits[7 - bit] = '1';
  return bits;
}

std::string ConvertTostring(Ipv4 value, std::uint8_t displayType) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string text;
  switch (displayType) {
    case kBinary:
      for (int i = 0; i < 4; ++i) {
        if (i) text += '.';
        text += ByteToBin(octet(value, i));
      }
      break;
    case kDecimal:
      text = std::to_string(value);
      break;
    case kHexadecimal:
      for (int i = 0; i < 4; ++i) {
        if (i) text += '.';
        text += kHexDigits[octet(value, i) >> 4];
        text += kHexDigits[octet(value, i) & 0xF];
      }
      break;
    default:
      break;
  }
  return text;
}

}  // namespace quorvane
