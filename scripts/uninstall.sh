#!/usr/bin/env bash
# Removes a per-user Quorvane installation exactly as its manifest lists it, keeping the user's own files.
# Usage: bash scripts/uninstall.sh [--prefix DATA_HOME] [--purge]
#
# Files in the program folder that the install put there go; what the user keeps there (quorvane.ini, own
# language files) stays, and with it the folder, unless --purge is given. Outside the program folder a file
# is removed only while it is still what the install wrote, and a folder only if the install created it and
# it is empty now.
set -euo pipefail

die() {
  echo "quorvane uninstall: $*" >&2
  exit 1
}
warn() { echo "quorvane uninstall: warning: $*" >&2; }
checksum() { sha256sum -- "$1" | cut -d' ' -f1; }

usage() {
  cat <<EOF
Usage: bash scripts/uninstall.sh [--prefix DATA_HOME] [--purge]
  --prefix DIR  data home Quorvane was installed into (default: \${XDG_DATA_HOME:-\$HOME/.local/share})
  --purge       also remove the settings file and anything else left in the program folder
EOF
}

prefix=''
purge=0
while (($#)); do
  case $1 in
  --prefix)
    if (($# < 2)) || [ -z "$2" ]; then die "--prefix needs a folder"; fi
    prefix=$2
    shift 2
    ;;
  --purge) purge=1 && shift ;;
  -h | --help) usage && exit 0 ;;
  *) usage >&2 && exit 2 ;;
  esac
done

# The XDG rules say a relative XDG_DATA_HOME is invalid and must be ignored.
if [ -z "$prefix" ]; then
  case ${XDG_DATA_HOME:-} in
  /*) prefix=$XDG_DATA_HOME ;;
  *) prefix=${HOME:?HOME is not set}/.local/share ;;
  esac
fi
prefix=$(realpath -ms -- "$prefix")
readonly program_dir=$prefix/quorvane
readonly manifest=$program_dir/.install-manifest

if [ ! -e "$program_dir" ] && [ ! -L "$program_dir" ]; then
  echo "Quorvane is not installed in $prefix: nothing to uninstall"
  exit 0
fi
if [ ! -d "$program_dir" ] || [ -L "$program_dir" ]; then
  die "$program_dir is not a folder installed by Quorvane's installer"
fi
if [ ! -f "$manifest" ]; then
  # What an earlier uninstall kept: the user's own files, with the manifest already gone.
  if ((purge)); then
    rm -rf -- "$program_dir"
    echo "Removed $program_dir and the files you kept in it"
    exit 0
  fi
  die "$manifest is missing, so what was installed is unknown; nothing was removed" \
    "(if an earlier uninstall kept this folder for your settings, --purge removes it)"
fi
IFS= read -r header <"$manifest" || true
[[ $header == "# Quorvane install manifest 1"* ]] ||
  die "$manifest is not a manifest this uninstaller can read; nothing was removed"

# Only absolute, normalised paths are followed, so a damaged manifest cannot point outside what it names.
dirs=()
kept=0
while IFS=$'\t' read -r kind data path; do
  case $kind in file | link | dir) ;; *) continue ;; esac
  if [ "$path" != "$(realpath -ms -- "$path")" ] || [ "${path#/}" = "$path" ]; then
    warn "skipping a malformed manifest entry: $path"
    continue
  fi
  if [ "$kind" = dir ]; then
    dirs+=("$path")
    continue
  fi
  [ -e "$path" ] || [ -L "$path" ] || continue
  if [ -d "$path" ] && [ ! -L "$path" ]; then
    warn "$path is a folder now, left in place"
    kept=1
    continue
  fi
  current=''
  if [ "$kind" = link ]; then
    current=$(readlink -- "$path" || true)
  elif [ -f "$path" ] && [ ! -L "$path" ]; then
    current=$(checksum "$path")
  fi
  # The program rewrites its language files, so files inside its folder go whatever their content.
  if [[ $path == "$program_dir"/* || $current == "$data" ]]; then
    rm -f -- "$path"
  else
    warn "$path was changed after the install, left in place"
    kept=1
  fi
done <"$manifest"

rm -f -- "$manifest"
((purge == 0)) || rm -rf -- "$program_dir"
# Reverse order puts every folder after its subfolders, so those are gone by its own turn.
printf '%s\n' "${dirs[@]}" | LC_ALL=C sort -r | while IFS= read -r dir; do
  [ -z "$dir" ] || rmdir -- "$dir" 2>/dev/null || true
done

if [ -f "$prefix/applications/mimeinfo.cache" ] && command -v update-desktop-database >/dev/null; then
  update-desktop-database -q -- "$prefix/applications" || warn "update-desktop-database failed (ignored)"
fi
if [ -f "$prefix/icons/hicolor/icon-theme.cache" ] && command -v gtk-update-icon-cache >/dev/null; then
  gtk-update-icon-cache -q -t -f -- "$prefix/icons/hicolor" || warn "gtk-update-icon-cache failed (ignored)"
fi

if [ -d "$program_dir" ]; then
  echo "Uninstalled Quorvane; kept $program_dir with your own files (remove it with --purge):"
  (cd "$program_dir" && find . -mindepth 1 ! -type d -printf '  %P\n')
else
  echo "Uninstalled Quorvane from $prefix"
fi
((kept == 0)) || echo "Some files changed since the install were left in place (see the warnings above)."
