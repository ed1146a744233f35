#!/usr/bin/env bash
# Validates the desktop file, metainfo, icons and install rules, then installs, upgrades and uninstalls in
# temporary homes, from the build folder and from its built program folder.
# Usage: bash packaging/test_install.sh BUILD_DIR PROGRAM_FOLDER RELEASE_VERSION   (CTest: install_and_metadata)
# Needs neither a display nor the network: the validators run offline and the program is never started.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
readonly here repo
readonly app_id=org.quorvane.Quorvane
readonly build=${1:?usage: test_install.sh BUILD_DIR PROGRAM_FOLDER RELEASE_VERSION}
readonly from=${2:?usage: test_install.sh BUILD_DIR PROGRAM_FOLDER RELEASE_VERSION}
readonly release=${3:?usage: test_install.sh BUILD_DIR PROGRAM_FOLDER RELEASE_VERSION}
readonly icon_sizes=(16 32 48 64 128 256)

passed=0
failed=0
pass() {
  passed=$((passed + 1))
  echo "PASS: $1"
}
fail() {
  failed=$((failed + 1))
  echo "FAIL: $1"
  if (($# > 1)) && [ -n "$2" ]; then
    printf '%s\n' "$2" | sed 's/^/      | /'
  fi
}
check() {
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
summary() {
  echo
  echo "install_and_metadata: $passed passed, $failed failed"
  ((failed == 0))
}

trap 'echo "ABORTED at line $LINENO: $BASH_COMMAND"; echo "install_and_metadata: $passed passed, $((failed + 1)) failed"' ERR
tmp=$(mktemp -d)
trap 'chmod -R u+rwx -- "$tmp" 2>/dev/null; rm -rf -- "$tmp"' EXIT

# One line per entry below DIR (type, mode, path, and a file's checksum or a link's target), leaving out
# the entry EXCLUDE (relative to DIR) and everything in it.
snapshot() {
  local dir=$1 skip=()
  [ -z "${2:-}" ] || skip=(-path "./$2" -prune -o)
  (cd "$dir" && find . -mindepth 1 "${skip[@]}" -printf '%y %m %P\n') |
    LC_ALL=C sort | while read -r type mode path; do
    case $type in
    f) echo "$type $mode $path $(sha256sum <"$dir/$path" | cut -d' ' -f1)" ;;
    l) echo "$type $mode $path -> $(readlink -- "$dir/$path")" ;;
    *) echo "$type $mode $path" ;;
    esac
  done
}

sameSnapshot() {
  local what=$1 before=$2 after=$3
  if [ "$before" = "$after" ]; then
    pass "$what"
  else
    fail "$what" "$(diff <(echo "$before") <(echo "$after") || true)"
  fi
}

# Runs an install or uninstall with HOME pointed at the temporary home, so that a forgotten option can never
# reach the real one. Leaves the exit status in $rc and everything printed in $out.
run() {
  local home=$1 script=$2
  shift 2
  rc=0
  out=$(env -u XDG_DATA_HOME HOME="$home" bash "$repo/scripts/$script" "$@" 2>&1) || rc=$?
}
expectSuccess() {
  if ((rc == 0)); then pass "$1"; else fail "$1 (exit status $rc)" "$out"; fi
}
# A failure must be reported with a non-zero status and a message that names what was in the way.
expectFailure() {
  local what=$1 names=$2
  if ((rc == 0)); then
    fail "$what: reported success" "$out"
  elif [[ $out != *"$names"* ]]; then
    fail "$what: the message does not name $names" "$out"
  else
    pass "$what (exit status $rc)"
  fi
}

# The program of a desktop file's Exec value: the string escapes undone, then the first argument unquoted.
execProgram() {
  local value=$1 unescaped='' arg='' c i bs=\\
  for ((i = 0; i < ${#value}; i++)); do
    c=${value:i:1}
    if [ "$c" = "$bs" ] && ((i + 1 < ${#value})); then
      i=$((i + 1))
      case ${value:i:1} in
      s) c=' ' ;;
      n) c=$'\n' ;;
      t) c=$'\t' ;;
      r) c=$'\r' ;;
      "$bs") c=$bs ;;
      *) c="\\${value:i:1}" ;;
      esac
    fi
    unescaped+=$c
  done
  if [ "${unescaped:0:1}" = '"' ]; then
    for ((i = 1; i < ${#unescaped}; i++)); do
      c=${unescaped:i:1}
      if [ "$c" = "$bs" ]; then
        i=$((i + 1))
        arg+=${unescaped:i:1}
      elif [ "$c" = '"' ]; then
        break
      else
        arg+=$c
      fi
    done
  else
    arg=${unescaped%% *}
  fi
  printf '%s' "${arg//%%/%}"
}

lacksLine() { ! grep -q "${@:2}" -- "$1"; }
resolvesTo() { [ -n "$1" ] && [ -e "$1" ] && [ "$(readlink -f -- "$1")" = "$(readlink -f -- "$2")" ]; }
keyOf() { sed -n "s/^$1=//p" -- "$2" | head -n 1; }
xmlText() { sed -n "s:.*<$1[^>]*>\([^<]*\)</$1>.*:\1:p" -- "$2" | head -n 1; }

pngSizeIs() {
  local file=$1 size=$2 bytes
  [ -f "$file" ] || return 1
  bytes=$(od -An -tu1 -N24 -- "$file" | tr -s ' \n' ' ')
  # The PNG signature, then the IHDR chunk: width and height as 32-bit big-endian numbers.
  [[ $bytes == " 137 80 78 71 13 10 26 10 0 0 0 13 73 72 68 82 "* ]] || return 1
  read -r -a b <<<"$bytes"
  (((b[16] << 24 | b[17] << 16 | b[18] << 8 | b[19]) == size && (b[20] << 24 | b[21] << 16 | b[22] << 8 | b[23]) == size))
}

echo "== Shipped metadata"
missing_tools=()
for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || missing_tools+=("$tool")
done
if ((${#missing_tools[@]})); then
  fail "validators available: ${missing_tools[*]} missing (bash scripts/setup.sh installs them)"
  summary
  exit 1
fi

# Errors fail the test; warnings and hints are shown so that they get fixed, but pass.
validateDesktop() {
  local file=$1 what=$2 report status=0
  report=$(desktop-file-validate "$file" 2>&1) || status=$?
  if ((status != 0)) || grep -q ': error: ' <<<"$report"; then
    fail "$what passes desktop-file-validate" "$report"
  else
    pass "$what passes desktop-file-validate"
    [ -z "$report" ] || printf '%s\n' "$report" | sed 's/^/      note: /'
  fi
}
validateDesktop "$here/$app_id.desktop" "the shipped desktop file"
report=$(desktop-file-validate "$here/$app_id.desktop" 2>&1 || true)
if [ -z "$report" ]; then
  pass "desktop-file-validate has not even a hint for the shipped desktop file"
else
  fail "desktop-file-validate has not even a hint for the shipped desktop file" "$report"
fi
# A menu shows an entry under each main category it names: one, so that it appears once.
main_categories=$(keyOf Categories "$here/$app_id.desktop" | tr ';' '\n' |
  grep -Ex 'AudioVideo|Audio|Video|Development|Education|Game|Graphics|Network|Office|Science|Settings|System|Utility' || true)
check "the desktop file names one main category (found: $(echo $main_categories))" \
  [ "$(grep -c . <<<"$main_categories")" -eq 1 ]

# With --pedantic: errors (E) and warnings (W) fail; infos (I) and pedantic remarks (P) are notes.
status=0
report=$(appstreamcli validate --no-net --pedantic "$here/$app_id.metainfo.xml" 2>&1) || status=$?
if ((status != 0)) || grep -q '^[EW]:' <<<"$report"; then
  fail "the metainfo passes appstreamcli validate --no-net --pedantic with notes at most" "$report"
else
  pass "the metainfo passes appstreamcli validate --no-net --pedantic with notes at most"
  grep -E '^[IP]:' <<<"$report" | sed 's/^/      note: /' || true
fi

metainfo=$here/$app_id.metainfo.xml
desktop=$here/$app_id.desktop
check "the metainfo's id is $app_id" [ "$(xmlText id "$metainfo")" = "$app_id" ]
check "the metainfo launches the shipped desktop file" [ "$(xmlText launchable "$metainfo")" = "$app_id.desktop" ]
check "the desktop file's icon is named $app_id" [ "$(keyOf Icon "$desktop")" = "$app_id" ]
check "the metainfo provides the launcher's name" [ "$(xmlText binary "$metainfo")" = quorvane ]
latest=$(sed -n 's:.*<release [^>]*version="\([^"]*\)".*:\1:p' -- "$metainfo" | head -n 1)
check "the newest release in the metainfo is the project's $release (found $latest)" [ "$latest" = "$release" ]
# A real release: the history document that the program shows describes it, as its newest.
history=$(sed -n 's:.*<h2>\([^<]*\)</h2>.*:\1:p' -- "$repo/docs/history.html" | head -n 1)
check "the newest release in the metainfo is the newest of the history document (found $history)" \
  [ "$latest" = "$history" ]
categories=$(sed -n 's:.*<category>\([^<]*\)</category>.*:\1:p' -- "$metainfo" | tr '\n' ';')
check "the metainfo's categories are the desktop file's (found $categories)" \
  [ "$categories" = "$(keyOf Categories "$desktop")" ]
check "the scalable icon is an SVG document" grep -q '<svg[ >]' -- "$here/icons/hicolor/scalable/apps/$app_id.svg"
for size in "${icon_sizes[@]}"; do
  check "the ${size}x$size icon is a ${size} by $size PNG" \
    pngSizeIs "$here/icons/hicolor/${size}x$size/apps/$app_id.png" "$size"
done

echo "== Install rules"
if [ ! -x "$from/quorvane" ] || [ ! -f "$build/CMakeCache.txt" ]; then
  fail "the built program is in $from and its build folder is $build (build the quorvane target first)"
  summary
  exit 1
fi
# Runs cmake quietly, leaving what it printed in $out and failing with it.
cmakeRun() {
  rc=0
  out=$(cmake "$@" 2>&1) || rc=$?
  ((rc == 0)) || fail "cmake $* (exit status $rc)" "$out"
  ((rc == 0))
}
# What the rules lay out into a data home, with the file each comes from (the desktop file's Exec aside).
declare -A layout=(
  ["quorvane/quorvane 755"]=$from/quorvane
  ["quorvane/history.html 644"]=$repo/docs/history.html
  ["applications/$app_id.desktop 644"]=$here/$app_id.desktop
  ["metainfo/$app_id.metainfo.xml 644"]=$here/$app_id.metainfo.xml
  ["icons/hicolor/scalable/apps/$app_id.svg 644"]=$here/icons/hicolor/scalable/apps/$app_id.svg
)
for size in "${icon_sizes[@]}"; do
  layout["icons/hicolor/${size}x$size/apps/$app_id.png 644"]=$here/icons/hicolor/${size}x$size/apps/$app_id.png
done
for lng in "$repo"/languages/*.lng; do
  layout["quorvane/languages/${lng##*/} 644"]=$lng
done
rules=$tmp/rules
if cmakeRun --install "$build" --prefix "$rules"; then
  expected=$(printf '%s\n' "${!layout[@]}" | LC_ALL=C sort)
  actual=$(cd "$rules" && find . ! -type d -printf '%P %m\n' | LC_ALL=C sort)
  if [ "$expected" = "$actual" ]; then
    pass "cmake --install lays out exactly the expected files with their modes"
  else
    fail "cmake --install lays out exactly the expected files with their modes" \
      "$(diff <(echo "$expected") <(echo "$actual") || true)"
  fi
  for entry in "${!layout[@]}"; do
    rel=${entry% *}
    case $rel in
    *.desktop)
      check "the laid out desktop file differs from the shipped one only in Exec" \
        cmp -s <(grep -v '^Exec=' -- "${layout[$entry]}") <(grep -v '^Exec=' -- "$rules/$rel")
      check "the laid out desktop file's Exec names the laid out executable" \
        [ "$(execProgram "$(keyOf Exec "$rules/$rel")")" = "$rules/quorvane/quorvane" ]
      ;;
    *) check "laid out $rel is ${layout[$entry]#"$repo/"}" cmp -s -- "${layout[$entry]}" "$rules/$rel" ;;
    esac
  done
fi
# The staged install: under DESTDIR, the desktop file names the executable where it will finally be.
# A built program folder without its build tree lays out the same files by the same rules.
if cmakeRun -S "$here/prebuilt" -B "$tmp/prebuilt" -DQUORVANE_PREBUILT="$from" &&
  cmakeRun -E env DESTDIR="$tmp/staged-build" cmake --install "$build" --prefix /opt/q &&
  cmakeRun -E env DESTDIR="$tmp/staged-prebuilt" cmake --install "$tmp/prebuilt" --prefix /opt/q; then
  check "under DESTDIR the desktop file's Exec names the final executable" \
    [ "$(execProgram "$(keyOf Exec "$tmp/staged-build/opt/q/applications/$app_id.desktop")")" = /opt/q/quorvane/quorvane ]
  sameSnapshot "the built program folder lays out the same files as its build folder" \
    "$(snapshot "$tmp/staged-build")" "$(snapshot "$tmp/staged-prebuilt")"
fi

# Stripped with --strip, from a build folder and a program folder alike: exactly what strip makes of the built
# program, without symbols or debug information.
stripped=$tmp/quorvane.stripped
strip -o "$stripped" -- "$from/quorvane"
if cmakeRun -E env DESTDIR="$tmp/stripped-build" cmake --install "$build" --prefix /opt/q --strip &&
  cmakeRun -E env DESTDIR="$tmp/stripped-prebuilt" cmake --install "$tmp/prebuilt" --prefix /opt/q --strip; then
  for tree in build prebuilt; do
    program=$tmp/stripped-$tree/opt/q/quorvane/quorvane
    check "cmake --install --strip from the $tree folder installs the built program stripped" \
      cmp -s -- "$stripped" "$program"
    check "the program installed with --strip from the $tree folder has no symbols or debug information" \
      lacksLine <(readelf --section-headers --wide -- "$program" 2>&1) -E '\.(debug_[a-z]+|symtab)\b|Error'
  done
  echo "      note: the built program has $(stat -c %s -- "$from/quorvane") bytes, stripped $(stat -c %s -- "$stripped")"
fi

echo "== Install into a fresh home"
# A home with a blank in its name: every path the installer writes, the desktop file's Exec included, must
# survive it.
home="$tmp/home with space"
prefix=$home/.local/share
bindir=$home/.local/bin
prog=$prefix/quorvane
mkdir -p "$bindir" "$prefix/applications" "$prefix/icons/hicolor/48x48/apps" "$home/.config"
printf '#!/bin/sh\necho other\n' >"$bindir/othertool"
chmod 0755 "$bindir/othertool"
printf '[Desktop Entry]\nType=Application\nName=Other\nExec=othertool\n' >"$prefix/applications/other.desktop"
printf 'not really a png' >"$prefix/icons/hicolor/48x48/apps/other.png"
printf 'colour=blue\n' >"$home/.config/other.conf"
home_before=$(snapshot "$home")

run "$home" install.sh --from "$build" --prefix "$prefix" --bindir "$bindir"
expectSuccess "install from the build folder into a fresh home"

shipped=(quorvane history.html)
while IFS= read -r -d '' lng; do
  shipped+=("languages/${lng##*/}")
done < <(find "$from/languages" -maxdepth 1 -type f -name '*.lng' -print0 2>/dev/null)
((${#shipped[@]} > 2)) || echo "      note: $from/languages holds no language files yet"
# The built file that an install puts at REL: the program stripped, everything else as it is.
builtAs() { if [ "$1" = quorvane ]; then echo "$stripped"; else echo "$from/$1"; fi; }
for rel in "${shipped[@]}"; do
  check "installed $rel is the built one" cmp -s -- "$(builtAs "$rel")" "$prog/$rel"
done
check "the installed executable can be run" [ -x "$prog/quorvane" ]
expected=$(printf '%s\n' "${shipped[@]}" .install-manifest | LC_ALL=C sort)
actual=$( (cd "$prog" && find . -type f -printf '%P\n') | LC_ALL=C sort)
if [ "$expected" = "$actual" ]; then
  pass "the program folder holds exactly the program, its languages, history and manifest"
else
  fail "the program folder holds exactly the program, its languages, history and manifest" \
    "$(diff <(echo "$expected") <(echo "$actual") || true)"
fi

check "the launcher is a symbolic link" [ -L "$bindir/quorvane" ]
check "the launcher resolves to the installed executable" resolvesTo "$bindir/quorvane" "$prog/quorvane"
check "quorvane on PATH is the launcher" \
  [ "$(PATH="$bindir:$PATH" command -v quorvane)" = "$bindir/quorvane" ]

installed_desktop=$prefix/applications/$app_id.desktop
check "the desktop file is installed" [ -f "$installed_desktop" ]
validateDesktop "$installed_desktop" "the installed desktop file"
exec_program=$(execProgram "$(keyOf Exec "$installed_desktop")")
case $exec_program in
*/*) ;;
*) exec_program=$(PATH="$bindir:$PATH" command -v -- "$exec_program" || true) ;;
esac
check "the desktop file's Exec ($exec_program) resolves to the installed executable" \
  resolvesTo "$exec_program" "$prog/quorvane"
icon=$(keyOf Icon "$installed_desktop")
check "the desktop file's Icon resolves to the installed scalable icon" \
  cmp -s -- "$here/icons/hicolor/scalable/apps/$app_id.svg" "$prefix/icons/hicolor/scalable/apps/$icon.svg"
for size in "${icon_sizes[@]}"; do
  check "the desktop file's Icon resolves at ${size}x$size" \
    cmp -s -- "$here/icons/hicolor/${size}x$size/apps/$app_id.png" "$prefix/icons/hicolor/${size}x$size/apps/$icon.png"
done
check "the metainfo is installed" cmp -s -- "$metainfo" "$prefix/metainfo/$app_id.metainfo.xml"
check "no staging folder is left" [ -z "$(find "$prefix" -maxdepth 1 -name '.quorvane-*' -print -quit)" ]
sameSnapshot "the files planted before the install are untouched" "$home_before" \
  "$(snapshot "$home" | grep -Fx -f <(printf '%s\n' "$home_before") || true)"

echo "== Reinstall over the user's settings"
# The settings file as the program may leave it: CR LF lines, a byte above 127, no final line break.
printf '[Defaults]\r\nDefaultLang=english.lng\r\nUserName=\xe9t\xe9\r\n[Window State]\r\nWindowState=0' >"$prog/quorvane.ini"
chmod 0600 "$prog/quorvane.ini"
cp -p -- "$prog/quorvane.ini" "$tmp/ini.expected"
printf '[Translations]\r\n' >"$prog/languages/user-own.lng"
# The program rewrites the language file it selects; a reinstall brings back the shipped one.
for rel in "${shipped[@]}"; do
  case $rel in languages/*) printf 'Rewritten=\r\n' >>"$prog/$rel" ;; esac
done
# Icon sizes an earlier version installed and this one does not ship: the reinstall takes away the one
# still as installed, with the folders made for it, and leaves the one the user changed.
for size in 22 24; do
  old_icon=$prefix/icons/hicolor/${size}x$size/apps/$app_id.png
  mkdir -p -- "${old_icon%/*}"
  printf 'earlier icon' >"$old_icon"
  printf 'file\t%s\t%s\ndir\t-\t%s\ndir\t-\t%s\n' "$(sha256sum <"$old_icon" | cut -d' ' -f1)" "$old_icon" \
    "${old_icon%/*}" "${old_icon%/apps/*}" >>"$prog/.install-manifest"
done
printf 'changed by the user' >"$old_icon"
run "$home" install.sh --from "$from" --prefix "$prefix" --bindir "$bindir"
expectSuccess "reinstall from the built program folder over an existing installation"
check "an icon the earlier install left as it was is removed with its folders" [ ! -e "$prefix/icons/hicolor/22x22" ]
check "an icon the user changed since the earlier install stays" grep -q 'changed by the user' -- "$old_icon"
rm -r -- "$prefix/icons/hicolor/24x24"
check "quorvane.ini is kept byte for byte" cmp -s -- "$tmp/ini.expected" "$prog/quorvane.ini"
check "quorvane.ini keeps its mode 600" [ "$(stat -c %a -- "$prog/quorvane.ini")" = 600 ]
check "the user's own language file is kept" [ -f "$prog/languages/user-own.lng" ]
for rel in "${shipped[@]}"; do
  check "reinstalled $rel is the built one" cmp -s -- "$(builtAs "$rel")" "$prog/$rel"
done
check "the manifest does not claim the user's files" \
  lacksLine "$prog/.install-manifest" -e '/quorvane\.ini$' -e '/user-own\.lng$'
check "the launcher still resolves to the installed executable" resolvesTo "$bindir/quorvane" "$prog/quorvane"

echo "== Failed installs leave the previous installation as it was"
installed=$(snapshot "$home")
# A program folder with a language file that cannot be read.
cp -a -- "$from" "$tmp/broken-build"
ln -s "$tmp/no-such-file" "$tmp/broken-build/languages/zz-broken.lng"
run "$home" install.sh --from "$tmp/broken-build" --prefix "$prefix" --bindir "$bindir"
expectFailure "an install from a program folder with a dangling link" "failed while reading the program folder"
sameSnapshot "after the refused program folder the installation is unchanged" "$installed" "$(snapshot "$home")"
# cmake --install failing after it has laid everything out.
mkdir -p "$tmp/failing"
# shellcheck disable=SC2016 # the $ are the stand-in's own
printf '#!/bin/sh\n"%s" "$@" || exit\n[ "$1" != --install ] || exit 3\n' "$(command -v cmake)" >"$tmp/failing/cmake"
chmod 0755 "$tmp/failing/cmake"
PATH="$tmp/failing:$PATH" run "$home" install.sh --from "$build" --prefix "$prefix" --bindir "$bindir"
expectFailure "an install whose cmake --install fails at the end" "failed while laying out the program"
sameSnapshot "after the failed cmake --install the installation is unchanged" "$installed" "$(snapshot "$home")"
# Neither a build folder nor a program folder, and a data home CMake cannot install into.
run "$home" install.sh --from "$tmp/failing" --prefix "$prefix" --bindir "$bindir"
expectFailure "an install from a folder without a program" "neither a build folder nor a program folder"
run "$home" install.sh --from "$from" --prefix "$tmp/back\\slash" --bindir "$bindir"
expectFailure "an install into a data home with a backslash" "backslash"
sameSnapshot "the refused installs changed nothing" "$installed" "$(snapshot "$home")"
check "the refused install created no data home" [ ! -e "$tmp/back\\slash" ]

# A folder standing where an icon must go is found before anything is replaced.
icon64=$prefix/icons/hicolor/64x64/apps/$app_id.png
rm -- "$icon64"
mkdir -- "$icon64"
blocked=$(snapshot "$home")
run "$home" install.sh --from "$from" --prefix "$prefix" --bindir "$bindir"
expectFailure "an install blocked by a folder in an icon's place" "$icon64"
sameSnapshot "after the blocked install the installation is unchanged" "$blocked" "$(snapshot "$home")"
rmdir -- "$icon64"
run "$home" install.sh --from "$from" --prefix "$prefix" --bindir "$bindir"
expectSuccess "a reinstall restores the missing icon"
check "the restored icon is the shipped one" cmp -s -- "$here/icons/hicolor/64x64/apps/$app_id.png" "$icon64"

# A fresh install whose data home cannot exist: its parent is a regular file.
home3=$tmp/home3
mkdir -p "$home3"
printf 'a file, not a folder' >"$home3/.local"
before3=$(snapshot "$home3")
run "$home3" install.sh --from "$from" --prefix "$home3/.local/share" --bindir "$home3/bin"
expectFailure "an install under a regular file" "$home3/.local"
sameSnapshot "the failed fresh install created nothing" "$before3" "$(snapshot "$home3")"

# A launcher name taken by a file of the user's is never overwritten.
home4=$tmp/home4
mkdir -p "$home4/bin"
printf '#!/bin/sh\necho mine\n' >"$home4/bin/quorvane"
before4=$(snapshot "$home4")
run "$home4" install.sh --from "$from" --prefix "$home4/share" --bindir "$home4/bin"
expectFailure "an install onto someone else's quorvane command" "$home4/bin/quorvane"
sameSnapshot "the refused install changed nothing" "$before4" "$(snapshot "$home4")"

# A program folder that the installer did not make keeps files of the shipped names.
home5=$tmp/home5
mkdir -p "$home5/share/quorvane"
printf 'my own notes' >"$home5/share/quorvane/history.html"
before5=$(snapshot "$home5")
run "$home5" install.sh --from "$from" --prefix "$home5/share" --bindir "$home5/bin"
expectFailure "an install over a foreign file in the program folder" "$home5/share/quorvane/history.html"
sameSnapshot "the refused install kept the foreign program folder" "$before5" "$(snapshot "$home5")"

echo "== Uninstall"
run "$home" uninstall.sh --prefix "$prefix"
expectSuccess "uninstall"
actual=$( (cd "$prog" && find . -mindepth 1 -printf '%P\n') | LC_ALL=C sort)
expected=$(printf '%s\n' languages languages/user-own.lng quorvane.ini)
if [ "$actual" = "$expected" ]; then
  pass "only the user's files are left in the program folder"
else
  fail "only the user's files are left in the program folder" "$actual"
fi
check "quorvane.ini survives the uninstall byte for byte" cmp -s -- "$tmp/ini.expected" "$prog/quorvane.ini"
sameSnapshot "everything else is as before the install" "$home_before" "$(snapshot "$home" .local/share/quorvane)"

run "$home" uninstall.sh --prefix "$prefix" --purge
expectSuccess "uninstall --purge"
sameSnapshot "after --purge the home is as before the install" "$home_before" "$(snapshot "$home")"
run "$home" uninstall.sh --prefix "$prefix"
expectSuccess "uninstall when nothing is installed"
sameSnapshot "an uninstall with nothing installed changes nothing" "$home_before" "$(snapshot "$home")"
# --purge straight after an install: the settings go with everything else.
run "$home" install.sh --from "$build" --prefix "$prefix" --bindir "$bindir"
expectSuccess "install again"
cp -p -- "$tmp/ini.expected" "$prog/quorvane.ini"
run "$home" uninstall.sh --prefix "$prefix" --purge
expectSuccess "uninstall --purge of an installation with settings"
sameSnapshot "after that --purge the home is as before the install" "$home_before" "$(snapshot "$home")"

echo "== Caches and changed files"
# Desktop caches are refreshed only where they exist, and a failing tool never fails the install.
home6=$tmp/home6
mkdir -p "$home6/share/applications" "$home6/share/icons/hicolor" "$tmp/tools"
printf '[MIME Cache]\n' >"$home6/share/applications/mimeinfo.cache"
printf 'cache' >"$home6/share/icons/hicolor/icon-theme.cache"
for tool in update-desktop-database gtk-update-icon-cache; do
  printf '#!/bin/sh\necho "%s $*" >>"%s"\nexit 1\n' "$tool" "$tmp/tools.log" >"$tmp/tools/$tool"
  chmod 0755 "$tmp/tools/$tool"
done
PATH="$tmp/tools:$PATH" run "$home6" install.sh --from "$from" --prefix "$home6/share" --bindir "$home6/bin"
expectSuccess "an install whose cache tools fail"
check "the desktop database was refreshed" grep -q "^update-desktop-database .*$home6/share/applications$" "$tmp/tools.log"
check "the icon cache was refreshed" grep -q "^gtk-update-icon-cache .*$home6/share/icons/hicolor$" "$tmp/tools.log"
# A launcher the user replaced after the install is theirs now and stays.
rm -- "$home6/bin/quorvane"
printf '#!/bin/sh\necho wrapper\n' >"$home6/bin/quorvane"
PATH="$tmp/tools:$PATH" run "$home6" uninstall.sh --prefix "$home6/share"
expectSuccess "uninstall after the launcher was replaced"
check "the replaced launcher is left in place" grep -q wrapper "$home6/bin/quorvane"
check "the uninstall says it left the launcher" grep -q "$home6/bin/quorvane" <<<"$out"
check "the caches were refreshed after the uninstall" [ "$(grep -c . "$tmp/tools.log")" -eq 4 ]
check "the uninstall removed the program folder" [ ! -e "$home6/share/quorvane" ]

summary
