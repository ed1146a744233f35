// IPv4 values and their dotted text, read and written by the C library's own inet_addr and inet_ntoa.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

// An IPv4 value in host order: the first octet of the dotted text is the most significant byte.
using Ipv4 = std::uint32_t;

// The all-ones value is what inet_addr returns for text it rejects, so it doubles as the invalid marker:
// 255.255.255.255 is accepted neither as an address nor as a mask.
inline constexpr Ipv4 kInvalid = 0xFFFFFFFFu;

// inet_addr of the text exactly as it stands (one to four parts, decimal, 0 octal, 0x hexadecimal).
// A text holding a NUL byte is rejected: inet_addr would stop reading there and accept the part before.
Ipv4 InetAddr(std::string_view text);

// The dotted decimal text that inet_ntoa writes.
std::string InetNtoa(Ipv4 value);

}  // namespace quorvane
