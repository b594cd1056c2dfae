#!/usr/bin/env bash
# Runs every benchmark and prints a table of the results:
#   - headless (Google Benchmark): one complete frame drawn into the backing image, the same
#     with velocity and acceleration curves, one frame drawn over the earlier ones, and the
#     driver's own share; a frame's draw log and PNG file, written as before and as now;
#   - the real program on a private Xvfb, driven with xdotool: start to first frame, key press
#     to frame complete on the screen (median of 30 frames), CPU while waiting for a key
#     (10 s), peak resident memory.
# The program's timestamps come from TARSEL_TRACE (see app/form1.cpp).
#   bench/run.sh [BUILD_DIR]    without BUILD_DIR: builds build/default first
set -euo pipefail
cd "$(dirname "$0")/.."

source bench/build_dir.sh
build=$(build_dir "${1:-}" tarsel tarsel_bench)
tarsel=$build/app/tarsel
bench=$build/bench/tarsel_bench

source tests/e2e/xserver.sh

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
row() { printf '| %-58s | %12s |\n' "$1" "$2"; }

# --- headless: medians of 5 repetitions, in CPU time (real time suffers from other load)
"$bench" --benchmark_filter='BM_Frame|DriverOnly|LogFrame|PngFrame' --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null >"$work/bench.csv"
cpu_ms() {  # CPU time in ms of the median row of benchmark $1
  awk -F, -v name="\"$1_median\"" '$1 == name {
    t = $4; if ($5 == "ns") t /= 1e6; if ($5 == "us") t /= 1e3; if ($5 == "s") t *= 1e3
    printf "%.2f", t }' "$work/bench.csv"
}

# --- the program on Xvfb
start_x 1280x1024

frames() { grep -c ' frame ' "$work/trace" || true; }
wait_frames() {  # until the program has put $1 frames on the screen (at most 10 s)
  for _ in $(seq 1000); do
    [ "$(frames)" -ge "$1" ] && return 0
    sleep 0.01
  done
  echo "the program put no frame $1 on the screen" >&2
  exit 1
}

started=$(date +%s%N)
TARSEL_TRACE=1 "$tarsel" 2>"$work/trace" &
app_pid=$!
wait_frames 1
first=$(awk '$2 == "frame" {print $3; exit}' "$work/trace")
win=$(xdotool search --sync --onlyvisible --name 'KLEM / Tarsel' | head -n 1)
xdotool windowfocus --sync "$win"

for n in $(seq 2 31); do
  xdotool key a
  wait_frames "$n"
done
# Each frame against the key press that released it.
latency=$(awk '$2 == "key" {key = $3} $2 == "frame" && key {print ($3 - key) / 1e6; key = 0}' \
  "$work/trace" | median)

sleep 1
read -r -a before <"/proc/$app_pid/stat"
sleep 10
read -r -a after <"/proc/$app_pid/stat"
ticks=$(((after[13] + after[14]) - (before[13] + before[14])))
cpu=$(awk -v t="$ticks" -v hz="$(getconf CLK_TCK)" 'BEGIN {printf "%.1f", 100 * t / hz / 10}')
peak=$(awk '/VmHWM/ {printf "%.1f", $2 / 1024}' "/proc/$app_pid/status")
xdotool key Escape
wait "$app_pid" || true
app_pid=

echo
row "measure" "value"
row "----------------------------------------------------------" "------------"
row "complete frame into the image, headless (ms CPU)" "$(cpu_ms 'BM_Frame/kind:0/skip:1')"
row "  with velocity and acceleration (ms CPU)" "$(cpu_ms 'BM_Frame/kind:1/skip:1')"
row "  drawn over the earlier frames (ms CPU)" "$(cpu_ms 'BM_Frame/kind:2/skip:1')"
row "  every width-1 line drawn again (ms CPU)" "$(cpu_ms 'BM_Frame/kind:0/skip:0')"
row "  driver arithmetic, two frames (ms CPU)" "$(cpu_ms 'BM_TwoFramesDriverOnly')"
row "draw log of a frame, printf as before (ms CPU)" "$(cpu_ms 'BM_LogFrame/now:0')"
row "  as the replay writes it now (ms CPU)" "$(cpu_ms 'BM_LogFrame/now:1')"
row "PNG file of a frame, Qt's writer as before (ms CPU)" "$(cpu_ms 'BM_PngFrame/now:0')"
row "  libpng, RLE, no filter, as now (ms CPU)" "$(cpu_ms 'BM_PngFrame/now:1')"
row "start to first frame on the screen (ms)" "$(awk -v a="$started" -v b="$first" 'BEGIN {printf "%.0f", (b - a) / 1e6}')"
row "key press to frame complete on the screen, median (ms)" "$(printf '%.1f' "$latency")"
row "CPU while waiting for a key, 10 s (% of a core)" "$cpu"
row "peak resident memory, VmHWM (MiB)" "$peak"
