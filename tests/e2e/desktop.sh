#!/usr/bin/env bash
# The real program among the windows of a desktop, under real window managers (openbox and
# xfwm4) on a private X server: where its frame opens on small, scaled and paneled screens,
# the command line geometry that Qt honours, the window's icon, and the end of the program when
# another X client destroys its window.
#   desktop.sh TARSEL DESKTOP_PROBE ICONS_DIR
set -uo pipefail

real_tarsel=$1 probe=$2 icons=$3
tarsel=$real_tarsel
source "$(dirname "$0")/xserver.sh"

wm_pid= panels_pid=
stop_desktop() {
  for pid in $app_pid $panels_pid $wm_pid $bus_pid $xvfb_pid; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  app_pid= panels_pid= wm_pid= bus_pid= xvfb_pid=
}
trap 'stop_desktop; cleanup' EXIT

# The window manager and its session bus only, the X server left running.
stop_wm() {
  for pid in $wm_pid $bus_pid; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  wm_pid= bus_pid=
}

# No icon theme for the program but those a check makes: an installed tarsel must not stand
# in for the program's own icon. The window managers keep the usual folders (their themes).
export XDG_DATA_DIRS=$work/no-share
system_data=/usr/local/share:/usr/share

# start_wm WM: the window manager on the running X server; true once it has claimed the screen
# and published the available area.
start_wm() {
  local wm=$1
  case $wm in
    none) return 0 ;;
    openbox)
      XDG_DATA_DIRS=$system_data openbox --sm-disable >"$work/wm.log" 2>&1 &
      wm_pid=$!
      ;;
    xfwm4)
      # xfwm4 reads its settings through xfconfd, which a session bus starts.
      start_bus
      XDG_DATA_DIRS=$system_data DBUS_SESSION_BUS_ADDRESS=$bus_address NO_AT_BRIDGE=1 \
        xfwm4 --compositor=off --sm-client-disable >"$work/wm.log" 2>&1 &
      wm_pid=$!
      ;;
  esac
  for _ in $(seq 200); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' &&
      [ -n "$(workarea)" ] && return 0
    kill -0 "$wm_pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

# start_desktop WM WxH [TOP BOTTOM]: an X server of that size, the window manager, and panels
# of TOP and BOTTOM pixels (which the window manager takes off the available area).
start_desktop() {
  local wm=$1 size=$2 top=${3:-0} bottom=${4:-0}
  start_x "$size"
  # On a loaded machine xfwm4 sometimes gives up waiting for its settings daemon ("Xfconf
  # could not be initialized") and exits: then it is started once more, up to three times.
  local attempt
  for attempt in 1 2 3; do
    start_wm "$wm" && break
    [ "$attempt" = 3 ] && { fail "$wm did not start: $(cat "$work/wm.log")"; return 1; }
    stop_wm
  done
  # A panel mapped while the window manager is still starting can go unnoticed (seen once
  # with openbox on a loaded machine): then the panels start again.
  local try
  for try in 1 2 3; do
    [ "$top$bottom" = 00 ] && return 0
    "$probe" panels "$top" "$bottom" &
    panels_pid=$!
    for _ in $(seq 60); do
      [ "$(workarea | cut -d' ' -f2)" = "$top" ] && return 0
      sleep 0.05
    done
    kill "$panels_pid"
    wait "$panels_pid" 2>/dev/null
    panels_pid=
  done
  fail "$wm did not make room for the panels"
  return 1
}

# The available area of the first desktop: X Y W H.
workarea() {
  xprop -root _NET_WORKAREA 2>/dev/null | sed -n 's/.*= //p' | tr -d ',' | cut -d' ' -f1-4
}

# The frame of $win on the screen: X Y W H, from the client's position and the frame extents.
frame() {
  local x y w h l=0 r=0 t=0 b=0 extents
  x=$(xwininfo -id "$win" | awk '/Absolute upper-left X/ { print $4 }')
  y=$(xwininfo -id "$win" | awk '/Absolute upper-left Y/ { print $4 }')
  w=$(xwininfo -id "$win" | awk '/Width:/ { print $2 }')
  h=$(xwininfo -id "$win" | awk '/Height:/ { print $2 }')
  extents=$(xprop -id "$win" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ',')
  [ -n "$extents" ] && read -r l r t b <<<"$extents"
  echo $((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))
}

# Waits until the window manager has put the frame where it stays (two equal readings).
settled_frame() {
  local before after
  before=$(frame)
  for _ in $(seq 40); do
    sleep 0.1
    after=$(frame)
    [ "$after" = "$before" ] && break
    before=$after
  done
  echo "$after"
}

# The program places its window again at its first activation, which also starts the first
# frame: with TARSEL_TRACE set it reports that frame on stderr.
wait_first_frame() {
  for _ in $(seq 200); do
    grep -q '^tarsel-trace frame' "$work/app.err" && return 0
    sleep 0.05
  done
  fail "no first frame within 10 s"
}

# On each axis: centred in the available area when the frame fits, else at its start.
expect_placed() {
  local what=$1 client=$2 ax ay aw ah fx fy fw fh want_x want_y
  wait_first_frame
  read -r ax ay aw ah <<<"$(workarea)"
  read -r fx fy fw fh <<<"$(settled_frame)"
  want_x=$ax want_y=$ay
  [ "$fw" -le "$aw" ] && want_x=$((ax + (aw - fw) / 2))
  [ "$fh" -le "$ah" ] && want_y=$((ay + (ah - fh) / 2))
  echo "$what: available $aw x $ah at ($ax,$ay), frame $fw x $fh at ($fx,$fy)," \
    "client $(xwininfo -id "$win" | awk '/Width:/ { w = $2 } /Height:/ { print w "x" $2 }')"
  # Half a pixel either way where a scaled screen rounds the frame to logical pixels.
  [ $((fx - want_x)) -ge -1 ] && [ $((fx - want_x)) -le 1 ] &&
    [ $((fy - want_y)) -ge -1 ] && [ $((fy - want_y)) -le 1 ] ||
    fail "$what: frame at ($fx,$fy), expected ($want_x,$want_y)"
  xdotool getwindowgeometry "$win" | grep -q "Geometry: $client\$" ||
    fail "$what: client area $(xdotool getwindowgeometry "$win" | awk '/Geometry/ { print $2 }'), expected $client"
}

for wm in openbox xfwm4; do
  echo "-- $wm: a screen smaller than the window: the title bar on the screen"
  if start_desktop "$wm" 800x600 && start_app TARSEL_TRACE=1; then
    expect_placed "$wm 800x600" 962x688
    # The program's own icon, built in: every size of packaging/icons.
    sizes=$("$probe" icon "$win")
    echo "$wm: icon sizes $sizes"
    [ "$sizes" = "16x16 24x24 32x32 48x48 64x64 128x128 256x256" ] || fail "$wm: icon sizes '$sizes'"
    for size in 16 32 256; do
      "$probe" icon "$win" "$icons/tarsel-$size.png" || fail "$wm: the $size px icon differs"
    done
    xdotool key Escape
    expect_exit "$wm: Escape" 2
  fi
  stop_desktop

  echo "-- $wm: two device pixels to the logical pixel, 1600x1200"
  if start_desktop "$wm" 1600x1200 && start_app TARSEL_TRACE=1 QT_SCALE_FACTOR=2; then
    expect_placed "$wm 1600x1200 at scale 2" 1924x1376
  fi
  stop_desktop

  echo "-- $wm: panels of 28 and 48 pixels on 1366x768, and on 1920x1080"
  if start_desktop "$wm" 1366x768 28 48 && start_app TARSEL_TRACE=1; then
    expect_placed "$wm 1366x768 with panels" 962x688
  fi
  stop_desktop
  if start_desktop "$wm" 1920x1080 28 48 && start_app TARSEL_TRACE=1; then
    expect_placed "$wm 1920x1080 with panels" 962x688
    xdotool key Escape
    expect_exit "$wm: Escape" 2

    # An installed icon theme wins over the built-in copy (here it has the 48 px size only).
    theme=$work/share/icons/hicolor
    mkdir -p "$theme/48x48/apps"
    printf '[Icon Theme]\nName=Hicolor\nDirectories=48x48/apps\n\n[48x48/apps]\nSize=48\nType=Fixed\n' \
      >"$theme/index.theme"
    cp "$icons/tarsel-48.png" "$theme/48x48/apps/tarsel.png"
    if start_app XDG_DATA_DIRS="$work/share"; then
      sizes=$("$probe" icon "$win")
      echo "$wm: icon sizes with the theme installed: $sizes"
      # openbox sets a 48 px icon of its own on a window without one: compare the pixels too.
      [ "$sizes" = 48x48 ] && "$probe" icon "$win" "$icons/tarsel-48.png" ||
        fail "$wm: the installed theme icon was not used: '$sizes'"
    fi
    kill "$app_pid"
    wait "$app_pid" 2>/dev/null
    app_pid=

    # A geometry given on the command line is Qt's to honour, and the placement keeps out.
    printf '#!/bin/sh\nexec "%s" -qwindowgeometry 700x500+40+60 "$@"\n' "$real_tarsel" >"$work/geometry"
    chmod +x "$work/geometry"
    tarsel=$work/geometry
    if start_app TARSEL_TRACE=1; then
      wait_first_frame
      read -r fx fy fw fh <<<"$(settled_frame)"
      echo "$wm: -qwindowgeometry 700x500+40+60: frame $fw x $fh at ($fx,$fy)"
      [ "$fx,$fy" = 40,60 ] || fail "$wm: -qwindowgeometry position not honoured: ($fx,$fy)"
      xdotool getwindowgeometry "$win" | grep -q 'Geometry: 700x500$' ||
        fail "$wm: -qwindowgeometry size not honoured"
    fi
    tarsel=$real_tarsel
  fi
  stop_desktop
done

# Another client destroys the window (XDestroyWindow, unlike the close button, which asks).
for wm in none openbox xfwm4; do
  echo "-- $wm: the window destroyed by another client"
  if start_desktop "$wm" 1600x1200 && start_app; then
    xdotool windowclose "$win"
    expect_exit "$wm: destroyed during the wait" 2
    if start_app; then
      xdotool key --delay 0 BackSpace a b c
      xdotool windowclose "$win"
      expect_exit "$wm: destroyed during drawing" 2
    fi
  fi
  stop_desktop
done

if [ "$failures" -ne 0 ]; then
  echo "$failures desktop check(s) failed"
  exit 1
fi
echo "all desktop checks passed"
