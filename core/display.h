// The additional view: a value written in binary, decimal or hexadecimal.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/ipv4.h"

namespace quorvane {

// The display types, numbered as the entries of the display-type selector and stored in the settings.
enum DisplayType : std::uint8_t { kBinary = 0, kDecimal = 1, kHexadecimal = 2 };

// A value written in a display type: at most 35 characters, held without a heap allocation, since a
// calculation writes seven of them.
class DisplayText {
 public:
  std::string_view view() const { return {m_chars.data(), m_size}; }
  std::string str() const { return std::string(view()); }
  friend bool operator==(const DisplayText& text, std::string_view other) { return text.view() == other; }

 private:
  friend DisplayText ConvertTostring(std::uint32_t value, std::uint8_t displayType);
  std::array<char, 35> m_chars{};
  std::uint8_t m_size = 0;
};

// The value in the given display type: binary octets joined by ".", one unsigned decimal number, or
// upper-case two-digit hexadecimal octets joined by ".". Any other type gives the empty text.
DisplayText ConvertTostring(Ipv4 value, std::uint8_t displayType);

}  // namespace quorvane
