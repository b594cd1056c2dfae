#!/bin/sh
# The bytes a first visit to the page downloads, each file compressed with gzip -9 as a server
# would send it: index.html, the classic scripts, page.css, the module, the manifest, the icon
# and the service worker. What only a course or the sweep needs is loaded later and not counted.
#   scripts/first_visit.sh [SITE]   (default build/web/web/site)
set -eu
site=${1:-build/web/web/site}
scripts=$(sed -n 's/.*<script src="\([^"]*\)".*/\1/p' "$site/index.html")
total=0
for f in index.html $scripts page.css tarsel.wasm manifest.webmanifest icon.svg sw.js; do
  size=$(gzip -9c "$site/$f" | wc -c)
  total=$((total + size))
done
echo "$total bytes ($((total / 1024)) KiB) on a first visit, gzip -9"
