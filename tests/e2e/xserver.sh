# Sourced by the scripts that run the real program on a private X server (the end-to-end tests
# and bench/run.sh). It makes a temporary folder $work (removed on exit, together with the
# program $app_pid and the server $xvfb_pid), gives the program a private XDG_RUNTIME_DIR,
# and defines:
#   start_x [WxH[xD]]
#                   start Xvfb on a free display (Xvfb picks the number), D bits a pixel
#                   (24 unless given), and export DISPLAY
#   start_bus       start a private session bus: $bus_pid, and its address in $bus_address
#   start_app [VAR=VALUE ...]
#                   start $tarsel with those variables, set $app_pid and $win (its window)
#   keys KEY ...    press keys one at a time, each after the program is waiting again
#   expect_picture SCRIPT NAME [RENDER OPTIONS]
#                   the window ($win) must show exactly what $render draws for the same
#                   events (compared with $shot; differing pictures go to e2e-failures/)
#   expect_exit WHAT [SECONDS]
#                   the program ends within SECONDS (5) with status 0, and writes nothing
#                   to stderr but trace lines
#   fail MESSAGE    report a failed check and count it in $failures

work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
xvfb_pid=
app_pid=
bus_pid=
failures=0

cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

start_x() {
  local screen=${1:-2600x1600}
  [[ $screen == *x*x* ]] || screen=${screen}x24
  rm -f "$work/display"
  # -displayfd: Xvfb chooses a free display number itself and writes it to fd 3.
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$work/display" \
    2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.05
  done
  [ -s "$work/display" ] || { echo "FAIL: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
  export DISPLAY=":$(head -n 1 "$work/display")"
}

start_bus() {
  : >"$work/bus"
  dbus-daemon --session --nofork --print-address=3 3>"$work/bus" 2>/dev/null &
  bus_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/bus" ] && break
    sleep 0.05
  done
  bus_address=$(head -n 1 "$work/bus")
}

# SIGINT and SIGTERM go back to their defaults: a background job of a script would otherwise
# inherit SIGINT ignored.
start_app() {
  env --default-signal=INT,TERM "$@" "$tarsel" >"$work/app.out" 2>"$work/app.err" &
  app_pid=$!
  win=$(timeout 10 xdotool search --sync --onlyvisible --name 'KLEM / Tarsel' | head -n 1)
  [ -n "$win" ] || { fail "no window appeared"; return 1; }
  xdotool windowfocus --sync "$win"
}

keys() {
  for k in "$@"; do
    xdotool key "$k"
    sleep 0.3
  done
}

expect_picture() {
  local script=$1 name=$2
  shift 2
  "$render" --script "$script" "$@" --png "$work/$name.expected.png" || { fail "render $name"; return; }
  if ! "$shot" match "$win" "$work/$name.expected.png" 10000 "$work/$name.got.png"; then
    fail "$name: the window differs from tarsel-render --script '$script' $*"
    mkdir -p e2e-failures && cp "$work/$name".*.png e2e-failures/ 2>/dev/null
  fi
}

expect_exit() {
  local what=$1 polls=$((${2:-5} * 20)) status errors
  for _ in $(seq "$polls"); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.05
  done
  if kill -0 "$app_pid" 2>/dev/null; then
    fail "$what: the program is still running"
    kill "$app_pid"
  fi
  wait "$app_pid"
  status=$?
  app_pid=
  echo "$what: status $status"
  [ "$status" -eq 0 ] || fail "$what: exit status $status"
  errors=$(grep -v '^tarsel-trace ' "$work/app.err")
  [ -z "$errors" ] || fail "$what: the program wrote to stderr: $errors"
}
