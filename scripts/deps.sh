#!/usr/bin/env bash
# Installs from Debian what a task needs, skipping what is already there.
#   scripts/deps.sh run        building the two programs and running them (scripts/run.sh)
#   scripts/deps.sh package    that, and building the Debian package (scripts/package.sh)
#   scripts/deps.sh [test]     everything: the tests, the sanitizer and fuzz builds, the
#                              benchmarks (scripts/test.sh, bench/run.sh)
set -euo pipefail

# Compiler, Qt (qt6-wayland for a Wayland session), libpng, FFmpeg's libraries for video; the
# X11 protocol headers for the window's X events; the label's font, cut to the characters it
# uses by fontTools' pyftsubset and drawn by stb_truetype; Qt's own words (a file dialog's buttons)
# in the student's language.
run=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libpng-dev libxcb1-dev
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev qt6-wayland
  libstb-dev fonts-dejavu-core fonttools qt6-translations-l10n)
# CPack's DEB generator finds the library dependencies with dpkg-shlibdeps and file.
package=(dpkg-dev file)
test=(
  libgtest-dev libbenchmark-dev
  # giflib decodes the GIFs in the tests, apart from the program's own writer.
  libgif-dev
  desktop-file-utils lintian
  xvfb xdotool x11-utils libx11-dev
  openbox xfwm4 dbus-daemon weston
  # The window's panel read as a screen reader reads it (AT-SPI, from Python).
  at-spi2-core gir1.2-atspi-2.0 python3-gi
  # Only for bench/export.sh, which sets the exports beside these tools.
  gifsicle ffmpeg
  clang libclang-rt-14-dev valgrind
  emscripten chromium chromium-driver python3-selenium python3-pil
  # The page in Chinese, Japanese and Arabic (tests/web/language_test.py) is laid out and
  # measured with real glyphs, not the boxes of a missing font.
  fonts-noto-cjk fonts-noto-core
)

case ${1:-test} in
  run) packages=("${run[@]}") ;;
  package) packages=("${run[@]}" "${package[@]}") ;;
  test) packages=("${run[@]}" "${package[@]}" "${test[@]}") ;;
  *)
    echo "usage: scripts/deps.sh [run|package|test]" >&2
    exit 2
    ;;
esac

# npm fetches axe-core and scorm-again (a SCORM 1.2 run-time that plays the learning platform)
# for the browser tests. Some machines have Node.js from elsewhere, whose
# package brings npm and conflicts with Debian's: only a machine without the command needs it.
if [ "${1:-test}" = test ] && ! command -v npm >/dev/null; then
  packages+=(npm)
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get -o DPkg::Lock::Timeout=300 update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=300 install -y -qq \
  --no-install-recommends "${missing[@]}"
