#!/usr/bin/env bash
# Installs what building and testing Quorvane needs on Debian 12, then configures and builds it.
# Usage: bash scripts/setup.sh [BUILD_DIR [CMAKE_OPTION...]]   (default: build; options override the defaults)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  g++ make cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev   # Qt 6 Widgets, Network and Test
  fonts-liberation2 fonts-dejavu-core         # metric-compatible faces for the designed fonts
  desktop-file-utils appstream                # validators of the desktop file and metainfo (install test)
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Run as root to install: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

build_dir=${1:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_WERROR=ON "${@:2}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
