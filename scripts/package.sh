#!/usr/bin/env bash
# Builds the two programs (no tests) and the Debian package: build/app/tarsel_*.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh package
cmake --preset app >/dev/null
cmake --build --preset app
cd build/app
cpack -G DEB
