#!/usr/bin/env bash
# How the real program starts: --help and --version without a display, one clear line and
# status 1 where no window can be opened, and a whole run on a Wayland compositor (weston)
# through Qt's Wayland platform plugin.
#   start.sh TARSEL TARSEL_RENDER SHOT
set -uo pipefail

tarsel=$1 render=$2 shot=$3
source "$(dirname "$0")/xserver.sh"

weston_pid=
trap '[ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null; cleanup' EXIT

# run_bare ENV...: the program with the given environment only, its status in $status.
run_bare() {
  env -i PATH="$PATH" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" "$@" >"$work/out" 2>"$work/err"
  status=$?
}

# Status 1 (or $3) and exactly one line on stderr that contains the expected words.
expect_refused() {
  local what=$1 words=$2 want=${3:-1}
  echo "$what: status $status: $(cat "$work/err")"
  [ "$status" -eq "$want" ] || fail "$what: status $status, expected $want"
  [ "$(wc -l <"$work/err")" -eq 1 ] || fail "$what: not one line on stderr"
  grep -qF "$words" "$work/err" || fail "$what: stderr does not say '$words'"
  [ -s "$work/out" ] && fail "$what: wrote to stdout: $(cat "$work/out")"
}

echo "-- --help and --version, without a display"
run_bare "$tarsel" --help
[ "$status" -eq 0 ] || fail "--help: status $status"
grep -q 'man tarsel' "$work/out" && grep -q 'tarsel-render' "$work/out" ||
  fail "--help does not point to man tarsel and tarsel-render: $(cat "$work/out")"
[ -s "$work/err" ] && fail "--help: stderr: $(cat "$work/err")"
run_bare "$tarsel" --version
[ "$status" -eq 0 ] && [ "$(cat "$work/out")" = "tarsel $(sed -n 's/^project(tarsel VERSION \([0-9.]*\).*/\1/p' \
  "$(dirname "$0")/../../CMakeLists.txt")" ] || fail "--version: status $status, '$(cat "$work/out")'"

echo "-- no display at all"
run_bare "$tarsel"
expect_refused "no display" "neither WAYLAND_DISPLAY nor DISPLAY is set"
run_bare "$tarsel" foo bar
expect_refused "no display, with arguments" "neither WAYLAND_DISPLAY nor DISPLAY is set"

echo "-- an X display that is not there"
run_bare DISPLAY=:4095 "$tarsel"
expect_refused "DISPLAY=:4095" "cannot connect to the X display ':4095'"
run_bare "$tarsel" -platform nosuchplatform
expect_refused "-platform nosuchplatform" "'nosuchplatform'"

# A copy of the program whose qt.conf points at the system's Qt plugins less the Wayland ones,
# as on a machine without qt6-wayland.
plugins=$(qtpaths6 --plugin-dir 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
mkdir -p "$work/no-wayland/bin" "$work/no-wayland/plugins/platforms"
for dir in "$plugins"/*; do
  case $(basename "$dir") in
    wayland*) ;;
    platforms)
      for f in "$dir"/*; do
        case $(basename "$f") in libqwayland*) ;; *) ln -s "$f" "$work/no-wayland/plugins/platforms/" ;; esac
      done
      ;;
    *) ln -s "$dir" "$work/no-wayland/plugins/" ;;
  esac
done
cp "$tarsel" "$work/no-wayland/bin/tarsel"
printf '[Paths]\nPlugins=%s\n' "$work/no-wayland/plugins" >"$work/no-wayland/bin/qt.conf"

echo "-- a Wayland session without Qt's Wayland plugin and without X"
run_bare XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-1 "$work/no-wayland/bin/tarsel"
expect_refused "Wayland without the plugin" "qt6-wayland"

echo "-- on weston: activation, keys, Escape, pixels at scale 2"
# weston runs as a window of a private X server, which gives it a keyboard (its headless
# backend has none) and lets xdotool type into it; the program itself sees no X display.
start_x 2600x1600
# weston's pointer rests on the program's window and the program shows its arrow there: a
# cursor theme whose arrow is one transparent pixel keeps it out of the pictures.
le32() { printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) \
  $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"; }
mkdir -p "$work/cursors/blank/cursors"
{
  printf Xcur
  for v in 16 65536 1 4294770690 24 28 36 4294770690 24 1 1 1 0 0 0 0; do le32 "$v"; done
} >"$work/cursors/blank/cursors/left_ptr"
for name in default arrow top_left_arrow left_arrow; do
  cp "$work/cursors/blank/cursors/left_ptr" "$work/cursors/blank/cursors/$name"
done
weston --backend=x11-backend.so --use-pixman --no-config --shell=kiosk-shell.so --idle-time=0 \
  --width=962 --height=688 --scale=2 --socket=tarsel-wayland >"$work/weston.log" 2>&1 &
weston_pid=$!
compositor=$(timeout 10 xdotool search --sync --onlyvisible --class 'Weston Compositor' | head -n 1)
for _ in $(seq 100); do
  [ -S "$XDG_RUNTIME_DIR/tarsel-wayland" ] && break
  sleep 0.05
done
if [ -z "$compositor" ] || [ ! -S "$XDG_RUNTIME_DIR/tarsel-wayland" ]; then
  fail "weston did not start: $(cat "$work/weston.log")"
else
  env -u DISPLAY XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=tarsel-wayland \
    XCURSOR_PATH="$work/cursors" XCURSOR_THEME=blank \
    env --default-signal=INT,TERM "$tarsel" >"$work/app.out" 2>"$work/app.err" &
  app_pid=$!
  win=$compositor
  xdotool windowfocus --sync "$win"
  # The first frame shows only after the first activation.
  expect_picture "" wayland-first-frame --scale 2
  for k in BackSpace a slash comma; do
    xdotool key "$k"
    sleep 0.3
  done
  expect_picture "8 97 47 44" wayland-keys --scale 2
  xdotool key Escape
  expect_exit "Escape on Wayland"
fi

echo "-- Qt's own options keep working; any other argument is refused"
# -display names the X server that DISPLAY, unset here, would have named.
real_tarsel=$tarsel
printf '#!/bin/sh\nexec "%s" -display "%s" -name tarsel-test "$@"\n' "$tarsel" "$DISPLAY" >"$work/with-args"
chmod +x "$work/with-args"
tarsel=$work/with-args
if start_app -u DISPLAY -u WAYLAND_DISPLAY; then
  expect_picture "" with-arguments
  xdotool key Escape
  expect_exit "-display \$DISPLAY -name tarsel-test, then Escape"
fi
tarsel=$real_tarsel
# The first argument Qt does not take is named; -display is Qt's.
for case in "--bogus|--bogus" "foo bar|foo" "-display $DISPLAY --sacle 2|--sacle"; do
  args=${case%|*}
  # shellcheck disable=SC2086 # the words of $args are the arguments
  run_bare DISPLAY="$DISPLAY" "$tarsel" $args
  expect_refused "tarsel $args" "tarsel: unknown argument '${case#*|}' (see --help)" 2
done

echo "-- QT_SCALE_FACTOR that is no scale: one warning line, the window at scale 1"
for f in nan inf -inf 0 -2; do
  if start_app "QT_SCALE_FACTOR=$f"; then
    expect_picture "" "scale-factor-$f"
    xdotool key Escape
    for _ in $(seq 100); do
      kill -0 "$app_pid" 2>/dev/null || break
      sleep 0.05
    done
    wait "$app_pid"
    status=$?
    app_pid=
    echo "QT_SCALE_FACTOR=$f: status $status: $(cat "$work/app.err")"
    [ "$status" -eq 0 ] || fail "QT_SCALE_FACTOR=$f: status $status"
    [ "$(cat "$work/app.err")" = "tarsel: QT_SCALE_FACTOR '$f' is not a scale from 0.125 to 8; using 1" ] ||
      fail "QT_SCALE_FACTOR=$f: stderr: $(cat "$work/app.err")"
  fi
done

echo "-- a display of 8 bits a pixel"
kill "$xvfb_pid"
wait "$xvfb_pid" 2>/dev/null
start_x 1024x768x8
run_bare DISPLAY="$DISPLAY" "$tarsel"
expect_refused "8-bit display" "cannot draw on this display: it has 8 bits a pixel"

if [ "$failures" -ne 0 ]; then
  echo "$failures start check(s) failed"
  exit 1
fi
echo "all start checks passed"
