#!/usr/bin/env bash
# Installs Quorvane for the current user (XDG layout): program folder, launcher, desktop file, icons, metainfo.
# Usage: bash scripts/install.sh [--prefix DATA_HOME] [--bindir DIR] [--from FOLDER]
#
# CMake's install rules (packaging/install.cmake) say what goes where: `cmake --install` lays it all out in a
# staging folder beside the target, given as DESTDIR so that the desktop file names the final executable.
# This script adds what install rules cannot: the staged program folder is renamed into place, so a failed
# install leaves the previous one as it was; the files the user keeps there (quorvane.ini, own language
# files) are carried over unchanged; nobody else's file is overwritten; the launcher link; and the list of
# everything installed, <program folder>/.install-manifest, which scripts/uninstall.sh follows.
# Without --from it installs build/, building it first or bringing it up to date. --from takes another build
# folder, or a built program folder without a build tree, which packaging/prebuilt lays out by the same rules.
set -euo pipefail

readonly app_id=org.quorvane.Quorvane
repo=$(cd "$(dirname "$0")/.." && pwd)
readonly repo

die() {
  echo "quorvane install: $*" >&2
  exit 1
}
warn() { echo "quorvane install: warning: $*" >&2; }
quietly() { local log; log=$("$@" 2>&1) || { printf '%s\n' "$log" >&2 && return 1; }; }
checksum() { sha256sum -- "$1" | cut -d' ' -f1; }

usage() {
  cat <<EOF
Usage: bash scripts/install.sh [--prefix DATA_HOME] [--bindir DIR] [--from FOLDER]
  --prefix DIR  data home to install into (default: \${XDG_DATA_HOME:-\$HOME/.local/share})
  --bindir DIR  folder for the quorvane launcher (default: \$HOME/.local/bin)
  --from DIR    install the build folder or built program folder DIR instead of building build/
EOF
}

# An absolute, normalised path without resolving symbolic links. Tabs and line breaks are refused because
# the manifest is a tab-separated list of lines.
absolutePath() {
  case $1 in
  *$'\t'* | *$'\n'*) die "a path with a tab or line break is not supported: $1" ;;
  esac
  realpath -ms -- "$1"
}

prefix='' bindir='' from=''
while (($#)); do
  case $1 in
  --prefix | --bindir | --from)
    if (($# < 2)) || [ -z "$2" ]; then die "$1 needs a folder"; fi
    declare "${1#--}=$2"
    shift 2
    ;;
  -h | --help) usage && exit 0 ;;
  *) usage >&2 && exit 2 ;;
  esac
done

# The XDG rules say a relative XDG_DATA_HOME is invalid and must be ignored.
case ${XDG_DATA_HOME:-} in
/*) default_prefix=$(absolutePath "$XDG_DATA_HOME") ;;
*) default_prefix=$(absolutePath "${HOME:?HOME is not set}/.local/share") ;;
esac
prefix=$(absolutePath "${prefix:-$default_prefix}")
bindir=$(absolutePath "${bindir:-${HOME:?HOME is not set}/.local/bin}")

if [ -z "$from" ]; then
  from=$repo/build
  if [ ! -f "$from/CMakeCache.txt" ] || [ ! -x "$from/bin/quorvane" ]; then
    echo "quorvane install: $from/bin/quorvane is missing; building it first"
    bash "$repo/scripts/setup.sh" build
  else
    # Brought up to date in its own configuration, so that an install after an update of the sources never
    # installs the previous program.
    echo "quorvane install: bringing $from up to date"
    cmake --build "$from" --target quorvane -j"$(nproc)" || die "building in $from failed; nothing was installed"
  fi
fi
from=$(absolutePath "$from")
case $prefix$from in
*\\*) die "a backslash in the data folder or in --from is not supported: cmake --install takes it for a separator" ;;
esac
if [ ! -f "$from/CMakeCache.txt" ]; then
  if [ ! -f "$from/quorvane" ] || [ ! -x "$from/quorvane" ]; then
    die "$from is neither a build folder nor a program folder with the executable quorvane; build the program first"
  fi
  [ -f "$from/history.html" ] || die "$from/history.html is missing; the program folder is incomplete"
  [ -d "$from/languages" ] || die "$from/languages is missing; the program folder is incomplete"
  compgen -G "$from/languages/*.lng" >/dev/null || warn "$from/languages holds no language files"
fi

readonly program_dir=$prefix/quorvane
readonly manifest=$program_dir/.install-manifest
readonly executable=$program_dir/quorvane
readonly launcher=$bindir/quorvane
if [ -L "$program_dir" ] || { [ -e "$program_dir" ] && [ ! -d "$program_dir" ]; }; then
  die "$program_dir is not a real folder; the installer replaces the program folder as a whole"
fi

# The previous installation's manifest: kind and checksum (or link target) of every path it lists.
declare -A old_kind=() old_data=()
if [ -f "$manifest" ]; then
  while IFS=$'\t' read -r kind data path; do
    case $kind:$path in file:/* | link:/* | dir:/*) old_kind["$path"]=$kind old_data["$path"]=$data ;; esac
  done <"$manifest"
fi

# Everything below creates something: on any failure the exit trap removes it again, unless the new program
# folder has already been renamed into place.
staging='' prebuilt='' backup='' committed=0 created_dirs=()
declare -A temp_for=()
step="checking the target folders"
cleanup() {
  local status=$? path i
  trap - EXIT
  # A temporary outside file that was renamed into place no longer exists under its temporary name.
  for path in "${temp_for[@]}" "$staging" "$prebuilt"; do
    [ -z "$path" ] || rm -rf -- "$path"
  done
  if ((status != 0 && committed == 0)); then
    # The old program folder was moved aside but the new one did not take its place: put it back.
    if [ -n "$backup" ] && [ -d "$backup" ]; then
      [ ! -e "$program_dir" ] && mv -T -- "$backup" "$program_dir" ||
        echo "quorvane install: the previous program folder was kept as $backup" >&2
    fi
    for ((i = ${#created_dirs[@]} - 1; i >= 0; i--)); do
      rmdir -- "${created_dirs[i]}" 2>/dev/null || true
    done
    echo "quorvane install: failed while $step; the previous installation, if any, is unchanged" >&2
  elif ((status != 0)); then
    echo "quorvane install: failed while $step, after the program folder was replaced;" \
      "run the install again to complete it" >&2
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# mkdir -p that remembers which folders it created, so that uninstall (and a failed install) removes exactly
# those. A file standing where a folder must be is reported by name.
makeDirs() {
  local dir=$1 missing=() i
  while [ ! -d "$dir" ]; do
    if [ -e "$dir" ] || [ -L "$dir" ]; then die "cannot create the folder $dir: a file of that name is in the way"; fi
    missing+=("$dir")
    dir=$(dirname -- "$dir")
  done
  for ((i = ${#missing[@]} - 1; i >= 0; i--)); do
    mkdir -- "${missing[i]}"
    created_dirs+=("${missing[i]}")
  done
}

step="creating the data folder $prefix"
makeDirs "$prefix"
tree=$from
if [ ! -f "$from/CMakeCache.txt" ]; then
  step="reading the program folder $from"
  prebuilt=$(mktemp -d) tree=$prebuilt
  quietly cmake -S "$repo/packaging/prebuilt" -B "$tree" -DQUORVANE_PREBUILT="$from"
fi
step="laying out the program with cmake --install $tree"
staging=$(mktemp -d -- "$prefix/.quorvane-staging.XXXXXX")
# Stripped: the symbols and debug information of a build are of no use to the user and most of its size.
quietly env DESTDIR="$staging/root" cmake --install "$tree" --prefix "$prefix" --strip
readonly laid=$staging/root$prefix
[ -f "$laid/quorvane/quorvane" ] || die "the install rules of $tree laid out no program"
# What goes into the program folder, and what outside it, by their paths relative to it and to the prefix.
mapfile -t program_files < <(cd "$laid/quorvane" && find . ! -type d -printf '%P\n' | LC_ALL=C sort)
mapfile -t outside_files < <(cd "$laid" && find . -path ./quorvane -prune -o ! -type d -printf '%P\n' | LC_ALL=C sort)

new_dirs=()
keep=$staging/keep
if [ -d "$program_dir" ]; then
  # Copy the old folder as a whole, then take out what the previous install put there: what is left is the
  # user's (quorvane.ini above all) and goes into the new folder byte for byte.
  step="copying the files you keep in $program_dir"
  cp -a -- "$program_dir" "$keep"
  rm -f -- "$keep/.install-manifest"
  for path in "${!old_kind[@]}"; do
    case ${old_kind[$path]}:$path in file:"$program_dir"/*) rm -f -- "$keep/${path#"$program_dir/"}" ;; esac
  done
fi
step="checking the files you keep in $program_dir"
for rel in "${program_files[@]}"; do
  if [ -e "$keep/$rel" ] || [ -L "$keep/$rel" ]; then
    die "$program_dir/$rel is not from this installer (not in its manifest); move it away first"
  fi
done
# A folder in the program folder is the install's if it did not exist before or the previous install had it.
while IFS= read -r rel; do
  if [ -L "$keep/$rel" ] || { [ -e "$keep/$rel" ] && [ ! -d "$keep/$rel" ]; }; then
    die "$program_dir/$rel is a file where the installer needs a folder; move it away first"
  fi
  path=$program_dir${rel:+/$rel}
  [ -d "$keep/$rel" ] && [ "${old_kind[$path]:-}" != dir ] || new_dirs+=("$path")
done < <(cd "$laid/quorvane" && find . -type d -printf '%P\n')
[ ! -d "$keep" ] || cp -a -- "$keep/." "$laid/quorvane/"

# Outside the program folder a path may be replaced only if the previous install put it there, or it already
# is what would be installed; anything else belongs to someone else and stops the install.
outside=("$launcher")
for rel in "${outside_files[@]}"; do outside+=("$prefix/$rel"); done
for target in "${outside[@]}"; do
  step="checking $target"
  kind=file source=$laid/${target#"$prefix/"}
  [ "$target" != "$launcher" ] || kind='link'
  if [ -d "$target" ] && [ ! -L "$target" ]; then
    die "cannot install $target: a folder of that name is in the way"
  elif [ -e "$target" ] || [ -L "$target" ]; then
    [ "${old_kind[$target]:-}" = "$kind" ] ||
      { [ $kind = link ] && [ "$(readlink -- "$target")" = "$executable" ]; } ||
      { [ $kind = file ] && [ -f "$target" ] && [ ! -L "$target" ] && cmp -s -- "$target" "$source"; } ||
      die "$target already exists and was not installed by this installer; move it away first"
  fi
done
# Each is written to a temporary name in its own folder and renamed over the target only once everything has
# been staged.
for target in "${outside[@]}"; do
  step="writing $target"
  makeDirs "$(dirname -- "$target")"
  temp_for["$target"]=$(mktemp -- "$(dirname -- "$target")/.${target##*/}.XXXXXX")
  if [ "$target" = "$launcher" ]; then
    ln -sfn -- "$executable" "${temp_for[$target]}"
  else
    install -m 0644 -- "$laid/${target#"$prefix/"}" "${temp_for[$target]}"
  fi
done

step="writing the manifest"
declare -A new_kind=()
{
  echo "# Quorvane install manifest 1: kind, checksum or link target, path; read by scripts/uninstall.sh"
  for rel in "${program_files[@]}"; do
    new_kind["$program_dir/$rel"]='file'
    sum=$(checksum "$laid/quorvane/$rel")
    printf 'file\t%s\t%s\n' "$sum" "$program_dir/$rel"
  done
  for target in "${outside[@]}"; do
    if [ "$target" = "$launcher" ]; then
      new_kind["$target"]='link'
      printf 'link\t%s\t%s\n' "$executable" "$target"
    else
      new_kind["$target"]='file'
      sum=$(checksum "${temp_for[$target]}")
      printf 'file\t%s\t%s\n' "$sum" "$target"
    fi
  done
  # Folders the previous install created stay recorded while something of this install is inside them.
  for path in "${!old_kind[@]}"; do
    [ "${old_kind[$path]}" = dir ] || continue
    for target in "${!new_kind[@]}"; do
      if [[ $target == "$path"/* ]]; then
        new_dirs+=("$path")
        break
      fi
    done
  done
  printf '%s\n' "${new_dirs[@]}" "${created_dirs[@]}" | LC_ALL=C sort -u | while IFS= read -r path; do
    [ -z "$path" ] || printf 'dir\t-\t%s\n' "$path"
  done
} >"$laid/quorvane/.install-manifest"

step="replacing $program_dir"
if [ -d "$program_dir" ]; then
  backup=$(mktemp -d -- "$prefix/.quorvane-previous.XXXXXX")
  mv -T -- "$program_dir" "$backup"
fi
mv -T -- "$laid/quorvane" "$program_dir"
committed=1
for target in "${!temp_for[@]}"; do
  step="putting $target in place"
  mv -fT -- "${temp_for[$target]}" "$target"
done
step="removing the previous program folder $backup"
[ -z "$backup" ] || rm -rf -- "$backup"

# What the previous install put outside the program folder and this one no longer ships goes, if unchanged,
# and so do the folders it created that are no longer recorded, if empty.
step="removing files of the previous installation"
for path in "${!old_kind[@]}"; do
  [[ -z ${new_kind[$path]:-} && $path != "$program_dir" && $path != "$program_dir"/* ]] || continue
  case ${old_kind[$path]} in
  file) [ ! -f "$path" ] || [ -L "$path" ] || [ "$(checksum "$path")" != "${old_data[$path]}" ] || rm -f -- "$path" ;;
  link) [ ! -L "$path" ] || [ "$(readlink -- "$path")" != "${old_data[$path]}" ] || rm -f -- "$path" ;;
  dir) grep -qxF -e "$(printf 'dir\t-\t%s' "$path")" -- "$manifest" || echo "$path" ;;
  esac
done | LC_ALL=C sort -r | while IFS= read -r path; do
  rmdir -- "$path" 2>/dev/null || true
done

# Caches are refreshed where they exist; a new cache is not created, since it would be a file that no
# uninstall could tell apart from the user's own. A tool that is missing or fails never fails the install.
if [ -f "$prefix/applications/mimeinfo.cache" ] && command -v update-desktop-database >/dev/null; then
  update-desktop-database -q -- "$prefix/applications" || warn "update-desktop-database failed (ignored)"
fi
if [ -f "$prefix/icons/hicolor/icon-theme.cache" ] && command -v gtk-update-icon-cache >/dev/null; then
  gtk-update-icon-cache -q -t -f -- "$prefix/icons/hicolor" || warn "gtk-update-icon-cache failed (ignored)"
fi

echo "Installed Quorvane in $program_dir"
echo "  launcher:     $launcher"
echo "  menu entry:   $prefix/applications/$app_id.desktop"
if [ "$prefix" = "$default_prefix" ]; then
  printf '  uninstall:    bash %q\n' "$repo/scripts/uninstall.sh"
else
  printf '  uninstall:    bash %q --prefix %q\n' "$repo/scripts/uninstall.sh" "$prefix"
fi
case ":${PATH:-}:" in
*":$bindir:"*) ;;
*) echo "Note: $bindir is not on your PATH; add it, or start $executable directly." ;;
esac
