// IPv6 addresses: text, blocks, reverse names and embedded IPv4 addresses.
#include "core/ipv6.h"

#include <algorithm>
#include <array>

#include "core/exception.h"

namespace quorvane {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool isDecimal(char c) { return c >= '0' && c <= '9'; }

// The eight 16-bit groups, most significant first.
std::array<std::uint16_t, 8> groupsOf(Ipv6 address) {
  std::array<std::uint16_t, 8> groups{};
  for (int i = 0; i < 4; ++i) {
    groups[std::size_t(i)] = std::uint16_t(address.hi >> (48 - 16 * i));
    groups[std::size_t(i + 4)] = std::uint16_t(address.lo >> (48 - 16 * i));
  }
  return groups;
}

// The dotted tail of an IPv6 text: exactly four decimal parts 0..255 without leading zeros, and nothing
// after them. Stricter than inet_addr: no octal, no hexadecimal, no short forms.
std::optional<Ipv4> parseDottedTail(std::string_view text) {
  Ipv4 value = 0;
  std::size_t i = 0;
  for (int part = 0;; ++part) {
    const std::size_t start = i;
    unsigned octet = 0;
    // Three digits at most: a fourth one is then not the "." that must follow and rejects the text.
    while (i < text.size() && i - start < 3 && isDecimal(text[i]))
      octet = octet * 10 + unsigned(text[i++] - '0');
    if (i == start || octet > 255 || (i - start > 1 && text[start] == '0')) return std::nullopt;
    value = (value << 8) | octet;
    if (part == 3) {
      if (i != text.size()) return std::nullopt;
      return value;
    }
    if (i == text.size() || text[i] != '.') return std::nullopt;
    ++i;
  }
}

// Appends the dotted decimal text of an IPv4 value.
char* writeDotted(char* out, Ipv4 value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    const unsigned octet = (value >> shift) & 0xFFu;
    if (octet >= 100) *out++ = char('0' + octet / 100);
    if (octet >= 10) *out++ = char('0' + octet / 10 % 10);
    *out++ = char('0' + octet % 10);
    if (shift) *out++ = '.';
  }
  return out;
}

// Appends a group without leading zeros.
char* writeGroup(char* out, std::uint16_t group) {
  bool started = false;
  for (int shift = 12; shift >= 0; shift -= 4) {
    const unsigned digit = (group >> shift) & 0xFu;
    if (digit != 0 || started || shift == 0) {
      *out++ = kHexDigits[digit];
      started = true;
    }
  }
  return out;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Decimal digits and nothing else, 0..128. The value saturates, so any number of leading zeros or digits
// is read without overflow.
std::optional<int> readPrefixDigits(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  int value = 0;
  for (const char c : digits) {
    if (!isDecimal(c)) return std::nullopt;
    value = std::min(value * 10 + (c - '0'), 1000);
  }
  if (value > 128) return std::nullopt;
  return value;
}

bool isZoneCharacter(char c) { return c > ' ' && c < 0x7F && c != '/' && c != '%' && c != '[' && c != ']'; }

void requirePrefix(int prefix) {
  if (prefix < 0 || prefix > 128)
    throw Exception("The prefix length " + std::to_string(prefix) + " is outside 0..128");
}

// The zone name of the block that starts at `network` and spans the top `nibbles` nibbles.
std::string zoneName(Ipv6 network, int nibbles) {
  std::string name;
  name.reserve(std::size_t(nibbles) * 2 + 8);
  for (int i = nibbles - 1; i >= 0; --i) {
    name.push_back(kHexDigits[(network >> (124 - 4 * i)).lo & 0xFu]);
    name.push_back('.');
  }
  name += "ip6.arpa";
  return name;
}

}  // namespace

std::optional<Ipv4> ParseDottedQuad(std::string_view text) { return parseDottedTail(text); }

std::optional<Ipv6> ParseIpv6(std::string_view text) {
  std::array<std::uint16_t, 8> groups{};
  int count = 0;
  int gap = -1;  // the number of groups before the "::", when there is one
  std::size_t i = 0;
  const std::size_t n = text.size();
  if (n == 0) return std::nullopt;

  // Each turn starts where a group or the "::" may stand: at the start, after "::" or after "group:".
  for (;;) {
    if (text[i] == ':') {
      if (i + 1 == n || text[i + 1] != ':' || gap >= 0) return std::nullopt;
      gap = count;
      i += 2;
      if (i == n) break;
      continue;
    }
    const std::size_t start = i;
    unsigned value = 0;
    for (int digit; i < n && i - start < 4 && (digit = hexValue(text[i])) >= 0; ++i)
      value = value * 16 + unsigned(digit);
    if (i < n && text[i] == '.') {
      // What was read as hexadecimal is the first part of a dotted IPv4 tail; it fills the last two groups.
      if (count > 6) return std::nullopt;
      const std::optional<Ipv4> tail = parseDottedTail(text.substr(start));
      if (!tail) return std::nullopt;
      groups[std::size_t(count++)] = std::uint16_t(*tail >> 16);
      groups[std::size_t(count++)] = std::uint16_t(*tail);
      break;
    }
    if (i == start || count == 8) return std::nullopt;
    groups[std::size_t(count++)] = std::uint16_t(value);
    if (i == n) break;
    // Anything but a colon here is a bad character or a fifth digit.
    if (text[i] != ':') return std::nullopt;
    if (i + 1 < n && text[i + 1] == ':') continue;  // the "::" is read at the top of the next turn
    if (++i == n) return std::nullopt;              // a single colon at the end
  }
  // "::" stands for at least one zero group.
  if (gap < 0 ? count != 8 : count > 7) return std::nullopt;

  std::array<std::uint16_t, 8> full{};
  const int before = gap < 0 ? count : gap;
  for (int g = 0; g < before; ++g) full[std::size_t(g)] = groups[std::size_t(g)];
  for (int g = before; g < count; ++g) full[std::size_t(8 - count + g)] = groups[std::size_t(g)];
  Ipv6 address;
  for (int g = 0; g < 4; ++g) {
    address.hi = (address.hi << 16) | full[std::size_t(g)];
    address.lo = (address.lo << 16) | full[std::size_t(g + 4)];
  }
  return address;
}

std::optional<PastedIpv6> ReadPastedIpv6(std::string_view text) {
  text = trimBlanks(text);
  PastedIpv6 result;
  if (const std::size_t slash = text.find('/'); slash != std::string_view::npos) {
    result.prefix = readPrefixDigits(text.substr(slash + 1));
    if (!result.prefix) return std::nullopt;
    text = text.substr(0, slash);
  }
  if (!text.empty() && text.front() == '[') {
    if (text.size() < 2 || text.back() != ']') return std::nullopt;
    text = text.substr(1, text.size() - 2);
  }
  if (const std::size_t percent = text.find('%'); percent != std::string_view::npos) {
    const std::string_view zone = text.substr(percent + 1);
    if (zone.empty()) return std::nullopt;
    for (const char c : zone) {
      if (!isZoneCharacter(c)) return std::nullopt;
    }
    result.zone = std::string(zone);
    text = text.substr(0, percent);
  }
  const std::optional<Ipv6> address = ParseIpv6(text);
  if (!address) return std::nullopt;
  result.address = *address;
  return result;
}

std::optional<int> ReadIpv6Prefix(std::string_view text) {
  text = trimBlanks(text);
  if (!text.empty() && text.front() == '/') text.remove_prefix(1);
  return readPrefixDigits(text);
}

std::string FormatIpv6(Ipv6 address) {
  char buffer[40];
  char* out = buffer;
  if (address.hi == 0 && (address.lo >> 32) == 0xFFFF) {
    constexpr std::string_view kMapped = "::ffff:";
    out = std::copy(kMapped.begin(), kMapped.end(), out);
    out = writeDotted(out, Ipv4(address.lo));
    return {buffer, std::size_t(out - buffer)};
  }
  const std::array<std::uint16_t, 8> groups = groupsOf(address);
  // The longest run of zero groups; a later run must be strictly longer to win, so ties go to the first.
  int bestStart = -1, bestLength = 1;
  for (int g = 0; g < 8;) {
    if (groups[std::size_t(g)] != 0) {
      ++g;
      continue;
    }
    const int start = g;
    while (g < 8 && groups[std::size_t(g)] == 0) ++g;
    if (g - start > bestLength) {
      bestStart = start;
      bestLength = g - start;
    }
  }
  for (int g = 0; g < 8; ++g) {
    if (g == bestStart) {
      *out++ = ':';
      *out++ = ':';
      g += bestLength - 1;
      continue;
    }
    if (g != 0 && g != bestStart + bestLength) *out++ = ':';
    out = writeGroup(out, groups[std::size_t(g)]);
  }
  return {buffer, std::size_t(out - buffer)};
}

std::string ExpandIpv6(Ipv6 address) {
  std::string text(39, ':');
  const std::array<std::uint16_t, 8> groups = groupsOf(address);
  for (std::size_t g = 0; g < 8; ++g) {
    for (std::size_t d = 0; d < 4; ++d) text[g * 5 + d] = kHexDigits[(groups[g] >> (12 - 4 * d)) & 0xFu];
  }
  return text;
}

Ipv6Network CalculateIpv6Network(Ipv6 address, int prefix) {
  requirePrefix(prefix);
  Ipv6Network block;
  block.address = address;
  block.prefix = prefix;
  const U128 mask = PrefixMask(prefix);
  block.network = address & mask;
  block.first = block.network;
  block.last = block.network | ~mask;
  block.countExponent = 128 - prefix;
  if (prefix > 0) block.count = PowerOfTwo(block.countExponent);
  return block;
}

std::string PowerOfTwoText(int n) {
  if (n < 0 || n > 128) throw Exception("2^" + std::to_string(n) + " is not an IPv6 address count");
  // Every count is a power of two, and writing 2^64 by repeated division costs a microsecond: the 129 texts
  // are made once, by doubling decimal digits, which also gives 2^128 that no 128-bit value holds.
  static const std::array<std::string, 129> kTexts = [] {
    std::array<std::string, 129> texts;
    std::string digits = "1";  // least significant first while doubling
    for (std::string& text : texts) {
      text.assign(digits.rbegin(), digits.rend());
      int carry = 0;
      for (char& d : digits) {
        const int twice = (d - '0') * 2 + carry;
        d = char('0' + twice % 10);
        carry = twice / 10;
      }
      if (carry) digits.push_back('1');
    }
    return texts;
  }();
  return kTexts[std::size_t(n)];
}

std::string AddressCountText(const Ipv6Network& block) {
  std::string text = PowerOfTwoText(block.countExponent);
  text += " (2^";
  text += std::to_string(block.countExponent);
  text += ')';
  return text;
}

std::string Ipv6ReverseName(Ipv6 address) { return zoneName(address, 32); }

ReverseZones Ipv6ReverseZones(Ipv6 address, int prefix, std::uint64_t listLimit) {
  requirePrefix(prefix);
  const int zonePrefix = (prefix + 3) / 4 * 4;
  const int nibbles = zonePrefix / 4;
  const Ipv6 network = address & PrefixMask(prefix);
  ReverseZones zones;
  zones.count = std::uint64_t(1) << (zonePrefix - prefix);
  const auto zoneAt = [&](std::uint64_t k) {
    return zoneName(network + (U128(k) << (128 - zonePrefix)), nibbles);
  };
  // A single zone is always listed, whatever the limit.
  zones.listed = zones.count <= std::max<std::uint64_t>(listLimit, 1);
  if (zones.listed) {
    for (std::uint64_t k = 0; k < zones.count; ++k) zones.names.push_back(zoneAt(k));
  } else {
    zones.names = {zoneAt(0), zoneAt(zones.count - 1)};
  }
  return zones;
}

EmbeddedIpv4 FindEmbeddedIpv4(Ipv6 address) {
  EmbeddedIpv4 found;
  const Ipv4 low32 = Ipv4(address.lo);
  if (address.hi == 0 && (address.lo >> 32) == 0xFFFF) {
    found.kind = EmbeddedIpv4Kind::Mapped;
    found.address = low32;
  } else if (address.hi == 0x0064FF9B00000000u && (address.lo >> 32) == 0) {
    found.kind = EmbeddedIpv4Kind::Nat64;
    found.address = low32;
  } else if ((address.hi >> 48) == 0x2002) {
    found.kind = EmbeddedIpv4Kind::SixToFour;
    found.address = Ipv4(address.hi >> 16);
  } else if ((address.hi >> 32) == 0x20010000) {
    // The client address is stored inverted, so that NATs rewriting IPv4 addresses in payloads leave it
    // alone.
    found.kind = EmbeddedIpv4Kind::Teredo;
    found.server = Ipv4(address.hi);
    found.address = ~low32;
  }
  return found;
}

MulticastScope Ipv6MulticastScope(Ipv6 address) {
  if ((address.hi >> 56) != 0xFF) return MulticastScope::NotMulticast;
  switch ((address.hi >> 48) & 0xF) {
    case 0x0:
    case 0xF:
      return MulticastScope::Reserved;
    case 0x1:
      return MulticastScope::InterfaceLocal;
    case 0x2:
      return MulticastScope::LinkLocal;
    case 0x3:
      return MulticastScope::RealmLocal;
    case 0x4:
      return MulticastScope::AdminLocal;
    case 0x5:
      return MulticastScope::SiteLocal;
    case 0x8:
      return MulticastScope::OrganizationLocal;
    case 0xE:
      return MulticastScope::Global;
    default:
      return MulticastScope::Unassigned;
  }
}

}  // namespace quorvane
