#!/usr/bin/env bash
# Builds the browser edition and serves it on this machine only (127.0.0.1), then prints the
# address to open. The folder it serves is all a static web host needs.
#   scripts/web.sh [PORT]    (default 8000; Ctrl+C stops the server)
set -euo pipefail
cd "$(dirname "$0")/.."

# Only what building and serving the page need: not the desktop's Qt, nor a browser.
packages=(cmake ninja-build emscripten python3)
missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake --preset web >/dev/null
cmake --build --preset web
site=build/web/web/site
port=${1:-8000}
echo
echo "The page is in $site; open http://127.0.0.1:$port/ (Ctrl+C stops the server)"
echo "Beside it: build/web/web/tarsel.html (the page in one file, which opens from the disk)"
echo "and build/web/web/tarsel-scorm.zip (the SCORM 1.2 package for a learning platform)"
exec /usr/bin/python3 -m http.server --bind 127.0.0.1 "$port" --directory "$site"
