#!/usr/bin/env bash
# End to end, as a user would: the real program on a private X server, real key presses and
# clicks through XTEST, screenshots of the real window compared with tarsel-render's picture
# of the same events.
#   e2e.sh TARSEL TARSEL_RENDER SHOT
set -uo pipefail

tarsel=$1 render=$2 shot=$3
caption='    KLEM / Tarsel        GEOMETRY EXPLAIN          USE: SpaceBar , /  Enter Tab    USE: BackSpace for Velocity / Acceleration     DoubleClick or ESC to Quit'

source "$(dirname "$0")/xserver.sh"
start_x
echo "Xvfb on $DISPLAY"

echo "-- window, caption, keys and pictures"
if start_app; then
  [ "$(xdotool getwindowname "$win")" = "$caption" ] || fail "caption: '$(xdotool getwindowname "$win")'"
  geometry=$(xdotool getwindowgeometry "$win")
  echo "$geometry" | grep -q 'Geometry: 962x688' || fail "client area: $geometry"
  echo "$geometry" | grep -q 'Position: 819,456' || fail "not centred: $geometry"

  expect_picture "" first-frame
  keys BackSpace a
  expect_picture "8 97" derivatives
  keys slash comma Return Tab
  expect_picture "8 97 47 44 13 9" accumulated
  keys ctrl+h space b
  expect_picture "8 97 47 44 13 9 8 32 98" restarted

  # While it waits for a key the program must sleep, not spin.
  read -r -a before <"/proc/$app_pid/stat"
  sleep 2
  read -r -a after <"/proc/$app_pid/stat"
  ticks=$(((after[13] + after[14]) - (before[13] + before[14])))
  echo "CPU while waiting: $ticks clock ticks in 2 s ($(getconf CLK_TCK) per second)"
  [ "$ticks" -le 4 ] || fail "the wait used $ticks clock ticks of CPU in 2 s"

  xdotool key Escape
  expect_exit "Escape"
fi

echo "-- the panel open and the probe shown: the client area is still tarsel-render's picture"
if start_app; then
  keys a F2
  # The pointer over the client area puts the probe at column 430; the arrow keys move it on
  # along the blue trace without releasing a frame.
  xdotool mousemove --window "$win" 430 300
  sleep 0.3
  keys Right Right
  # The names over the picture (on while the panel is open) are a widget over the canvas: with
  # them off (F3) the client area is the canvas's pixels again.
  keys F3
  geometry=$(xdotool getwindowgeometry "$win")
  echo "$geometry" | grep -q 'Geometry: 1302x688' || fail "window with the panel: $geometry"
  "$render" --script "97" --png "$work/panel.expected.png" || fail "render panel"
  # Two right steps from column 430 stay within 15 pixels of it (a point of the trace is about
  # 4 pixels from the next); the marker lies in those columns, the rest must be exact.
  if ! "$shot" match-client "$win" "$work/panel.expected.png" 10000 "$work/panel.got.png" 425 450; then
    fail "panel: the client area differs from tarsel-render --script 97 away from the marker"
    mkdir -p e2e-failures && cp "$work"/panel.*.png e2e-failures/ 2>/dev/null
  fi
  keys F2
  expect_picture "97" panel-closed
  xdotool key Escape
  expect_exit "Escape with the panel"
fi

echo "-- the panel's fields as a screen reader reads them, changed from the keyboard"
# Qt speaks to assistive tools over the session bus, which starts the accessibility bus itself.
start_bus
export DBUS_SESSION_BUS_ADDRESS=$bus_address
printf 'angle,lift\r\n-60,0\r\n-30,2.5\r\n0,8\r\n30,2.5\r\n60,0\r\n' >"$work/own.csv"
if start_app QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1; then
  keys F2
  TARSEL_RENDER=$render TARSEL_PROFILE=$work/own.csv /usr/bin/python3 "$(dirname "$0")/panel_texts.py" ||
    fail "the panel's texts and fields (above)"
  # The profile opened in the panel draws the first frame again as tarsel-render --profile draws
  # it (the names over the picture off, the probe's marker at x = 65 left out).
  keys F3
  "$render" --profile "$work/own.csv" --png "$work/profile.expected.png" || fail "render profile"
  if ! "$shot" match-client "$win" "$work/profile.expected.png" 10000 "$work/profile.got.png" 478 485; then
    fail "an opened profile: the client area differs from tarsel-render --profile"
    mkdir -p e2e-failures && cp "$work"/profile.*.png e2e-failures/ 2>/dev/null
  fi
  # Escape in the panel gives the keys back to the picture; the next one ends the program.
  keys Escape
  kill -0 "$app_pid" 2>/dev/null || fail "Escape in the panel ended the program"
  xdotool key Escape
  expect_exit "Escape after the panel"
fi
kill "$bus_pid"
wait "$bus_pid" 2>/dev/null
bus_pid=
unset DBUS_SESSION_BUS_ADDRESS

echo "-- double-click ends the program"
if start_app; then
  expect_picture "" dbl-first-frame
  xdotool mousemove --window "$win" 300 200 click --repeat 2 --delay 60 1
  expect_exit "double-click"
fi

echo "-- keys while frames are drawn, then Escape"
if start_app; then
  xdotool key --delay 1 a a a a a a a a a a a a comma comma BackSpace a a a a a
  xdotool key Escape
  expect_exit "Escape after a burst of keys"
fi

echo "-- screens with 1, 1.5 and 2 device pixels to the logical pixel, and a window grown"
# The client area is the design size times the ratio, rounded up; after the window grows, the
# next cleared frame fills the larger area, again exactly as tarsel-render draws it.
for ratio in 1 1.5 2; do
  device() { awk -v n="$1" -v r="$ratio" 'BEGIN { v = n * r; printf "%d", (v == int(v)) ? v : int(v) + 1 }'; }
  if start_app QT_SCALE_FACTOR=$ratio; then
    geometry=$(xdotool getwindowgeometry "$win")
    echo "$geometry" | grep -q "Geometry: $(device 962)x$(device 688)" ||
      fail "client area at ratio $ratio: $geometry"
    keys BackSpace
    expect_picture "8" "ratio-$ratio" --scale "$ratio"
    # Within the screen: an X server keeps no pixels of a window's part outside it.
    xdotool windowmove --sync "$win" 0 0
    xdotool windowsize --sync "$win" "$(device 1200)" "$(device 800)"
    sleep 0.3
    keys a
    expect_picture "8 97" "ratio-$ratio-grown" --scale "$ratio" --size 1200x800
    xdotool key Escape
    expect_exit "Escape at ratio $ratio"
  fi
done

echo "-- a held key plays the whole sweep, and the key after k = 20 ends the program"
if start_app; then
  started=$(date +%s%N)
  # The X server repeats a held key (by default after 660 ms, 25 times a second).
  xdotool keydown a
  for _ in $(seq 400); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.05
  done
  xdotool keyup a
  echo "a held key ended the program after $((($(date +%s%N) - started) / 1000000)) ms"
  expect_exit "a held key"
fi

echo "-- larger for a projector: QT_SCALE_FACTOR=3 shows what tarsel-render --scale 3 draws"
# Scales 1.5 and 2 are above; a screen large enough for the window at scale 3 (2886x2064).
kill "$xvfb_pid"
wait "$xvfb_pid" 2>/dev/null
xvfb_pid=
start_x 3000x2200
for f in 3; do
  if start_app QT_SCALE_FACTOR=$f; then
    keys BackSpace
    expect_picture "8" "projector-$f" --scale "$f"
    xdotool key Escape
    expect_exit "Escape at scale $f"
  fi
done

if [ "$failures" -ne 0 ]; then
  echo "$failures end-to-end check(s) failed"
  exit 1
fi
echo "all end-to-end checks passed"
