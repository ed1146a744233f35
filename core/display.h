// The additional view: a value written in binary, decimal or hexadecimal.
#pragma once

#include <cstdint>
#include <string>

#include "core/ipv4.h"

namespace quorvane {

// The display types, numbered as the entries of the display-type selector and stored in the settings.
enum DisplayType : std::uint8_t { kBinary = 0, kDecimal = 1, kHexadecimal = 2 };

// The eight bits of an octet, most significant first: 6 gives "00000110".
std::string ByteToBin(std::uint8_t octet);

// The value in the given display type: binary octets joined by ".", one unsigned decimal number, or
// upper-case two-digit hexadecimal octets joined by ".". Any other type gives the empty text.
std::string ConvertTostring(Ipv4 value, std::uint8_t displayType);

}  // namespace quorvane
