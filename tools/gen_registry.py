#!/usr/bin/env python3
"""Writes core/registry_data.cpp, the embedded table of special-purpose address blocks, from the registries'
CSV files in data/ and the multicast and address-space blocks listed below.

Usage: python3 tools/gen_registry.py [--check]
  (from anywhere; rewrites the file only when its text changes; --check only says whether it would, exit 1)
"""

import csv
import ipaddress
import pathlib
import re
import shutil
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
SNAPSHOT = "2026-07-18"
SOURCES = [(4, "data/iana-ipv4-special-registry.csv"), (6, "data/iana-ipv6-special-registry.csv")]
OUTPUT = "core/registry_data.cpp"

# Blocks of the multicast and address-space registries, which the special-purpose registries leave out.
# (block, name, rfc, registry)
OTHER_BLOCKS = [
    ("224.0.0.0/4", "Multicast", "RFC 5771", "Multicast"),
    ("224.0.0.0/24", "Local Network Control Block", "RFC 5771", "Multicast"),
    ("232.0.0.0/8", "Source-Specific Multicast Block", "RFC 4607", "Multicast"),
    ("233.0.0.0/8", "GLOP Block", "RFC 3180", "Multicast"),
    ("233.252.0.0/24", "MCAST-TEST-NET", "RFC 5771", "Multicast"),
    ("234.0.0.0/8", "Unicast-Prefix-based IPv4 Multicast Addresses", "RFC 6034", "Multicast"),
    ("239.0.0.0/8", "Administratively Scoped Block", "RFC 2365", "Multicast"),
    ("ff00::/8", "Multicast", "RFC 4291, Section 2.7", "Multicast"),
    ("2000::/3", "Global Unicast", "RFC 4291", "AddressSpace"),
]

FOOTNOTE = re.compile(r"\s*\[\d+\]\s*$")
FLAGS = {"True": "Flag::Yes", "False": "Flag::No", "N/A": "Flag::Unstated", "": "Flag::Unstated"}


def strip_footnote(text):
    """'False [1]' -> 'False', '192.0.0.0/24 [2]' -> '192.0.0.0/24'."""
    return FOOTNOTE.sub("", text.strip())


def reference(text):
    """'[RFC8190]\\n   [RFC919], Section 7' -> 'RFC 8190, RFC 919, Section 7'."""
    text = re.sub(r"\]\s*\[", "], [", text.strip())
    text = text.replace("[", "").replace("]", "")
    text = re.sub(r"\bRFC(\d)", r"RFC \1", text)
    return re.sub(r"\s+", " ", text)


def read_registry(family, path):
    blocks = []
    with open(ROOT / path, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f))
    header, rows = rows[0], rows[1:]
    expected = ["Address Block", "Name", "RFC", "Allocation Date", "Termination Date", "Source", "Destination",
                "Forwardable", "Globally Reachable", "Reserved-by-Protocol"]
    if header != expected:
        sys.exit(f"{path}: unexpected columns {header}")
    for row in rows:
        if not any(cell.strip() for cell in row):
            continue
        if len(row) != len(expected):
            sys.exit(f"{path}: a row of {len(row)} cells: {row}")
        cells, terminated = row[5:], row[4].strip()
        terminated = "" if terminated == "N/A" else terminated
        flags = [strip_footnote(c) for c in cells]
        for flag in flags:
            if flag not in FLAGS:
                sys.exit(f"{path}: unknown flag value {flag!r}")
        for block in row[0].split(","):
            network = ipaddress.ip_network(strip_footnote(block))
            if network.version != family:
                sys.exit(f"{path}: {network} is not IPv{family}")
            blocks.append({
                "network": network, "name": strip_footnote(row[1]), "rfc": reference(row[2]),
                "allocated": row[3].strip(), "terminated": terminated, "registry": "SpecialPurpose",
                "flags": [FLAGS[f] for f in flags],
            })
    return blocks


def other_blocks():
    return [{
        "network": ipaddress.ip_network(block), "name": name, "rfc": rfc, "allocated": "", "terminated": "",
        "registry": registry, "flags": ["Flag::Unstated"] * 5,
    } for block, name, rfc, registry in OTHER_BLOCKS]


def c_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def table(blocks):
    blocks.sort(key=lambda b: (b["network"].version, int(b["network"].network_address), b["network"].prefixlen))
    seen = set()
    for b in blocks:
        if b["network"] in seen:
            sys.exit(f"{b['network']} is listed twice")
        seen.add(b["network"])
    lines = []
    for i, b in enumerate(blocks):
        net = b["network"]
        # The smallest block holding this one is the nearest earlier one that does: prefix blocks never
        # overlap in part, and the sort puts a holder before what it holds.
        parent = -1
        for j in range(i - 1, -1, -1):
            other = blocks[j]["network"]
            if other.version == net.version and net.subnet_of(other):
                parent = j
                break
        value = int(net.network_address)
        source, destination, forwardable, reachable, reserved = b["flags"]
        lines.append(
            f"    {{U128(0x{value >> 64:x}, 0x{value & (2**64 - 1):x}), {net.version}, {net.prefixlen}, {parent}, "
            f"Registry::{b['registry']}, {c_string(b['name'])}, {c_string(b['rfc'])}, {c_string(b['allocated'])}, "
            f"{c_string(b['terminated'])}, {source}, {destination}, {forwardable}, {reachable}, {reserved}}},"
            f"  // {net}")
    return "\n".join(lines)


def render(blocks):
    sources = " and ".join(path for _, path in SOURCES)
    return f"""// The embedded table of special-purpose address blocks (registry snapshot {SNAPSHOT}).
// Generated by tools/gen_registry.py from {sources}, with the multicast and
// address-space blocks listed in the generator. Do not edit: change the data or the generator and run it again.
#include "core/registry.h"

namespace quorvane {{

namespace {{

// The day the registry files in data/ were taken.
constexpr std::string_view kSnapshotDate = "{SNAPSHOT}";

// network, family, prefix, parent, registry, name, rfc, allocated, terminated,
// source, destination, forwardable, globally reachable, reserved-by-protocol
constexpr Block kBlocks[] = {{
{table(blocks)}
}};

}}  // namespace

std::span<const Block> RegistryBlocks() {{ return kBlocks; }}

std::string_view RegistrySnapshotDate() {{ return kSnapshotDate; }}

}}  // namespace quorvane
"""


def formatted(text):
    """The text as the repository's .clang-format lays it out, so that a rerun reproduces the committed file."""
    tool = shutil.which("clang-format")
    if not tool:
        print("gen_registry: clang-format not found, the output is not formatted", file=sys.stderr)
        return text
    result = subprocess.run([tool, "--style=file", f"--assume-filename={ROOT / OUTPUT}"], input=text,
                            capture_output=True, text=True, check=True, cwd=ROOT)
    return result.stdout


def main():
    blocks = other_blocks()
    for family, path in SOURCES:
        blocks += read_registry(family, path)
    text = formatted(render(blocks))
    out = ROOT / OUTPUT
    if out.exists() and out.read_text(encoding="utf-8") == text:
        print(f"{OUTPUT} is up to date ({len(blocks)} blocks)")
        return
    if "--check" in sys.argv[1:]:
        sys.exit(f"{OUTPUT} is out of date: run python3 tools/gen_registry.py")
    out.write_text(text, encoding="utf-8")
    print(f"wrote {OUTPUT} ({len(blocks)} blocks)")


if __name__ == "__main__":
    main()
