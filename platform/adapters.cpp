// The machine's network adapters, read from the kernel's interface address list.
#include "platform/adapters.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <map>
#include <memory>

namespace quorvane {

namespace {

AdapterSource*& sourceOverride() {
  static AdapterSource* source = nullptr;
  return source;
}

// An IPv4 socket address as dotted text; empty when the kernel gave none (an interface without a mask).
QByteArray dotted(const sockaddr* address) {
  if (!address || address->sa_family != AF_INET) return {};
  char text[INET_ADDRSTRLEN] = {};
  const in_addr value = reinterpret_cast<const sockaddr_in*>(address)->sin_addr;
  return ::inet_ntop(AF_INET, &value, text, sizeof(text)) ? QByteArray(text) : QByteArray();
}

}  // namespace

// The entries of every interface with an IPv4 address, ordered by interface index as the kernel numbers
// them; within an interface, its addresses in the order the kernel reports them.
std::optional<QList<Adapter>> SystemAdapterSource::query() {
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return std::nullopt;
  const std::unique_ptr<ifaddrs, decltype(&::freeifaddrs)> owner(list, &::freeifaddrs);
  // A working system always has an interface, if only its loopback.
  if (!list) return std::nullopt;
  std::map<unsigned, Adapter> byIndex;
  for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || (entry->ifa_flags & IFF_LOOPBACK))
      continue;
    const unsigned index = ::if_nametoindex(entry->ifa_name);
    if (index == 0) continue;  // gone while we read
    byIndex[index].addresses.append({dotted(entry->ifa_addr), dotted(entry->ifa_netmask), quint32(index)});
  }
  QList<Adapter> adapters;
  for (auto& [index, adapter] : byIndex) adapters.append(std::move(adapter));
  return adapters;
}

AdapterSource& CurrentAdapterSource() {
  static SystemAdapterSource system;
  return sourceOverride() ? *sourceOverride() : system;
}

void SetAdapterSourceForTests(AdapterSource* source) { sourceOverride() = source; }

}  // namespace quorvane
