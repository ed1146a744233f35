// Historical class, reverse DNS names and the marked binary form of IPv4 addresses and networks.
#include "core/ipv4facts.h"

#include "core/exception.h"

namespace quorvane {

namespace {

void checkPrefix(int prefix) {
  if (prefix < 0 || prefix > 32)
    throw Exception("A prefix of " + std::to_string(prefix) + " does not fit an IPv4 network.");
}

Ipv4 networkOf(Ipv4 address, int prefix) {
  return prefix == 0 ? 0 : address & (0xFFFFFFFFu << (32 - prefix));
}

// The zone of the leading prefix / 8 octets of the address: "28.168.192.in-addr.arpa" for /24.
std::string zoneName(Ipv4 address, int zonePrefix) {
  std::string name;
  for (int octet = zonePrefix / 8 - 1; octet >= 0; --octet)
    name += std::to_string((address >> (24 - 8 * octet)) & 0xFF) + '.';
  return name + "in-addr.arpa";
}

}  // namespace

Ipv4Class HistoricalClass(Ipv4 address) {
  if (!(address & 0x80000000u)) return Ipv4Class::A;
  if (!(address & 0x40000000u)) return Ipv4Class::B;
  if (!(address & 0x20000000u)) return Ipv4Class::C;
  if (!(address & 0x10000000u)) return Ipv4Class::D;
  return Ipv4Class::E;
}

std::string ReverseDnsName(Ipv4 address) {
  return std::to_string(address & 0xFF) + '.' + zoneName(address, 24);
}

ReverseZones ReverseDnsZones(Ipv4 network, int prefix) {
  checkPrefix(prefix);
  network = networkOf(network, prefix);
  ReverseZones result;
  result.zonePrefix = prefix >= 24 ? 24 : (prefix + 7) / 8 * 8;
  result.count = prefix >= 24 ? 1 : std::uint32_t(1) << (result.zonePrefix - prefix);
  // Zones of a /8, /16 or /24 step through the octet the zone prefix ends on.
  const Ipv4 step = result.zonePrefix == 0 ? 0 : Ipv4(1) << (32 - result.zonePrefix);
  const Ipv4 lastStart = network + step * (result.count - 1);
  result.first = zoneName(network, result.zonePrefix);
  result.last = zoneName(lastStart, result.zonePrefix);
  if (result.count <= kListedReverseZones) {
    for (std::uint32_t i = 0; i < result.count; ++i)
      result.zones.push_back(zoneName(network + step * i, result.zonePrefix));
  }
  if (prefix == 32) {
    result.classless = ReverseDnsName(network);
  } else if (prefix > 24) {
    const Ipv4 first = network & 0xFF;
    const Ipv4 last = first + (Ipv4(1) << (32 - prefix)) - 1;
    result.classless = std::to_string(first) + '-' + std::to_string(last) + '.' + result.first;
  }
  return result;
}

std::string BinaryWithBoundary(Ipv4 address, int prefix) {
  checkPrefix(prefix);
  std::string text;
  text.reserve(36);
  for (int bit = 0; bit < 32; ++bit) {
    if (bit == prefix)
      text += '|';
    else if (bit % 8 == 0 && bit > 0)
      text += '.';
    text += (address >> (31 - bit)) & 1 ? '1' : '0';
  }
  if (prefix == 32) text += '|';
  return text;
}

}  // namespace quorvane
