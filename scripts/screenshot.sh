#!/usr/bin/env bash
# Sets up, builds and renders the windows offscreen into PNG files (default folder: screenshots/).
# Usage: bash scripts/screenshot.sh [OUTPUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh build
QT_QPA_PLATFORM=offscreen build/bin/quorvane_screenshot "${1:-screenshots}"
