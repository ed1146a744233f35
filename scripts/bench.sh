#!/usr/bin/env bash
# Builds the benchmarks in a Release build of their own (build-release/) and prints one table of medians,
# each beside its baseline and its goal. Takes a few minutes once built, most of it in the peer tools
# that the planner rows run as processes (ipcalc-ng, netmask, python3).
# Usage: bash scripts/bench.sh [--runs N]   (starts of each program for the process rows; 21 by default)
# The goals are reported, not enforced: a missed goal leaves the exit status 0. Not part of the test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build-release
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# The peer tools of the planner rows; setup.sh installs the rest of what is missing and builds. Warnings do not
# stop a benchmark build.
# shellcheck source=scripts/packages.sh
source scripts/packages.sh
install_packages ipcalc-ng netmask python3 >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
if ! bash scripts/setup.sh "$build_dir" -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BENCH=ON -DQUORVANE_TESTS=OFF \
  -DQUORVANE_WERROR=OFF >"$log" 2>&1; then
  cat "$log" >&2
  echo "bench: the build failed" >&2
  exit 1
fi
"$build_dir/bench/quorvane_bench" "$@"
