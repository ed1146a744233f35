#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (in build-fuzz) and runs each for SECONDS (default 60),
# starting from the committed seeds in fuzz/corpus/<target>/. A crash or a broken invariant fails the run;
# the input that caused it is left in build-fuzz/artifacts/.
# Usage: bash scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
build_dir=build-fuzz
targets=(fuzz_mask fuzz_profile fuzz_langfile fuzz_translate)

# What the fuzz build needs: clang and libFuzzer's runtime besides Qt.
packages=(clang libclang-rt-14-dev cmake make qt6-base-dev libgl-dev fonts-dejavu-core)
# shellcheck source=scripts/packages.sh
source scripts/packages.sh
install_packages "${packages[@]}"

cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DQUORVANE_FUZZ=ON -DQUORVANE_TESTS=OFF >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target quorvane_fuzz

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export QT_QPA_PLATFORM=offscreen
# The targets write a file per input; in memory that costs no disk flushes.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
# A runtime folder of the run's own, for what Qt keeps there.
export XDG_RUNTIME_DIR=$root/$build_dir/runtime
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
status=0
for target in "${targets[@]}"; do
  # New inputs go to the build folder's corpus, so the committed seeds stay a short, reviewed set.
  corpus=$build_dir/corpus/$target
  artifacts=$build_dir/artifacts
  mkdir -p "$corpus" "$artifacts"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1
           -artifact_prefix="$artifacts/$target-")
  [ -f "fuzz/$target.dict" ] && options+=(-dict="fuzz/$target.dict")
  echo "== $target for ${seconds}s"
  if ! "$build_dir/fuzz/$target" "${options[@]}" "$corpus" "fuzz/corpus/$target" \
    >"$build_dir/$target.log" 2>&1; then
    echo "$target FAILED; its log follows (the input is in $root/$artifacts/):" >&2
    tail -n 60 "$build_dir/$target.log" >&2
    status=1
  else
    grep -E '^stat::number_of_executed_units|^#[0-9]+ *DONE' "$build_dir/$target.log" || true
  fi
done
exit "$status"
