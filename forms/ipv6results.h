// The texts of the IPv6 window's result fields, from an address and a prefix length.
#pragma once

#include <QString>
#include <array>

#include "core/ipv6.h"

namespace quorvane {

// The result fields in the window's order.
enum class Ipv6Field {
  Expanded,    // the address in eight groups of four digits
  Compressed,  // the address as RFC 5952 writes it
  Network,     // the network, compressed, with its prefix: "2001:db8:abcd:12::/64"
  First,       // the network address itself
  Last,        // the network address with every host bit set
  Count,       // "18446744073709551616 (2^64)"
  Type,        // the most specific registry block, or what the address is without one
  Embedded,    // the IPv4 address that the address carries, empty when it carries none
  Reverse,     // the ip6.arpa name of the address
  Zone,        // the ip6.arpa zone or zones of the network
};
inline constexpr int kIpv6FieldCount = 10;

using Ipv6ResultTexts = std::array<QString, kIpv6FieldCount>;

// Every field of the block of `prefix` (0..128) around the address; words from the text table.
Ipv6ResultTexts Ipv6Results(Ipv6 address, int prefix);

// The registry's most specific block with its reference and reachability ("Documentation (RFC 3849),
// globally reachable: no"), a multicast address with its scope, "Global unicast" inside 2000::/3 where no
// smaller block holds the address, and the address-space registry's word for the rest.
QString Ipv6TypeText(Ipv6 address);

// The embedded IPv4 address: the last 32 bits of an IPv4-mapped or NAT64 address, bits 16 to 47 of a 6to4
// one, and for Teredo the server and the (inverted) client; empty for any other address.
QString EmbeddedIpv4Text(Ipv6 address);

// One zone as it is; up to 16 zones listed, separated by blanks; more as their count with the first and
// the last.
QString ReverseZonesText(const ReverseZones& zones);

}  // namespace quorvane
