#!/usr/bin/env bash
# Hostile use of the real window on a private X server: a flood of keys, a storm of resizes,
# minimising, closing from the frame at any moment, signals and the X server going away. The
# program must neither crash nor hang, and what it shows must still be what tarsel-render
# draws for the same keys.
#   faults.sh TARSEL TARSEL_RENDER SHOT WM_CLOSE
set -uo pipefail

tarsel=$1 render=$2 shot=$3 wm_close=$4
source "$(dirname "$0")/xserver.sh"

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Waits up to $2 ms for the program to end; sets $status (-1 if it did not) and $elapsed.
wait_end() {
  local from=$1 limit=$2
  while kill -0 "$app_pid" 2>/dev/null && [ $(($(now_ms) - from)) -lt "$limit" ]; do
    sleep 0.02
  done
  elapsed=$(($(now_ms) - from))
  if kill -0 "$app_pid" 2>/dev/null; then
    status=-1
    kill -9 "$app_pid"
    wait "$app_pid" 2>/dev/null
  else
    wait "$app_pid"
    status=$?
  fi
  app_pid=
}

# Within 2 s, with the given status and a silent standard error.
expect_end() {
  local what=$1 from=$2 want=$3
  wait_end "$from" 2000
  echo "$what: status $status after $elapsed ms"
  [ "$status" -eq "$want" ] || fail "$what: status $status, expected $want"
  [ -s "$work/app.err" ] && fail "$what: stderr: $(cat "$work/app.err")"
}

cpu_ticks() {
  local stat
  read -r -a stat <"/proc/$app_pid/stat"
  echo $((stat[13] + stat[14]))
}

# Waits until the program has used no CPU for half a second (it is waiting for a key).
settle() {
  local before after
  for _ in $(seq 120); do
    before=$(cpu_ticks)
    sleep 0.5
    after=$(cpu_ticks)
    [ "$before" -eq "$after" ] && return 0
  done
  fail "the program did not come to rest"
}

vm() { awk -v k="$1:" '$1 == k { print $2 }' "/proc/$app_pid/status"; }

start_x

echo "-- a flood of 2,000 keys while frames are drawn"
# Every key of the flood flips one of two switches: BackSpace the velocity curves, / the
# clearing of the window. A key lost or handled twice leaves one of them the wrong way round,
# and the frame drawn after Space shows it.
flood=()
for i in $(seq 2000); do
  if [ $((i * 7 % 3)) -eq 0 ]; then flood+=(slash); else flood+=(BackSpace); fi
done
# 666 slashes and 1334 BackSpaces: both switches end where they started.
if start_app; then
  rss_before=$(vm VmRSS)
  started=$(now_ms)
  xdotool key --delay 0 "${flood[@]}"
  typed=$(($(now_ms) - started))
  settle
  echo "2000 keys typed in $typed ms, handled within $(($(now_ms) - started)) ms;" \
    "memory: $rss_before KiB before, peak $(vm VmHWM) KiB"
  [ "$(vm VmHWM)" -le $((rss_before + 65536)) ] || fail "memory grew by more than 64 MiB"
  keys space a
  expect_picture "32 97" flood
  xdotool key Escape
  expect_end "Escape after the flood" "$(now_ms)" 0
fi
if start_app; then
  # BackSpace and comma keep k within its range, so the animation cannot run out of frames.
  xdotool key --delay 0 $(printf 'BackSpace comma %.0s' $(seq 1000))
  xdotool key Escape
  expect_end "Escape right after 2,000 keys" "$(now_ms)" 0
fi

echo "-- resizes from 1x1 to 4000x3000, minimising and restoring, while frames are drawn"
# How many of the keys pressed during the storm fall into one frame (two cancel each other's
# release) depends on the load of the machine. Space twice afterwards brings the animation to
# its first frame, drawn after the same frame (a frame carries registers over from the one
# before), so the picture to expect does not depend on that count.
if start_app; then
  keys BackSpace
  settle
  sizes=(1 1 4000 3000 17 5000 3 2 2500 1 640 480 4000 3000 100 100 1 3000 1500 1000)
  (
    while :; do
      for ((i = 0; i < ${#sizes[@]}; i += 2)); do
        xdotool windowsize "$win" "${sizes[i]}" "${sizes[i + 1]}"
        sleep 0.02
      done
    done
  ) &
  storm=$!
  keys a b c d e f g h i j k
  kill "$storm"
  wait "$storm" 2>/dev/null
  xdotool windowsize --sync "$win" 1500 1000
  for _ in 1 2 3 4; do
    xdotool key a
    xdotool windowunmap --sync "$win" windowmap --sync "$win" windowfocus --sync "$win"
    sleep 0.3
  done
  settle
  for _ in 1 2; do
    xdotool key space
    settle
  done
  expect_picture "8 32 32" resized --size 1500x1000
  xdotool key Escape
  expect_end "Escape after the resizes" "$(now_ms)" 0
fi

echo "-- an absurd window size"
if start_app; then
  xdotool windowsize "$win" 32000 20000
  sleep 0.5
  keys a
  settle
  geometry=$(xdotool getwindowgeometry "$win" | awk '/Geometry/ { print $2 }')
  echo "asked for 32000x20000, got $geometry; peak memory $(vm VmHWM) KiB"
  [ "$geometry" = 8192x8192 ] || fail "window not held at 8192x8192: $geometry"
  # Two images of 8192 x 8192 pixels (the backing image and the window system's) and the rest.
  [ "$(vm VmHWM)" -le $((640 * 1024)) ] || fail "peak memory $(vm VmHWM) KiB"
  xdotool key Escape
  expect_end "Escape at the largest size" "$(now_ms)" 0
fi

echo "-- memory given back when the window is made small again"
# The image and Qt's backing store follow the window down as they follow it up; the frame at
# the design size is still whole, exactly what tarsel-render draws.
if start_app; then
  settle
  rss_start=$(vm VmRSS)
  xdotool windowsize "$win" 8000 8000
  sleep 0.5
  keys a
  settle
  rss_large=$(vm VmRSS)
  xdotool windowsize --sync "$win" 962 688
  sleep 0.3
  keys a
  settle
  rss_back=$(vm VmRSS)
  echo "resident memory: $rss_start KiB at the start, $rss_large KiB at 8000x8000," \
    "$rss_back KiB back at 962x688"
  [ "$rss_back" -le $((rss_start + 32768)) ] || fail "kept $rss_back KiB after shrinking"
  expect_picture "97 97" shrunk-again
  xdotool key Escape
  expect_end "Escape after shrinking" "$(now_ms)" 0
fi

echo "-- closed from the window frame"
if start_app; then
  "$wm_close" "$win"
  expect_end "close during the wait" "$(now_ms)" 0
fi
if start_app; then
  xdotool key --delay 0 BackSpace a b c
  "$wm_close" "$win"
  expect_end "close during drawing" "$(now_ms)" 0
fi

echo "-- SIGINT and SIGTERM"
for signal in INT TERM; do
  want=$((128 + $(kill -l "$signal")))
  if start_app; then
    kill -s "$signal" "$app_pid"
    expect_end "SIG$signal during the wait" "$(now_ms)" "$want"
  fi
  if start_app; then
    xdotool key --delay 0 BackSpace a b c
    kill -s "$signal" "$app_pid"
    expect_end "SIG$signal during drawing" "$(now_ms)" "$want"
  fi
done

echo "-- the X server goes away"
for phase in wait drawing; do
  [ -n "$xvfb_pid" ] || start_x
  if start_app; then
    [ "$phase" = drawing ] && xdotool key --delay 0 BackSpace a b c
    from=$(now_ms)
    kill "$xvfb_pid"
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=
    wait_end "$from" 2000
    echo "X server gone during the $phase: status $status after $elapsed ms:" \
      "$(cat "$work/app.err")"
    [ "$status" -gt 0 ] || fail "X server gone during the $phase: status $status"
    [ "$(wc -l <"$work/app.err")" -eq 1 ] || fail "X server gone: not one line of error"
  fi
done

if [ "$failures" -ne 0 ]; then
  echo "$failures fault check(s) failed"
  exit 1
fi
echo "all fault checks passed"
