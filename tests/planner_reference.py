#!/usr/bin/env python3
"""The planner's reference figures, computed by Python's ipaddress module.

Reads one case a line on stdin and prints one answer a line, in the same order. Addresses travel as hex
integers, so that no text form of either side is involved; blocks are written "hex/prefix".

  split W NET P Q LIMIT      count=N, the first LIMIT subnets of NET/P at prefix Q, last=the last subnet
  count W NET P N LIMIT      q=the smallest prefix giving at least N subnets (or "none"), then as split
  summarise ITEM...          the collapsed blocks of each family, IPv4 first, and each family's covering
                             network; ITEM is n:W:HEX:P (a network) or r:W:FIRST:LAST (a range)
"""
import ipaddress
import itertools
import sys


def network(width, value, prefix, strict=True):
    cls = ipaddress.IPv4Network if width == 32 else ipaddress.IPv6Network
    return cls((value, prefix), strict=strict)


def address(width, value):
    return ipaddress.IPv4Address(value) if width == 32 else ipaddress.IPv6Address(value)


def block(net):
    return "%x/%d" % (int(net.network_address), net.prefixlen)


def subnets_line(net, q, limit):
    size = network(net.max_prefixlen, 0, q).num_addresses
    count = net.num_addresses // size
    first = [block(s) for s in itertools.islice(net.subnets(new_prefix=q), limit)]
    last = ipaddress.ip_network("%s/%d" % (net.broadcast_address, q), strict=False)
    return "count=%d %s last=%s" % (count, " ".join(first), block(last))


def split(width, value, p, q, limit):
    return subnets_line(network(width, value, p), q, limit)


def count(width, value, p, wanted, limit):
    net = network(width, value, p)
    for q in range(p, width + 1):
        size = next(net.subnets(new_prefix=q)).num_addresses
        if net.num_addresses // size >= wanted:
            return "q=%d %s" % (q, subnets_line(net, q, limit))
    return "q=none"


def cover(lowest, highest):
    # The longest prefix whose network around the lowest address still holds the highest, by bisection.
    shortest, longest = 0, lowest.max_prefixlen
    while shortest < longest:
        middle = (shortest + longest + 1) // 2
        if highest in network(lowest.max_prefixlen, int(lowest), middle, strict=False):
            shortest = middle
        else:
            longest = middle - 1
    return block(network(lowest.max_prefixlen, int(lowest), shortest, strict=False))


def summarise(items):
    parts = []
    for width in (32, 128):
        nets = []
        for item in items:
            kind, w, a, b = item.split(":")
            if int(w) != width:
                continue
            if kind == "n":
                nets.append(network(width, int(a, 16), int(b)))
            else:
                nets.extend(ipaddress.summarize_address_range(address(width, int(a, 16)),
                                                              address(width, int(b, 16))))
        collapsed = list(ipaddress.collapse_addresses(nets))
        covering = "none"
        if collapsed:
            covering = cover(collapsed[0].network_address, collapsed[-1].broadcast_address)
        parts.append("%d: %s cover=%s" % (width, " ".join(block(n) for n in collapsed), covering))
    return " ; ".join(parts)


def answer(line):
    words = line.split()
    kind = words[0]
    if kind == "split":
        width, value, p, q, limit = int(words[1]), int(words[2], 16), int(words[3]), int(words[4]), int(words[5])
        return split(width, value, p, q, limit)
    if kind == "count":
        width, value, p, wanted, limit = int(words[1]), int(words[2], 16), int(words[3]), int(words[4]), int(words[5])
        return count(width, value, p, wanted, limit)
    if kind == "summarise":
        return summarise(words[1:])
    return "unknown case"


def main():
    out = sys.stdout
    for line in sys.stdin:
        line = line.strip()
        if line:
            out.write(answer(line) + "\n")


if __name__ == "__main__":
    main()
