#!/usr/bin/env bash
# Installs Quorvane for the current user (XDG layout): program folder, launcher, desktop file, icons, metainfo.
# Usage: bash scripts/install.sh [--prefix DATA_HOME] [--bindir DIR] [--from PROGRAM_FOLDER]
#
# Without --from it installs build/bin, building it first (scripts/setup.sh) or bringing it up to date.
# The program folder is the user's own, because the program writes quorvane.ini beside its executable. It is
# built complete in a staging folder beside the target and renamed into place, so an install that fails at
# any point leaves the previous installation as it was. Files the user keeps in the program folder (the
# settings file, own language files) are carried over unchanged. Everything installed is listed in
# <program folder>/.install-manifest, which scripts/uninstall.sh follows.
set -euo pipefail

readonly app_id=org.quorvane.Quorvane
repo=$(cd "$(dirname "$0")/.." && pwd)
readonly repo
readonly packaging=$repo/packaging

die() {
  echo "quorvane install: $*" >&2
  exit 1
}
warn() { echo "quorvane install: warning: $*" >&2; }

usage() {
  cat <<EOF
Usage: bash scripts/install.sh [--prefix DATA_HOME] [--bindir DIR] [--from PROGRAM_FOLDER]
  --prefix DIR  data home to install into (default: \${XDG_DATA_HOME:-\$HOME/.local/share})
  --bindir DIR  folder for the quorvane launcher (default: \$HOME/.local/bin)
  --from DIR    take the built program folder from DIR instead of building build/bin
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

prefix=
bindir=
from=
while (($#)); do
  case $1 in
  --prefix | --bindir | --from)
    (($# >= 2)) || die "$1 needs a folder"
    [ -n "$2" ] || die "$1 needs a folder"
    case $1 in
    --prefix) prefix=$2 ;;
    --bindir) bindir=$2 ;;
    --from) from=$2 ;;
    esac
    shift 2
    ;;
  -h | --help)
    usage
    exit 0
    ;;
  *)
    usage >&2
    exit 2
    ;;
  esac
done

# The XDG rules say a relative XDG_DATA_HOME is invalid and must be ignored.
case ${XDG_DATA_HOME:-} in
/*) default_prefix=$XDG_DATA_HOME ;;
*) default_prefix=${HOME:?HOME is not set}/.local/share ;;
esac
default_prefix=$(absolutePath "$default_prefix")
[ -n "$prefix" ] || prefix=$default_prefix
[ -n "$bindir" ] || bindir=${HOME:?HOME is not set}/.local/bin
prefix=$(absolutePath "$prefix")
bindir=$(absolutePath "$bindir")

if [ -z "$from" ]; then
  from=$repo/build/bin
  if [ ! -x "$from/quorvane" ]; then
    echo "quorvane install: $from/quorvane is missing; building it first"
    bash "$repo/scripts/setup.sh" build
  elif [ -f "$repo/build/CMakeCache.txt" ]; then
    # An existing build is brought up to date in its own configuration, so that an install after an update
    # of the sources never installs the previous program.
    echo "quorvane install: bringing $repo/build up to date"
    cmake --build "$repo/build" --target quorvane -j"$(nproc)" || die "building in $repo/build failed; nothing was installed"
  fi
fi
from=$(absolutePath "$from")
if [ ! -f "$from/quorvane" ] || [ ! -x "$from/quorvane" ]; then
  die "no executable $from/quorvane; build the program first"
fi
[ -f "$from/history.html" ] || die "$from/history.html is missing; the program folder is incomplete"
[ -d "$from/languages" ] || die "$from/languages is missing; the program folder is incomplete"

readonly program_dir=$prefix/quorvane
readonly manifest=$program_dir/.install-manifest
readonly executable=$program_dir/quorvane
readonly launcher=$bindir/quorvane

# What goes into the program folder, by the same relative paths as in the built one.
program_files=(quorvane history.html)
shopt -s nullglob
for lng in "$from"/languages/*.lng; do
  program_files+=("languages/${lng##*/}")
done
shopt -u nullglob
((${#program_files[@]} > 2)) || warn "$from/languages holds no language files"

# What goes outside it: destination -> source (the launcher is made separately).
declare -A outside_source=()
outside_source["$prefix/applications/$app_id.desktop"]=$packaging/$app_id.desktop
outside_source["$prefix/metainfo/$app_id.metainfo.xml"]=$packaging/$app_id.metainfo.xml
while IFS= read -r -d '' icon; do
  outside_source["$prefix/icons/hicolor/${icon#"$packaging/icons/hicolor/"}"]=$icon
done < <(find "$packaging/icons/hicolor" -type f \( -name "$app_id.png" -o -name "$app_id.svg" \) -print0)
# Sorted, so that the manifest lists them in a stable order.
mapfile -t outside_targets < <(printf '%s\n' "${!outside_source[@]}" | LC_ALL=C sort)

# The previous installation's manifest: kind and checksum (or link target) of every path it lists.
declare -A old_kind=() old_data=()
if [ -L "$program_dir" ]; then
  die "$program_dir is a symbolic link; the installer replaces the program folder as a whole, so it must be a real folder"
fi
if [ -e "$program_dir" ] && [ ! -d "$program_dir" ]; then
  die "$program_dir exists and is not a folder"
fi
if [ -f "$manifest" ]; then
  while IFS=$'\t' read -r kind data path; do
    case $kind in
    file | link | dir) ;;
    *) continue ;;
    esac
    old_kind["$path"]=$kind
    old_data["$path"]=$data
  done <"$manifest"
fi

# Everything below creates something: on any failure the exit trap removes it again, unless the new program
# folder has already been renamed into place.
staging=
backup=
created_dirs=()
declare -A temp_for=()
committed=0
step="checking the target folders"

cleanup() {
  local status=$? path i
  trap - EXIT
  # A temporary outside file that was renamed into place no longer exists under its temporary name.
  for path in "${temp_for[@]}"; do
    rm -f -- "$path"
  done
  if ((status != 0 && committed == 0)); then
    [ -z "$staging" ] || rm -rf -- "$staging"
    if [ -n "$backup" ] && [ -d "$backup" ]; then
      # The old program folder was moved aside but the new one did not take its place: put it back.
      if [ -e "$program_dir" ]; then
        echo "quorvane install: the previous program folder was kept as $backup" >&2
      else
        mv -T -- "$backup" "$program_dir" || echo "quorvane install: the previous program folder is in $backup" >&2
      fi
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
  local dir=$1 missing=()
  while [ ! -d "$dir" ]; do
    if [ -e "$dir" ] || [ -L "$dir" ]; then
      die "cannot create the folder $dir: a file of that name is in the way"
    fi
    missing+=("$dir")
    dir=$(dirname -- "$dir")
  done
  local i
  for ((i = ${#missing[@]} - 1; i >= 0; i--)); do
    mkdir -- "${missing[i]}"
    created_dirs+=("${missing[i]}")
  done
}

checksum() {
  local sum
  sum=$(sha256sum -- "$1")
  echo "${sum%% *}"
}

# A destination outside the program folder may be replaced only if the previous install put it there, or it
# already is what would be installed; anything else belongs to someone else and stops the install.
checkFreeFile() {
  local target=$1 source=$2
  if [ -d "$target" ] && [ ! -L "$target" ]; then
    die "cannot install $target: a folder of that name is in the way"
  fi
  if [ -e "$target" ] || [ -L "$target" ]; then
    [ "${old_kind[$target]:-}" = file ] && return 0
    [ -f "$target" ] && [ ! -L "$target" ] && cmp -s -- "$target" "$source" && return 0
    die "$target already exists and was not installed by this installer; move it away first"
  fi
}

step="creating the data folder $prefix"
makeDirs "$prefix"

step="creating a staging folder in $prefix"
staging=$(mktemp -d -- "$prefix/.quorvane-staging.XXXXXX")
chmod "$(printf '%o' $((0777 & ~$(umask))))" -- "$staging"

new_dirs=()
if [ -d "$program_dir" ]; then
  # Carry the old folder over as a whole, then take out what the previous install put there: what is left
  # is the user's (quorvane.ini above all) and stays byte for byte.
  step="copying the files you keep in $program_dir"
  cp -a -- "$program_dir/." "$staging/"
  rm -f -- "$staging/.install-manifest"
  for path in "${!old_kind[@]}"; do
    [ "${old_kind[$path]}" != dir ] || continue
    case $path in
    "$program_dir"/*) rm -f -- "$staging/${path#"$program_dir/"}" ;;
    esac
  done
  while IFS= read -r path; do
    case $path in
    "$program_dir"/*) rmdir -- "$staging/${path#"$program_dir/"}" 2>/dev/null || true ;;
    esac
  done < <(for path in "${!old_kind[@]}"; do [ "${old_kind[$path]}" != dir ] || echo "$path"; done | LC_ALL=C sort -r)
  [ "${old_kind[$program_dir]:-}" != dir ] || new_dirs+=("$program_dir")
else
  new_dirs+=("$program_dir")
fi

step="copying the program from $from"
for rel in "${program_files[@]}"; do
  if [ -e "$staging/$rel" ] || [ -L "$staging/$rel" ]; then
    die "$program_dir/$rel is not from this installer (not in its manifest); move it away first"
  fi
  sub=$(dirname -- "$rel")
  if [ "$sub" != . ]; then
    if [ -e "$staging/$sub" ] && [ ! -d "$staging/$sub" ]; then
      die "$program_dir/$sub is a file where the installer needs a folder; move it away first"
    fi
    if [ ! -d "$staging/$sub" ] || [ "${old_kind[$program_dir/$sub]:-}" = dir ]; then
      new_dirs+=("$program_dir/$sub")
    fi
    mkdir -p -- "$staging/$sub"
  fi
  mode=0644
  [ "$rel" != quorvane ] || mode=0755
  install -m "$mode" -- "$from/$rel" "$staging/$rel"
done

step="checking $launcher"
if [ -d "$launcher" ] && [ ! -L "$launcher" ]; then
  die "cannot install the launcher $launcher: a folder of that name is in the way"
fi
if [ -e "$launcher" ] || [ -L "$launcher" ]; then
  if [ "${old_kind[$launcher]:-}" != link ] && [ "$(readlink -- "$launcher" || true)" != "$executable" ]; then
    die "$launcher already exists and was not installed by this installer; move it away or choose another --bindir"
  fi
fi
for target in "${outside_targets[@]}"; do
  step="checking $target"
  checkFreeFile "$target" "${outside_source[$target]}"
done

# Each outside file is written to a temporary name in its own folder and renamed over the target only once
# everything has been staged.
stageOutside() {
  local target=$1 dir
  dir=$(dirname -- "$target")
  makeDirs "$dir"
  temp_for["$target"]=$(mktemp -- "$dir/.${target##*/}.XXXXXX")
}

step="creating the launcher in $bindir"
stageOutside "$launcher"
ln -sfn -- "$executable" "${temp_for[$launcher]}"

# The desktop file is given the executable's absolute path: a folder such as ~/.local/bin that did not exist
# when the session started is not on the desktop's PATH, and a menu entry relying on it would do nothing.
desktopExec() {
  local quoted=$1
  quoted=${quoted//\\/\\\\}
  quoted=${quoted//\"/\\\"}
  quoted=${quoted//\`/\\\`}
  quoted=${quoted//\$/\\\$}
  quoted="\"$quoted\""
  quoted=${quoted//%/%%}
  echo "${quoted//\\/\\\\}"
}

for target in "${outside_targets[@]}"; do
  step="writing $target"
  stageOutside "$target"
  if [ "${target##*.}" = desktop ]; then
    exec_line="Exec=$(desktopExec "$executable")"
    while IFS= read -r line || [ -n "$line" ]; do
      case $line in
      Exec=*) echo "$exec_line" ;;
      *) printf '%s\n' "$line" ;;
      esac
    done <"${outside_source[$target]}" >"${temp_for[$target]}"
  else
    cp -- "${outside_source[$target]}" "${temp_for[$target]}"
  fi
  chmod 0644 -- "${temp_for[$target]}"
done

step="writing the manifest"
new_dirs+=("${created_dirs[@]}")
declare -A new_kind=()
{
  echo "# Quorvane install manifest 1: kind, checksum or link target, path; read by scripts/uninstall.sh"
  for rel in "${program_files[@]}"; do
    new_kind["$program_dir/$rel"]="file"
    printf 'file\t%s\t%s\n' "$(checksum "$staging/$rel")" "$program_dir/$rel"
  done
  new_kind["$launcher"]="link"
  printf 'link\t%s\t%s\n' "$executable" "$launcher"
  for target in "${outside_targets[@]}"; do
    new_kind["$target"]="file"
    printf 'file\t%s\t%s\n' "$(checksum "${temp_for[$target]}")" "$target"
  done
  # Folders the previous install created stay recorded while something of this install is inside them.
  for path in "${!old_kind[@]}"; do
    [ "${old_kind[$path]}" = dir ] || continue
    for target in "${!new_kind[@]}"; do
      case $target in
      "$path"/*)
        new_dirs+=("$path")
        break
        ;;
      esac
    done
  done
  printf '%s\n' "${new_dirs[@]}" | sort -u | while IFS= read -r path; do
    [ -z "$path" ] || printf 'dir\t-\t%s\n' "$path"
  done
} >"$staging/.install-manifest"

step="replacing $program_dir"
if [ -d "$program_dir" ]; then
  backup=$(mktemp -d -- "$prefix/.quorvane-previous.XXXXXX")
  mv -T -- "$program_dir" "$backup"
fi
mv -T -- "$staging" "$program_dir"
staging=
committed=1

for target in "${!temp_for[@]}"; do
  step="putting $target in place"
  mv -fT -- "${temp_for[$target]}" "$target"
done
if [ -n "$backup" ]; then
  step="removing the previous program folder $backup"
  rm -rf -- "$backup"
fi

# What the previous install put outside the program folder and this one no longer ships goes, if unchanged.
step="removing files of the previous installation"
for path in "${!old_kind[@]}"; do
  [ -z "${new_kind[$path]:-}" ] || continue
  case $path in
  "$program_dir" | "$program_dir"/*) continue ;;
  esac
  case ${old_kind[$path]} in
  file) [ ! -f "$path" ] || [ -L "$path" ] || [ "$(checksum "$path")" != "${old_data[$path]}" ] || rm -f -- "$path" ;;
  link) [ ! -L "$path" ] || [ "$(readlink -- "$path")" != "${old_data[$path]}" ] || rm -f -- "$path" ;;
  esac
done
for path in "${!old_kind[@]}"; do
  if [ "${old_kind[$path]}" = dir ] && ! grep -qxF -e "$(printf 'dir\t-\t%s' "$path")" -- "$manifest"; then
    echo "$path"
  fi
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
