#!/usr/bin/env bash
# Attacks too long for the test suite, one function a subject; each runs by itself and fails (exit 1) when
# the program gives way. Usage: bash scripts/attack.sh [NAME [ARGS...]]; without NAME every attack runs with
# its defaults, and `bash scripts/attack.sh list` names them.
set -euo pipefail
cd "$(dirname "$0")/.."

# Geometry and fonts from language files: fuzz_translate starts from its committed seeds less the ones that
# hold integer extremes, and must find no crash and no broken invariant (window larger than the largest
# screen, title bar off every screen, a font above the bound) within SECONDS (default 600). Before the bounds
# existed, its dictionary of property names and integer extremes led it to `Height=2147483647` and
# `Font.Height=-2147483648` by itself (see the README). Builds in build-fuzz, as scripts/fuzz.sh does.
attack_geometry_fuzz() {
  local seconds=${1:-600} build_dir=${QUORVANE_FUZZ_BUILD:-build-fuzz}
  # shellcheck source=scripts/packages.sh
  source scripts/packages.sh
  install_packages clang libclang-rt-14-dev cmake make qt6-base-dev libgl-dev fonts-dejavu-core
  cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DQUORVANE_FUZZ=ON -DQUORVANE_TESTS=OFF >/dev/null
  cmake --build "$build_dir" -j"$(nproc)" --target fuzz_translate
  local work
  work=$(mktemp -d)
  mkdir -p "$work/corpus" "$work/runtime"
  chmod 0700 "$work/runtime"
  # The seeds without a number of more than four digits: the extremes are the fuzzer's to find.
  for seed in fuzz/corpus/fuzz_translate/*; do
    grep -qE '[0-9]{5}' "$seed" || cp "$seed" "$work/corpus/"
  done
  echo "== geometry fuzz: fuzz_translate for ${seconds}s from $(ls "$work/corpus" | wc -l) seeds"
  local started=$SECONDS status=0
  ASAN_OPTIONS=halt_on_error=1:detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/runtime TMPDIR=$work \
    "$build_dir/fuzz/fuzz_translate" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=256 \
    -dict=fuzz/fuzz_translate.dict -artifact_prefix="$work/" -print_final_stats=1 "$work/corpus" \
    >"$work/log" 2>&1 || status=$?
  grep -E '^stat::number_of_executed_units|^#[0-9]+ *DONE' "$work/log" || true
  if ((status != 0)); then
    echo "geometry fuzz: FOUND after $((SECONDS - started))s; the input is in $work/:" >&2
    grep -E 'invariant broken|runtime error|ERROR:' "$work/log" | head -5 >&2
    return 1
  fi
  echo "geometry fuzz: nothing found in $((SECONDS - started))s"
  rm -rf "$work"
}

attacks=(geometry_fuzz)

if [ "${1:-}" = list ]; then
  printf '%s\n' "${attacks[@]}"
elif [ $# -gt 0 ]; then
  name=$1
  shift
  "attack_$name" "$@"
else
  failed=0
  for name in "${attacks[@]}"; do "attack_$name" || failed=$((failed + 1)); done
  echo "attacks: ${#attacks[@]} run, $failed failed"
  ((failed == 0))
fi
