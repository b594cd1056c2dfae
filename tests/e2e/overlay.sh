#!/usr/bin/env bash
# The names over the picture on a private X server: at one and two device pixels to the logical
# pixel and at three sizes of the client area (the design size, grown and shrunk), each name
# stands where its label says and leaves the canvas's pixels as they were (overlay_probe.cpp).
#   overlay.sh OVERLAY_PROBE
set -uo pipefail

probe=$1
source "$(dirname "$0")/xserver.sh"
# Room for the window with its panel at ratio 2 and the largest size: (1200 + 340) x 800, twice.
start_x 3200x1800
echo "Xvfb on $DISPLAY"

for ratio in 1 2; do
  echo "-- ratio $ratio"
  started=$(date +%s%N)
  QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$ratio "$probe" 962x688 1200x800 700x540 ||
    fail "the names at ratio $ratio (above)"
  echo "ratio $ratio: $((($(date +%s%N) - started) / 1000000)) ms"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures overlay check(s) failed"
  exit 1
fi
echo "all overlay checks passed"
