#!/usr/bin/env bash
# Renders the application icon's PNG sizes from its SVG; run by hand after changing the artwork, then commit
# the PNGs, so that neither the build nor an install needs an SVG renderer (rsvg-convert, Debian's librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/icons/hicolor"

svg=scalable/apps/org.quorvane.Quorvane.svg
for size in 16 32 48 64 128 256; do
  mkdir -p "${size}x${size}/apps"
  rsvg-convert --width "$size" --height "$size" --output "${size}x${size}/apps/org.quorvane.Quorvane.png" "$svg"
done
