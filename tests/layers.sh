#!/usr/bin/env bash
# The layers below the window build without Qt: no file outside app/, tools/, tests/ and bench/
# is compiled with Qt's headers on its include path, and no such file includes a Qt header.
#   layers.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1 build=$2
commands=$build/compile_commands.json
[ -s "$commands" ] || { echo "no $commands"; exit 1; }
status=0
# compile_commands.json has one "command" and one "file" per entry, command first.
while IFS=$'\t' read -r file command; do
  # Files the build generates (the window's icon resource) belong to the target that makes them.
  case $file in "$build"/*) continue ;; esac
  case ${file#"$src"/} in app/* | tools/* | tests/* | bench/*) continue ;; esac
  if [[ $command == *qt6* || $command == *QtCore* ]]; then
    echo "FAIL: ${file#"$src"/} is compiled with Qt on its include path"
    status=1
  fi
done < <(awk -F'"' '/"command":/ { c = $4 } /"file":/ { print $4 "\t" c }' "$commands")
if grep -rlE '#include <Q[A-Za-z]+' "$src"/{geometry,animation,render,input} 2>/dev/null; then
  echo "FAIL: the files above include Qt headers"
  status=1
fi
[ $status -eq 0 ] && echo "the plain C++ layers build without Qt"
exit $status
