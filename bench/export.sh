#!/usr/bin/env bash
# Times every export of tarsel-render on the two sweeps a teacher makes, beside what a user
# would pick instead, and prints one table:
#   - the 63-frame sweep (62 plain keys) and the 621-frame sweep in tenth steps (620 Enter);
#   - for each: the draw log, the PNG frames, the GIF, the MP4 and WebM videos, with their
#     sizes and CPU times, the share of a frame that each takes, and the PSNR of the videos
#     against the PNG frames;
#   - gifsicle -O3 on our GIF, FFmpeg's palette GIF, and FFmpeg's command line encoding the
#     PNG frames with the same settings as ours.
# With BEFORE=/path/to/an/older/tarsel-render, the same for that program's log, frames and GIF,
# and gifsicle -O3 on its GIF. SWEEPS="FRAMES CODE,..." chooses other sweeps ("63 97" alone
# takes about two minutes).
#   bench/export.sh [BUILD_DIR]    without BUILD_DIR: builds build/default first
set -euo pipefail
cd "$(dirname "$0")/.."

source bench/build_dir.sh
build=$(build_dir "${1:-}" tarsel-render)
render=$build/tools/tarsel-render
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

keys() { printf "$2 %.0s" $(seq "$1"); }
# CPU seconds (user + system, children included) and the size in bytes of what it made.
cpu() {  # cpu OUTPUT_PATH COMMAND...: prints "seconds bytes"
  local out=$1
  shift
  /usr/bin/time -f '%U %S' -o "$work/time" "$@" >/dev/null 2>"$work/err" ||
    { cat "$work/err" >&2; exit 1; }
  local bytes=0
  [ -e "$out" ] && bytes=$(du -sb "$out" | cut -f1)
  echo "$(awk '{printf "%.2f", $1 + $2}' "$work/time") $bytes"
}
psnr() {  # psnr VIDEO FRAMES_DIR: the average PSNR against the frames, each pixel as 2 x 2
  ffmpeg -v info -i "$1" -framerate 5 -i "$2/frame-%03d.png" -lavfi \
    "[1:v]scale=iw*2:ih*2:flags=neighbor,format=rgb24[ref];[0:v]format=rgb24[dis];[dis][ref]psnr" \
    -f null - 2>&1 | sed -n 's/.*PSNR.*average:\([0-9.]*\).*/\1/p'
}
row() { printf '| %-9s | %-44s | %12s | %8s | %10s |\n' "$@"; }
per_frame() { awk -v t="$1" -v base="$2" -v n="$3" 'BEGIN {printf "%.2f", 1000 * (t - base) / n}'; }

# The log, the PNG frames and the GIF (and gifsicle -O3 of it) of PROGRAM, as rows labelled
# with PREFIX, into files named after BASE.
still_rows() {  # still_rows PROGRAM PREFIX BASE
  read -r t b < <(cpu "$3.log" "$1" --script "$script" --log "$3.log")
  row "$name" "${2}draw log" "$b" "$t" "$(per_frame "$t" "$bare" "$frames")"
  read -r t b < <(cpu "$3.frames" "$1" --script "$script" --frames "$3.frames")
  row "$name" "${2}PNG frames" "$b" "$t" "$(per_frame "$t" "$drawn" "$frames")"
  read -r t b < <(cpu "$3.gif" "$1" --script "$script" --gif "$3.gif")
  row "$name" "${2}GIF" "$b" "$t" "$(per_frame "$t" "$drawn" "$frames")"
  read -r t b < <(cpu "$3.O3.gif" gifsicle -O3 "$3.gif" -o "$3.O3.gif")
  row "$name" "  gifsicle -O3 of it" "$b" "$t" ""
}

echo
row "sweep" "output" "bytes" "CPU s" "ms a frame"
row "---------" "--------------------------------------------" "------------" "--------" "----------"
IFS=, read -r -a sweeps <<<"${SWEEPS:-63 97,621 13}"
for sweep in "${sweeps[@]}"; do
  read -r frames key <<<"$sweep"
  script=$(keys $((frames - 1)) "$key")
  name="$frames"
  # What the replay and the drawing cost by themselves, so that each export's own share shows.
  read -r bare _ < <(cpu "$work/none" "$render" --script "$script")
  read -r drawn _ < <(cpu "$work/last.png" "$render" --script "$script" --png "$work/last.png")
  still_rows "$render" "" "$work/new"
  frames_in=$work/new.frames/frame-%03d.png
  read -r t b < <(cpu "$work/ff.gif" ffmpeg -v error -framerate 5 -i "$frames_in" -lavfi \
    "split[a][b];[a]palettegen=stats_mode=diff[p];[b][p]paletteuse=diff_mode=rectangle" \
    "$work/ff.gif")
  row "$name" "  FFmpeg CLI palette GIF from the PNG frames" "$b" "$t" ""
  for video in mp4 webm; do
    read -r t b < <(cpu "$work/a.$video" "$render" --script "$script" --video "$work/a.$video")
    row "$name" "$video video, PSNR $(psnr "$work/a.$video" "$work/new.frames") dB" "$b" "$t" \
      "$(per_frame "$t" "$drawn" "$frames")"
  done
  read -r t b < <(cpu "$work/ff.mp4" ffmpeg -v error -framerate 5 -i "$frames_in" \
    -vf "scale=iw*2:ih*2:flags=neighbor,format=yuv420p" -c:v libx264 -crf 18 -preset medium \
    "$work/ff.mp4")
  row "$name" "  FFmpeg CLI mp4, PSNR $(psnr "$work/ff.mp4" "$work/new.frames") dB" "$b" "$t" ""
  read -r t b < <(cpu "$work/ff1.mp4" ffmpeg -v error -framerate 5 -i "$frames_in" \
    -vf "format=yuv420p" -c:v libx264 -crf 18 -preset medium "$work/ff1.mp4")
  row "$name" "  the same at scale 1 (not enlarged)" "$b" "$t" ""
  if [ -n "${BEFORE:-}" ]; then
    still_rows "$BEFORE" "before: " "$work/old"
    cmp -s "$work/old.log" "$work/new.log" && same=same || same=DIFFERENT
    row "$name" "  its log and ours: $same bytes" "" "" ""
  fi
  row "$name" "(the replay alone; with the drawing)" "" "$bare" \
    "$(per_frame "$drawn" "$bare" "$frames")"
  rm -rf "$work"/*.frames "$work"/*.gif "$work"/*.mp4 "$work"/*.webm "$work"/*.log
done
