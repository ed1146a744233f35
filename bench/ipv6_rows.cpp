// The IPv6 core's benchmark row, against the C library reading and writing the same address.
#include "bench/ipv6_rows.h"

#include <arpa/inet.h>

#include <optional>
#include <string>

#include "core/ipv6.h"
#include "core/registry.h"

namespace quorvane::bench {

void ipv6CoreRows(std::vector<Row>& rows, int repetitions) {
  Row row{QStringLiteral("IPv6 core calculation"), Unit::Time};
  row.baselineName = QStringLiteral("inet_pton and inet_ntop of the same address text");
  row.ceiling = 1e3;
  // A /64 gives a count of 20 digits and addresses that compress in the middle, the common case.
  const std::string addressText = "2001:db8:85a3:8d3:1319:8a2e:370:7348";
  const std::string prefixText = "/64";

  const std::optional<PastedIpv6> check = ReadPastedIpv6(addressText);
  if (!check ||
      FormatIpv6(CalculateIpv6Network(check->address, 64).last) != "2001:db8:85a3:8d3:ffff:ffff:ffff:ffff") {
    row.failure = QStringLiteral("the calculation gave a wrong block");
    rows.push_back(row);
    return;
  }

  // Everything the window computes: the address, network, first and last address in both forms, the count,
  // the block of the registry, the embedded IPv4 address and the reverse name and zone.
  const auto calculate = [&] {
    doNotOptimize(addressText.data());
    doNotOptimize(prefixText.data());
    const std::optional<PastedIpv6> input = ReadPastedIpv6(addressText);
    const std::optional<int> prefix = ReadIpv6Prefix(prefixText);
    const Ipv6Network block = CalculateIpv6Network(input->address, *prefix);
    for (const Ipv6 value : {block.address, block.network, block.first, block.last}) {
      const std::string compressed = FormatIpv6(value);
      const std::string expanded = ExpandIpv6(value);
      doNotOptimize(compressed.data());
      doNotOptimize(expanded.data());
    }
    const std::string count = AddressCountText(block);
    doNotOptimize(count.data());
    // What the window shows beside the block: the registry's block, the embedded IPv4 address, the reverse
    // name and zone.
    doNotOptimize(ClassifyAddress(6, block.address).block);
    doNotOptimize(FindEmbeddedIpv4(block.address).address);
    const std::string reverse = Ipv6ReverseName(block.address);
    const ReverseZones zones = Ipv6ReverseZones(block.address, block.prefix);
    doNotOptimize(reverse.data());
    doNotOptimize(zones.names.data());
  };
  const auto library = [&] {
    doNotOptimize(addressText.data());
    in6_addr address{};
    inet_pton(AF_INET6, addressText.c_str(), &address);
    char text[INET6_ADDRSTRLEN];
    inet_ntop(AF_INET6, &address, text, sizeof text);
    doNotOptimize(text[0]);
  };
  row.result = microPair(calculate, library, repetitions);
  rows.push_back(row);
}

}  // namespace quorvane::bench
