// The subnet of an address and a mask: network, hosts, broadcast and the host count.
#pragma once

#include <cstdint>
#include <string>

#include "core/ipv4.h"

namespace quorvane {

struct Subnet {
  Ipv4 address;
  Ipv4 mask;
  Ipv4 inverse;  // the complement of the mask
  int prefix;
  Ipv4 network;
  Ipv4 broadcast;
  Ipv4 minHost;
  Ipv4 maxHost;
  std::int32_t hosts;  // usable addresses from minHost to maxHost
};

// The mask must be contiguous with a prefix of 1..31 (ReadMask guarantees it).
// A /31 is a point-to-point link whose two addresses are both hosts (RFC 3021): minHost is the network,
// maxHost the broadcast address and hosts 2. Every other prefix leaves the network and broadcast
// addresses out of the host range.
Subnet CalculateSubnet(Ipv4 address, Ipv4 mask);

// The host range as the result field shows it: "192.168.28.1 - 192.168.28.30".
std::string HostRangeText(const Subnet& s);

}  // namespace quorvane
