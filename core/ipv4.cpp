// IPv4 values and their dotted text.
#include "core/ipv4.h"

#include <arpa/inet.h>

namespace quorvane {

Ipv4 InetAddr(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return kInvalid;
  const std::string terminated(text);
  return ntohl(inet_addr(terminated.c_str()));
}

std::string InetNtoa(Ipv4 value) {
  in_addr address{};
  address.s_addr = htonl(value);
  char buffer[INET_ADDRSTRLEN] = {};
  // inet_ntop writes the same text as inet_ntoa without its static buffer.
  inet_ntop(AF_INET, &address, buffer, sizeof buffer);
  return buffer;
}

}  // namespace quorvane
