#!/usr/bin/env bash
# Builds everything and runs every test: the default build (unit and end-to-end tests, the
# latter on a private Xvfb), the browser edition in headless Chromium (compared with the
# default build's tarsel-render, so it comes second), then the unit tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer, and a short run of the driver's fuzz target
# (clang, libFuzzer).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
cmake --workflow --preset default
cmake --workflow --preset web
cmake --workflow --preset asan
cmake --workflow --preset fuzz
