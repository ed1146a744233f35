#!/usr/bin/env bash
# Sets up, builds and renders every form offscreen into PNG files (default folder: screenshots/): the main
# window, the three reference dialogs and the about box in every shipped language, as
# OUTPUT_DIR/<language>/<variant>/<form>.png with the variants normal, dark and scale2 (a desktop scaled by two).
# Usage: bash scripts/screenshot.sh [OUTPUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh build
out=${1:-screenshots}
QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=1 build/bin/quorvane_screenshot "$out"
QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 build/bin/quorvane_screenshot "$out"
