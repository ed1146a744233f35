#!/usr/bin/env bash
# Installs what building and testing Quorvane needs on Debian 12, then configures and builds it.
# Usage: bash scripts/setup.sh [BUILD_DIR [CMAKE_OPTION...]]   (default: build; options override the defaults)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  g++ make cmake pkg-config
  python3                                     # the registry table's generator and the tests' reference figures
  qt6-base-dev qt6-base-dev-tools libgl-dev   # Qt 6 Widgets, Network and Test
  fonts-liberation2 fonts-dejavu-core         # metric-compatible faces for the designed fonts
  desktop-file-utils appstream                # validators of the desktop file and metainfo (install test)
  xvfb openbox                                # the desktop tests' own X server and window manager
  libxcb1-dev libxcb-xtest0-dev               # startup notification; the desktop tests' X client and key presses
)

# shellcheck source=scripts/packages.sh
source scripts/packages.sh
install_packages "${packages[@]}"

build_dir=${1:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_WERROR=ON "${@:2}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
