#!/usr/bin/env bash
# The layers stay in their order: a folder includes only its own headers and those of the
# layers below it, and only the front ends of the desktop (app/, tools/) see Qt.
#   layers.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1 build=$2

# What each folder may include, its own folder aside; lowest layer first.
declare -A below=(
  [geometry]=""
  [animation]="geometry"
  [render]="geometry animation"
  [input]="geometry animation"
  [export]="geometry animation render input"
  [app]="geometry animation render input export"
  [tools]="geometry animation render input export"
  [web]="geometry animation render input export"
)
qt_allowed="app tools"

status=0
fail() {
  echo "FAIL: $*"
  status=1
}

# Every project include ("folder/file.h") of every source file of the layers.
for folder in "${!below[@]}"; do
  [ -d "$src/$folder" ] || continue
  while IFS=: read -r file line text; do
    target=$(sed -E 's/.*#include "([^/"]+)\/.*/\1/' <<<"$text")
    [ "$target" = "$folder" ] && continue
    [[ " ${below[$folder]} " == *" $target "* ]] && continue
    fail "${file#"$src"/}:$line includes $target/, a layer above $folder/ or beside it"
  done < <(grep -rnE '^\s*#\s*include "[^/"]+/' "$src/$folder" --include='*.h' --include='*.cpp' || true)
  if [[ " $qt_allowed " != *" $folder "* ]] &&
    grep -rlE '#\s*include <Q[A-Za-z]+' "$src/$folder" --include='*.h' --include='*.cpp'; then
    fail "the files above, in $folder/, include Qt headers"
  fi
done

# No file outside the Qt front ends is compiled with Qt on its include path.
# compile_commands.json has one "command" and one "file" per entry, command first.
commands=$build/compile_commands.json
[ -s "$commands" ] || { echo "no $commands"; exit 1; }
while IFS=$'\t' read -r file command; do
  # Files the build generates (the window's icon resource) belong to the target that makes them.
  case $file in "$build"/*) continue ;; esac
  case ${file#"$src"/} in app/* | tools/* | tests/* | bench/*) continue ;; esac
  [[ $command == *qt6* || $command == *QtCore* ]] &&
    fail "${file#"$src"/} is compiled with Qt on its include path"
done < <(awk -F'"' '/"command":/ { c = $4 } /"file":/ { print $4 "\t" c }' "$commands")

[ $status -eq 0 ] && echo "every layer includes only itself and the layers below it; Qt only in app/ and tools/"
exit $status
