#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders packaging/tunewell.svg into the hicolor PNG sizes committed
# beside it (packaging/icons/<N>x<N>/tunewell.png). Run after changing the
# SVG; rsvg-convert writes no time stamp, so the same SVG gives the same
# bytes. Needs librsvg2-bin.
set -euo pipefail
cd "$(dirname "$0")/../packaging"
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "icons/${size}x${size}"
  rsvg-convert --width "$size" --height "$size" --format png tunewell.svg >"icons/${size}x${size}/tunewell.png"
done
