#!/usr/bin/env bash
# Builds the program and the whole test suite with AddressSanitizer, LeakSanitizer and UBSan (in build-asan)
# and runs it; any report, in a test or in a program a test starts, fails the run.
# Usage: bash scripts/sanitize.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build_dir=build-asan

bash scripts/setup.sh "$build_dir" -DQUORVANE_SANITIZE=ON

# Every report is also written to a file of its own, because a program that a test starts (and kills, or
# whose exit code it does not look at) could otherwise report without failing anything.
reports=$root/$build_dir/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"
common="log_path=$reports/report:log_exe_name=1:print_stacktrace=1:halt_on_error=1"
export ASAN_OPTIONS="$common:detect_leaks=1:detect_stack_use_after_return=1:strict_init_order=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="$common"

status=0
(cd "$build_dir" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2) || status=$?

shopt -s nullglob
found=("$reports"/report.*)
if ((${#found[@]})); then
  echo "Sanitizer reports (${#found[@]}):" >&2
  for report in "${found[@]}"; do
    echo "==> $report" >&2
    cat "$report" >&2
  done
  status=1
fi
if ((status == 0)); then
  echo "sanitize: the whole suite passed under ASan, LSan and UBSan with no report"
fi
exit "$status"
