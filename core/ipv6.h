// IPv6 addresses: reading and writing their text, the block of a prefix, reverse names and what they embed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ipv4.h"
#include "core/u128.h"

namespace quorvane {

// An IPv6 address as one 128-bit value: the first group of the text is the most significant 16 bits.
using Ipv6 = U128;

// ---- Reading ----------------------------------------------------------------------------------------------

// Exactly what inet_pton(AF_INET6) of the C library accepts, with the value it gives:
//   - eight groups of one to four hexadecimal digits of either case, separated by single colons;
//   - or fewer groups and one "::" standing for the one or more zero groups missing ("::" alone is all
//     zeros; "::" beside eight groups is rejected); a text may begin or end with "::" but not with a single
//     colon, and ":::" or a second "::" is rejected;
//   - the last 32 bits may be written as a dotted IPv4 address of exactly four decimal parts 0..255 without
//     leading zeros ("1.2.3.4", not "01.2.3.4"), and only there.
// Nothing else: no blanks, no brackets, no zone, no prefix. A text holding a NUL byte is rejected, since
// inet_pton would stop reading there.
std::optional<Ipv6> ParseIpv6(std::string_view text);

// An IPv4 address by the rule of the dotted tail above: exactly four decimal parts 0..255 without leading
// zeros, nothing before or after. The planner's lists read IPv4 this way, so that "010.0.0.1" is an error
// rather than 8.0.0.1, and an address followed by a blank and more text is never taken for the address.
std::optional<Ipv4> ParseDottedQuad(std::string_view text);

// An address as people paste it, split into its parts.
struct PastedIpv6 {
  Ipv6 address;
  std::optional<int> prefix;  // 0..128 when the text ended in "/prefix"
  std::string zone;           // the zone index after "%", without the "%"; empty when there was none
};

// Reads an address the way it is pasted from a terminal, a configuration file or a URL. In order:
//   1. Blanks (space, tab, CR, LF, VT, FF) around the whole text are dropped; none are allowed inside.
//   2. An optional "/prefix" at the end: decimal digits only (leading zeros allowed, no sign), 0..128.
//   3. An optional pair of brackets around what is left: "[addr]" or "[addr%zone]".
//   4. An optional "%zone" (RFC 4007) after the address: at least one printable ASCII character, none of
//      them a blank, "/", "%", "[" or "]". The zone is kept for the caller and plays no part in the value.
//   5. The address by ParseIpv6.
// So "[::1]/64", "fe80::1%eth0/64" and "[fe80::1%eth0]/64" are accepted (prefix 64, the last two with zone
// "eth0"), while these are rejected: the prefix inside the brackets ("[2001:db8::/32]": brackets enclose a
// host, and a prefix is not part of one), the zone after the brackets ("[fe80::1]%eth0"), a port
// ("[::1]:80"), an unpaired or doubled bracket, an empty zone ("fe80::1%"), an empty prefix ("::1/"), blanks
// around "/" or "%", and a second "/". The URI escape "%25" is not decoded: "[fe80::1%25eth0]" has the zone
// "25eth0", as a zone may itself be a number.
std::optional<PastedIpv6> ReadPastedIpv6(std::string_view text);

// The prefix field of its own: a decimal number 0..128, with or without one leading "/", blanks around the
// whole allowed ("  /64 ", "64"). Rejected: empty text, a sign, blanks between "/" and the digits, "//64",
// anything after the digits, values above 128. Leading zeros are allowed ("/064" is 64).
std::optional<int> ReadIpv6Prefix(std::string_view text);

// ---- Writing ----------------------------------------------------------------------------------------------

// The RFC 5952 text: lower case, no leading zeros in a group, the longest run of two or more zero groups
// written as "::" (the first of equal runs), a lone zero group written as "0". An IPv4-mapped address
// (::ffff:0:0/96) is written ::ffff:a.b.c.d (RFC 5952 section 5); every other address, the deprecated
// IPv4-compatible ones included, is written in hexadecimal only. At most 39 characters.
std::string FormatIpv6(Ipv6 address);

// Eight groups of four lower-case hexadecimal digits: "2001:0db8:0000:...:0001", always 39 characters.
std::string ExpandIpv6(Ipv6 address);

// ---- The block of a prefix -------------------------------------------------------------------------------

struct Ipv6Network {
  Ipv6 address;  // as given
  int prefix = 0;
  Ipv6 network;  // the address with its host bits cleared
  Ipv6 first;    // the network address itself: IPv6 has no broadcast address to keep out of the range
  Ipv6 last;     // the network address with its host bits set
  // The block holds 2^countExponent addresses (128 - prefix). That count fits 128 bits for every prefix
  // but /0, whose 2^128 addresses leave `count` empty.
  int countExponent = 0;
  std::optional<U128> count;
};

// The block of `prefix` (0..128) around the address. Every prefix is a usable block: /127 is a
// point-to-point link of two addresses (RFC 6164) and /128 one address. Throws Exception for a prefix
// outside 0..128.
Ipv6Network CalculateIpv6Network(Ipv6 address, int prefix);

// The exact decimal text of 2^n for n in 0..128: "1", "18446744073709551616", and for n = 128 (a /0 block)
// "340282366920938463463374607431768211456". Throws Exception for n outside 0..128.
std::string PowerOfTwoText(int n);

// The count of a block with its power of two: "18446744073709551616 (2^64)", "1 (2^0)".
std::string AddressCountText(const Ipv6Network& block);

// ---- Reverse DNS ------------------------------------------------------------------------------------------

// The ip6.arpa name of the address: its 32 nibbles, least significant first, each followed by a dot, then
// "ip6.arpa" ("1.0.0.0. ... .8.b.d.0.1.0.0.2.ip6.arpa"), without a trailing dot.
std::string Ipv6ReverseName(Ipv6 address);

// The reverse zones that hold the names of a block. Zones are cut at nibble boundaries, so a prefix that is
// a multiple of 4 has exactly one zone (the first prefix/4 nibbles of the network; "ip6.arpa" for /0), and
// any other prefix is spread over every zone of the next multiple of 4 inside the block: 2, 4 or 8 of them.
struct ReverseZones {
  std::uint64_t count = 0;         // how many zones the block covers
  bool listed = false;             // true when `names` holds every zone, in order
  std::vector<std::string> names;  // every zone, or only the first and the last when there are too many
};

// The list gives every zone up to `listLimit` of them and otherwise the count with the first and the last
// zone. With nibble zones the count never exceeds 8, so the default limit always lists; the limit is kept a
// parameter so that the rule stays one rule for every caller. The address need not be the network address.
ReverseZones Ipv6ReverseZones(Ipv6 address, int prefix, std::uint64_t listLimit = 16);

// ---- What an address carries ------------------------------------------------------------------------------

enum class EmbeddedIpv4Kind : std::uint8_t {
  None,
  Mapped,     // ::ffff:0:0/96: the last 32 bits
  Nat64,      // 64:ff9b::/96, the well-known NAT64 prefix (RFC 6052): the last 32 bits
  SixToFour,  // 2002::/16 (RFC 3056): bits 16 to 47
  Teredo,     // 2001::/32 (RFC 4380): the server in bits 32 to 63, the client in the last 32 bits inverted
};

// The IPv4 address(es) an IPv6 address carries by its prefix. Any 32-bit value is a real address here,
// 255.255.255.255 included: kInvalid means nothing in this struct.
struct EmbeddedIpv4 {
  EmbeddedIpv4Kind kind = EmbeddedIpv4Kind::None;
  Ipv4 address = 0;  // the embedded address; for Teredo the client
  Ipv4 server = 0;   // Teredo only: the Teredo server
};

EmbeddedIpv4 FindEmbeddedIpv4(Ipv6 address);

// The scope of a multicast address (ff00::/8), from its 4-bit scope field (RFC 4291 section 2.7, RFC 7346).
enum class MulticastScope : std::uint8_t {
  NotMulticast,       // the address is outside ff00::/8
  Reserved,           // scope 0 or f
  InterfaceLocal,     // 1
  LinkLocal,          // 2
  RealmLocal,         // 3
  AdminLocal,         // 4
  SiteLocal,          // 5
  OrganizationLocal,  // 8
  Global,             // e
  Unassigned,         // 6, 7, 9, a, b, c, d
};

MulticastScope Ipv6MulticastScope(Ipv6 address);

}  // namespace quorvane
