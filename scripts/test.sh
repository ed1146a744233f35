#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite offscreen (no display needed).
# Usage: bash scripts/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh build
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
