#!/usr/bin/env bash
# Sets up, builds and starts Quorvane. Without a display it says so and tells how to get the screenshot.
# Usage: bash scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display here (DISPLAY is unset). To see the window as a picture, run: bash scripts/screenshot.sh"
  exit 0
fi
exec build/bin/quorvane "$@"
