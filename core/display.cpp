// The additional view of a value.
#include "core/display.h"

#include <charconv>
#include <cstring>

namespace quorvane {

namespace {

std::uint8_t octet(Ipv4 value, int index) { return static_cast<std::uint8_t>(value >> (24 - 8 * index)); }

// The eight binary digits of every octet, so that the binary view copies them instead of testing bits.
constexpr auto kOctetBits = [] {
  std::array<std::array<char, 8>, 256> table{};
  for (int value = 0; value < 256; ++value)
    for (int bit = 0; bit < 8; ++bit) table[value][7 - bit] = (value >> bit) & 1 ? '1' : '0';
  return table;
}();

}  // namespace

DisplayText ConvertTostring(Ipv4 value, std::uint8_t displayType) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  DisplayText text;
  char* const buffer = text.m_chars.data();
  char* out = buffer;
  switch (displayType) {
    case kBinary:
      for (int i = 0; i < 4; ++i) {
        if (i) *out++ = '.';
        std::memcpy(out, kOctetBits[octet(value, i)].data(), 8);
        out += 8;
      }
      break;
    case kDecimal:
      out = std::to_chars(buffer, buffer + text.m_chars.size(), value).ptr;
      break;
    case kHexadecimal:
      for (int i = 0; i < 4; ++i) {
        if (i) *out++ = '.';
        *out++ = kHexDigits[octet(value, i) >> 4];
        *out++ = kHexDigits[octet(value, i) & 0xF];
      }
      break;
    default:
      break;
  }
  text.m_size = static_cast<std::uint8_t>(out - buffer);
  return text;
}

}  // namespace quorvane
