// Facts about an IPv4 address or network for the address details: historical class, reverse DNS names, bits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/ipv4.h"

namespace quorvane {

// The class of the address before classless routing (RFC 791, RFC 1112), by its leading bits:
// 0 A, 10 B, 110 C, 1110 D (multicast), 1111 E (reserved).
enum class Ipv4Class : char { A = 'A', B = 'B', C = 'C', D = 'D', E = 'E' };

Ipv4Class HistoricalClass(Ipv4 address);

// The PTR name of the address: "6.28.168.192.in-addr.arpa" for 192.168.28.6.
std::string ReverseDnsName(Ipv4 address);

// More zones than this are given by their count, first and last only.
inline constexpr std::uint32_t kListedReverseZones = 16;

// The reverse zones that hold a network's addresses. Zones are cut on octet boundaries, so:
//   /0, /8, /16, /24     one zone, the network's own ("28.168.192.in-addr.arpa"; /0 is "in-addr.arpa")
//   /25 to /32           one zone, the /24 holding the network, and the name under which the network is
//                        delegated inside it (RFC 2317): "0-31.28.168.192.in-addr.arpa" for 192.168.28.0/27;
//                        a /32 is delegated by its own PTR name ("6.28.168.192.in-addr.arpa")
//   any other prefix     every zone of the next octet boundary that it covers: 2.1.10.in-addr.arpa and
//                        3.1.10.in-addr.arpa for 10.1.2.0/23; up to 128 of them (for /1, /9 and /17)
struct ReverseZones {
  int zonePrefix = 0;       // the prefix of each zone: 0, 8, 16 or 24
  std::uint32_t count = 0;  // the number of zones, at least 1
  std::vector<std::string>
      zones;          // all of them, in address order, when count <= kListedReverseZones; else empty
  std::string first;  // the first and last zone, equal when count is 1
  std::string last;
  std::string classless;  // /25 to /32 only: the RFC 2317 delegation name
};

// The address bits below the prefix are ignored. Prefix 0..32 (Exception otherwise).
ReverseZones ReverseDnsZones(Ipv4 network, int prefix);

// The address in binary, octets separated by dots, with '|' between network and host bits:
// "11000000.10101000.00011100.000|00110" for 192.168.28.6/27. On an octet boundary the '|' takes the
// dot's place ("...00011100|00000110" for /24), so the octets stay apart either way; /0 starts with '|' and
// /32 ends with it, so that the boundary is always shown. Prefix 0..32 (Exception otherwise).
std::string BinaryWithBoundary(Ipv4 address, int prefix);

}  // namespace quorvane
