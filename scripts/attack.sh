#!/usr/bin/env bash
# Attacks on the real program that take too long for the test suite. Each section is a function of its own,
# named after what it attacks; run one or several by name, or all of them without an argument. A section
# prints its figures and fails the run when what it attacks breaks.
# Usage: bash scripts/attack.sh [SECTION...]
#   PROGRAM=path   the program to attack (default: build/bin/quorvane, built when missing)
#   KILLS=n        kills of each writer in kills (default 200)
#   ROUNDS=n       rounds of simultaneous-starts (default 8), STARTS=n starts a round (default 50)
#   FUZZ_SECONDS=n how long geometry-fuzz runs (default 600)
# With PROGRAM=build-asan/bin/quorvane (bash scripts/sanitize.sh builds it) every sanitizer report of an
# attacked process fails the run too.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
root=$PWD
program=${PROGRAM:-$root/build/bin/quorvane}
if [ ! -x "$program" ]; then
  cmake -S . -B build -DQUORVANE_WERROR=ON >/dev/null && cmake --build build -j"$(nproc)" --target quorvane
fi
program=$(realpath "$program")
work=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-attack.XXXXXX")
reports=$work/sanitizer-reports
mkdir -p "$reports"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="log_path=$reports/report:halt_on_error=1:detect_leaks=0"
export UBSAN_OPTIONS="log_path=$reports/report:halt_on_error=1:print_stacktrace=1"
failed=0
started=()

# Every process a section starts is ended by its number when the script ends, however it ends.
# shellcheck disable=SC2317  # called by the trap
cleanup() {
  for pid in "${started[@]}"; do kill -CONT "$pid" 2>/dev/null; kill -KILL "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "  FAILED: $*" >&2
  failed=1
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# A private runtime folder, as the hand-off channel demands.
runtime_folder() {
  local folder
  folder=$(mktemp -d "$work/runtime.XXXXXX")
  chmod 700 "$folder"
  echo "$folder"
}

# A program folder of its own (the program writes its settings beside itself): prints its path.
program_folder() {
  local folder
  folder=$(mktemp -d "$work/program.XXXXXX")
  cp "$program" "$folder/quorvane"
  echo "$folder"
}

# launch RUNTIME LOG EXECUTABLE [ARGUMENT]: starts one program in the background; its pid is in $last_pid.
launch() {
  XDG_RUNTIME_DIR=$1 "$3" "${@:4}" >"$2.out" 2>"$2.err" &
  last_pid=$!
  started+=("$last_pid")
}

# wait_for TIMEOUT_MS COMMAND...: true once the command succeeds, false at the timeout.
wait_for() {
  local deadline=$(($(now_ms) + $1))
  shift
  until "$@"; do
    (($(now_ms) < deadline)) || return 1
    sleep 0.02
  done
}

# Sockets listening below a folder, from the kernel's table (flags 00010000: accepting connections).
listeners_below() { awk -v prefix="$1/" '$4 == "00010000" && index($8, prefix) == 1' /proc/net/unix | wc -l; }

alive() { kill -0 "$1" 2>/dev/null && [ "$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)" != Z ]; }
ended() { ! alive "$1"; }

# Items: a second start during the exit's error box; a start beside an instance that is still closing. The
# settings file is a folder, so the exit shows "Unable to write to ..." and waits; a second start meanwhile
# must hear "closing" (its own message, exit code 2) and never reach the window being destroyed. Run it
# against the sanitizer build to see that nothing touches the dying window.
attack_exit_box() {
  echo "== exit-box: a second start while the exit shows its error"
  local runtime folder first second code
  runtime=$(runtime_folder)
  folder=$(program_folder)
  mkdir "$folder/quorvane.ini"
  launch "$runtime" "$work/exitbox-first" "$folder/quorvane"
  first=$last_pid
  wait_for 15000 test -S "$runtime/TQuorvaneForm.socket" || { fail "the first start never listened"; return; }
  sleep 1
  kill -TERM "$first"  # closes the window as a logout does; the exit's write then fails
  sleep 1
  alive "$first" || { fail "the first start ended instead of showing the exit's error"; return; }
  launch "$runtime" "$work/exitbox-second" "$folder/quorvane" during-exit
  second=$last_pid
  if wait_for 8000 grep -q "still closing" "$work/exitbox-second.err"; then
    echo "  the second start says the running instance is still closing"
  else
    fail "the second start did not say that the running instance is closing"
  fi
  sleep 0.5
  alive "$second" || fail "the second start ended without its message"
  kill -TERM "$second"
  wait "$second"
  code=$?
  if ((code == 2)); then echo "  the second start ended with exit code 2"; else fail "second start exit code $code"; fi
  kill -TERM "$first"  # answers the exit's error as a logout would
  wait "$first"
  code=$?
  if ((code == 0)); then echo "  the first instance finished its exit (exit code 0)"; else fail "first exit code $code"; fi
  [ ! -e "$runtime/TQuorvaneForm.socket" ] || fail "the socket was left behind"
}

# Item: SIGTERM, SIGHUP and SIGINT close the program normally. The settings file lacks the keys that an exit
# writes and holds a language and display type of the run; after the signal all are there, the socket is gone.
attack_signals() {
  echo "== signals: SIGTERM, SIGHUP, SIGINT end the program as a close does"
  local signal runtime folder pid code
  for signal in TERM HUP INT; do
    runtime=$(runtime_folder)
    folder=$(program_folder)
    printf '[Defaults]\r\nDefaultLang=german.lng\r\nDefaultTypeConvert=2\r\n' >"$folder/quorvane.ini"
    launch "$runtime" "$work/signal-$signal" "$folder/quorvane"
    pid=$last_pid
    wait_for 15000 test -S "$runtime/TQuorvaneForm.socket" || { fail "SIG$signal: never listened"; continue; }
    sleep 0.5
    kill -"$signal" "$pid"
    wait "$pid"
    code=$?
    local kept=yes key
    for key in 'DefaultLang=german.lng' 'DefaultTypeConvert=2' 'WindowState=0'; do
      grep -q "$key" "$folder/quorvane.ini" || kept=no
    done
    local socket=removed
    [ -e "$runtime/TQuorvaneForm.socket" ] && socket=left
    echo "  SIG$signal: exit code $code, settings written: $kept, socket $socket"
    if [ "$code" != 0 ] || [ "$kept" != yes ] || [ "$socket" != removed ]; then fail "SIG$signal"; fi
  done
}

# Item: silent starts. Beside a stopped instance every start shows its message and waits (never a second
# window, never exit code 0); answered (here by SIGTERM), it ends with exit code 2. Hostile lock files are
# taken over: the start listens and keeps running.
attack_silent_starts() {
  echo "== silent-starts: beside a stopped instance, and over hostile lock files"
  local runtime first pids=() pid code told=0 codes=0 kind
  runtime=$(runtime_folder)
  launch "$runtime" "$work/frozen-first" "$program"
  first=$last_pid
  wait_for 15000 test -S "$runtime/TQuorvaneForm.socket" || { fail "the first start never listened"; return; }
  kill -STOP "$first"
  local count=${FROZEN_STARTS:-22}
  for i in $(seq "$count"); do
    launch "$runtime" "$work/frozen-$i" "$program" "start $i"
    pids+=("$last_pid")
  done
  sleep 5
  for i in $(seq "$count"); do
    pid=${pids[i - 1]}
    if alive "$pid" && grep -q "did not acknowledge\|does not answer\|has not finished deciding" "$work/frozen-$i.err"; then
      told=$((told + 1))
    fi
    kill -TERM "$pid"
    wait "$pid"
    code=$?
    ((code == 2)) && codes=$((codes + 1))
  done
  local listeners
  listeners=$(listeners_below "$runtime")
  echo "  $count starts beside a stopped instance: $told showed their message, $codes ended with exit code 2," \
    "listening sockets: $listeners"
  ((told == count && codes == count && listeners == 1)) || fail "silent starts beside a stopped instance"
  kill -CONT "$first"
  kill -TERM "$first"
  wait "$first"

  for kind in empty garbage folder full-folder dead-process; do
    runtime=$(runtime_folder)
    local lock=$runtime/TQuorvaneForm.lock
    case $kind in
      empty) : >"$lock" ;;
      garbage) head -c 300 /dev/urandom >"$lock" ;;
      folder) mkdir "$lock" ;;
      full-folder) mkdir -p "$lock/inside" && echo x >"$lock/inside/file" ;;
      dead-process)
        sleep 0 &
        local dead=$!
        wait "$dead"
        printf '%s\nquorvane\n%s\n' "$dead" "$(hostname)" >"$lock"
        ;;
    esac
    local before
    before=$(now_ms)
    launch "$runtime" "$work/lock-$kind" "$program"
    pid=$last_pid
    if wait_for 10000 test -S "$runtime/TQuorvaneForm.socket" && alive "$pid"; then
      echo "  lock file $kind: taken over, the start listens after $(($(now_ms) - before)) ms"
    else
      fail "lock file $kind: the start did not open its window"
    fi
    kill -TERM "$pid"
    wait "$pid"
  done
}

# Item: simultaneous starts. ROUNDS rounds of STARTS starts at the same moment: one window (a start that runs
# on without having said anything about the channel), every other start hands off (ends by itself with exit
# code 0 and no complaint). Lost: a start that said the running instance did not answer.
attack_simultaneous_starts() {
  local rounds=${ROUNDS:-8} count=${STARTS:-50}
  echo "== simultaneous-starts: $rounds rounds of $count starts"
  local round total_lost=0 worst=0
  for round in $(seq "$rounds"); do
    local runtime pids=() begin i pid
    runtime=$(runtime_folder)
    begin=$(now_ms)
    for i in $(seq "$count"); do
      launch "$runtime" "$work/round$round-$i" "$program" "start $i"
      pids+=("$last_pid")
    done
    declare -A end_ms=()
    local deadline=$(($(now_ms) + 20000))
    while (($(now_ms) < deadline)); do
      for i in $(seq "$count"); do
        [ -n "${end_ms[$i]:-}" ] && continue
        ended "${pids[i - 1]}" && end_ms[$i]=$(($(now_ms) - begin))
      done
      ((${#end_ms[@]} >= count - 1)) && break
      sleep 0.02
    done
    sleep 1 # anyone still deciding has had its three seconds
    local windows=0 lost=0 handed=0 slowest=0
    for i in $(seq "$count"); do
      pid=${pids[i - 1]}
      if grep -q "InstanceChannel:" "$work/round$round-$i.err"; then
        lost=$((lost + 1))
      elif alive "$pid"; then
        windows=$((windows + 1))
      else
        handed=$((handed + 1))
        ((end_ms[$i] > slowest)) && slowest=${end_ms[$i]}
      fi
    done
    echo "  round $round: windows $windows, handed off $handed, lost hand-offs $lost, slowest start ${slowest} ms"
    # Why the lost ones were lost, in the starts' own words (paths left out).
    cat "$work/round$round-"*.err | grep -o "InstanceChannel: [^/]*" | sort | uniq -c | sed 's/^/    /'
    ((windows == 1 && lost == 0)) || fail "round $round"
    total_lost=$((total_lost + lost))
    ((slowest > worst)) && worst=$slowest
    for pid in "${pids[@]}"; do kill -CONT "$pid" 2>/dev/null; kill -TERM "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    unset end_ms
  done
  echo "  all rounds: lost hand-offs $total_lost, slowest start $worst ms"
}

# Writers of the settings and language files killed with SIGKILL at random moments, KILLS times each (default
# 200): the file on disk is always the old or the new version, whole. The fault test's own loop, run longer.
attack_kills() {
  echo "== kills: kill -9 during writes, ${KILLS:-200} each for the settings and the language file"
  local suite=$root/build/tests/tst_faults
  [ -x "$suite" ] || cmake --build build -j"$(nproc)" --target tst_faults fault_writer >/dev/null
  local output status=0
  output=$(QUORVANE_PROGRAM=$program QUORVANE_FAULT_KILLS=${KILLS:-200} XDG_RUNTIME_DIR=$work "$suite" \
    killedWriterLeavesWholeFile 2>&1) || status=$?
  grep -E 'kills, none torn|FAIL|torn file' <<<"$output" | sed 's/^QINFO *: *[^(]*(\(.*\)) \([0-9]* kills\)/\1: \2/; s/^/  /'
  ((status == 0)) || fail "kills: a killed write left a torn file"
}

# Geometry and fonts from language files: fuzz_translate starts from its committed seeds less the ones that
# hold integer extremes, and must find no crash and no broken invariant (window larger than the largest
# screen, title bar off every screen, a font above the bound) within FUZZ_SECONDS (default 600). Builds the
# fuzz targets in build-fuzz with clang, as scripts/fuzz.sh does.
attack_geometry_fuzz() {
  echo "== geometry-fuzz: language entries at the ends of int"
  local seconds=${FUZZ_SECONDS:-600} build_dir=$root/build-fuzz status=0
  # shellcheck source=scripts/packages.sh
  source scripts/packages.sh
  install_packages clang libclang-rt-14-dev cmake make qt6-base-dev libgl-dev fonts-dejavu-core >/dev/null
  cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DQUORVANE_FUZZ=ON -DQUORVANE_TESTS=OFF >/dev/null &&
    cmake --build "$build_dir" -j"$(nproc)" --target fuzz_translate >/dev/null || {
    fail "geometry-fuzz: the fuzz target does not build"
    return
  }
  local fuzz=$work/geometry-fuzz
  mkdir -p "$fuzz/corpus" "$fuzz/runtime"
  chmod 0700 "$fuzz/runtime"
  # The seeds without a number of more than four digits: the extremes are the fuzzer's to find.
  for seed in fuzz/corpus/fuzz_translate/*; do
    grep -qE '[0-9]{5}' "$seed" || cp "$seed" "$fuzz/corpus/"
  done
  local begun=$SECONDS
  ASAN_OPTIONS=halt_on_error=1:detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    XDG_RUNTIME_DIR=$fuzz/runtime TMPDIR=$fuzz \
    "$build_dir/fuzz/fuzz_translate" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=256 \
    -dict=fuzz/fuzz_translate.dict -artifact_prefix="$fuzz/" -print_final_stats=1 "$fuzz/corpus" \
    >"$fuzz/log" 2>&1 || status=$?
  grep -E '^stat::number_of_executed_units' "$fuzz/log" | sed 's/^/  /'
  if ((status != 0)); then
    grep -E 'invariant broken|runtime error|ERROR:' "$fuzz/log" | head -5 | sed 's/^/  /'
    ls "$fuzz"/crash-* "$fuzz"/leak-* 2>/dev/null | while read -r input; do
      echo "  input: $(head -c 200 "$input" | tr -c '[:print:]' '?')"
    done
    fail "geometry-fuzz: found after $((SECONDS - begun)) s"
  else
    echo "  nothing found in $((SECONDS - begun)) s"
  fi
}

# cpu_ticks PID: the user and system time the process has used so far, in clock ticks.
# shellcheck disable=SC2317  # called through settled, which wait_for calls
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null; }

# settled PID: true once the process has used no CPU for half a second (its start-up is over and it waits in
# its event loop, or in a message box), or has ended.
# shellcheck disable=SC2317  # called through wait_for
settled() {
  local before after
  before=$(cpu_ticks "$1") || return 0
  sleep 0.5
  after=$(cpu_ticks "$1") || return 0
  [ "$before" = "$after" ]
}

# line_breaks lf|crlf BYTES: that many bytes of LF line breaks, or of CR LF ones.
line_breaks() {
  if [ "$1" = lf ]; then
    head -c "$2" /dev/zero | tr '\0' '\n'
  else
    yes $'\r' | head -c "$2"
  fi
}

# measure_run NAME FOLDER [ULIMIT_KB]: starts the program of FOLDER under /usr/bin/time (with a limit of
# its address space when given), lets it finish its start-up, ends it with SIGTERM as a logout does (the
# exit writes the settings) and sets run_rc, run_start_ms, run_exit_ms, run_rss_kb and run_err (its
# standard error).
measure_run() {
  local name=$1 folder=$2 limit=${3:-unlimited} runtime timer pid begin sent
  runtime=$(runtime_folder)
  begin=$(now_ms)
  (
    ulimit -v "$limit"
    XDG_RUNTIME_DIR=$runtime exec /usr/bin/time -f '%e %M %x' -o "$work/$name.time" "$folder/quorvane"
  ) >"$work/$name.out" 2>"$work/$name.err" &
  timer=$!
  started+=("$timer")
  pid=
  wait_for 5000 pgrep -P "$timer" >/dev/null && pid=$(pgrep -P "$timer")
  [ -n "$pid" ] && started+=("$pid")
  # The first ticks may come before the process has read anything: wait for the socket, then for quiet.
  [ -n "$pid" ] && wait_for 15000 test -S "$runtime/TQuorvaneForm.socket"
  [ -n "$pid" ] && wait_for 600000 settled "$pid"
  run_start_ms=$(($(now_ms) - begin))
  sent=$(now_ms)
  [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null
  wait "$timer"
  run_exit_ms=$(($(now_ms) - sent))
  read -r _ run_rss_kb run_rc <<<"$(tail -n 1 "$work/$name.time")"
  # GNU time reports a death by a signal on a line of its own.
  if grep -q "terminated by signal" "$work/$name.time"; then
    run_rc=$((128 + $(grep -o "signal [0-9]*" "$work/$name.time" | grep -o "[0-9]*")))
  fi
  run_err=$(cat "$work/$name.err")
}

# Item: files of many lines and files too large. A settings or language file costs at most about twice its
# size in memory and a time linear in it, the exit reads the settings file once; a file over 16 MiB is refused
# with a message naming it, never rewritten, and the program still opens. Each case prints the exit code, the
# start (until the process has used no CPU for half a second, that half second included), the exit (from
# SIGTERM to its end) and the peak resident memory beyond that of a start with no files at all.
attack_files() {
  echo "== files: settings and language files of many lines, and files over 16 MiB"
  if [ ! -x /usr/bin/time ]; then
    fail "files: /usr/bin/time is missing (apt-get install time)"
    return
  fi
  local folder base_rss size extra name
  folder=$(program_folder)
  measure_run files-baseline "$folder"
  base_rss=$run_rss_kb
  echo "  no settings or language file: exit code $run_rc, start $run_start_ms ms, exit $run_exit_ms ms," \
    "peak RSS $((base_rss / 1024)) MiB"

  # name | file | bytes | how it is made
  local -a cases=(
    "settings-100M-LF|quorvane.ini|104857600|lf"
    "settings-10M-LF|quorvane.ini|10485760|lf"
    "settings-8M-CRLF-lines|quorvane.ini|16000000|crlf"
    "language-8M-LF|languages/english.lng|8000000|lf"
    "language-100M-LF|languages/english.lng|104857600|lf"
  )
  local entry file kind before after
  for entry in "${cases[@]}"; do
    IFS='|' read -r name file size kind <<<"$entry"
    folder=$(program_folder)
    mkdir -p "$folder/languages"
    line_breaks "$kind" "$size" >"$folder/$file"
    before=$(md5sum <"$folder/$file")
    measure_run "$name" "$folder" 8000000
    extra=$(((run_rss_kb - base_rss) * 1024))
    echo "  $name ($size bytes): exit code $run_rc, start $run_start_ms ms, exit $run_exit_ms ms," \
      "peak RSS $((run_rss_kb / 1024)) MiB, beyond the baseline $((extra / 1048576)) MiB" \
      "($(awk -v e="$extra" -v s="$size" 'BEGIN { printf "%.2f", e / s }') x the file)"
    ((run_rc == 0)) || { fail "$name: exit code $run_rc"; continue; }
    if ((size > 16777216)); then
      after=$(md5sum <"$folder/$file")
      if [ "$before" = "$after" ]; then
        echo "    the file was left as it was"
      else
        fail "$name: the file was changed"
      fi
      if grep -q "larger than 16 MiB" <<<"$run_err"; then
        echo "    the user was told: $(grep -m 1 "larger than 16 MiB" <<<"$run_err" | sed "s|$folder/||")"
      else
        fail "$name: no message about the file's size"
      fi
    else
      # Twice the file's size and a margin for the noise of a whole program's start.
      ((extra <= 2 * size + 4 * 1048576)) || fail "$name: more than twice the file's size in memory"
      if [ "$file" = quorvane.ini ]; then
        # The exit kept every line break and added its settings after them.
        if cmp -s -n "$size" "$folder/$file" <(line_breaks "$kind" "$size") &&
          grep -q "WindowState=" "$folder/$file"; then
          echo "    the exit wrote its settings after the $size bytes of line breaks"
        else
          fail "$name: the exit did not write its settings, or lost lines"
        fi
      fi
    fi
  done
}

sections=("$@")
((${#sections[@]})) || sections=(kills exit-box signals silent-starts simultaneous-starts files geometry-fuzz)
for section in "${sections[@]}"; do
  case $section in
    kills) attack_kills ;;
    exit-box) attack_exit_box ;;
    signals) attack_signals ;;
    silent-starts) attack_silent_starts ;;
    simultaneous-starts) attack_simultaneous_starts ;;
    files) attack_files ;;
    geometry-fuzz) attack_geometry_fuzz ;;
    *)
      echo "unknown section: $section" >&2
      exit 2
      ;;
  esac
done

shopt -s nullglob
found=("$reports"/report.*)
if ((${#found[@]})); then
  echo "Sanitizer reports (${#found[@]}):" >&2
  cat "${found[@]}" >&2
  failed=1
fi
((failed == 0)) && echo "attack: every section held"
exit "$failed"
