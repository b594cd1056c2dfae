#!/usr/bin/env bash
# Builds the two programs (no tests) and runs the animation; arguments go to it (Qt's own
# options, such as -platform wayland).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh run
cmake --preset app >/dev/null
cmake --build --preset app
exec build/app/app/tarsel "$@"
