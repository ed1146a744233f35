// The subnet calculation.
#include "core/subnet.h"

#include "core/mask.h"

namespace quorvane {

Subnet CalculateSubnet(Ipv4 address, Ipv4 mask) {
  Subnet s{};
  s.address = address;
  s.mask = mask;
  s.inverse = ~mask;
  s.prefix = MaskToPrefix(mask);
  s.network = address & mask;
  s.broadcast = s.network + s.inverse;
  if (s.prefix == 31) {
    s.minHost = s.network;
    s.maxHost = s.broadcast;
  } else {
    s.minHost = s.network + 1;
    s.maxHost = s.broadcast - 1;
  }
  s.hosts = static_cast<std::int32_t>(s.maxHost - s.minHost + 1);
  return s;
}

std::string HostRangeText(const Subnet& s) { return InetNtoa(s.minHost) + " - " + InetNtoa(s.maxHost); }

}  // namespace quorvane
