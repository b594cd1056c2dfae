#!/usr/bin/env bash
# Builds the Debian package from a build tree, unpacks it into a temporary root as dpkg would
# install it, and checks what a classroom machine gets: the files, a valid desktop entry, the
# library dependencies, programs that run, and a package that lintian passes without an error
# or a warning.
# usage: check-deb.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "check-deb: $*" >&2
  exit 1
}

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, got: ${debs[*]}"
deb=${debs[0]}
root=$work/root
dpkg -x "$deb" "$root"

share=usr/share
expected=(usr/bin/tarsel usr/bin/tarsel-render
  $share/applications/tarsel.desktop
  $share/icons/hicolor/scalable/apps/tarsel.svg
  $share/man/man1/tarsel.1.gz $share/man/man1/tarsel-render.1.gz
  $share/doc/tarsel/copyright $share/doc/tarsel/changelog.gz)
for size in 16 24 32 48 64 128 256; do
  expected+=("$share/icons/hicolor/${size}x${size}/apps/tarsel.png")
done
# The catalogues of the languages, one for each of po/LINGUAS.
for lang in $(grep -v '^#' "$(dirname "$0")/../po/LINGUAS"); do
  expected+=("$share/locale/$lang/LC_MESSAGES/tarsel.mo")
done
for f in "${expected[@]}"; do [ -s "$root/$f" ] || fail "missing $f"; done
[ -x "$root/usr/bin/tarsel" ] && [ -x "$root/usr/bin/tarsel-render" ] || fail "not executable"
# Nothing else, and nothing outside /usr.
found=$(cd "$root" && find . -type f | sed 's|^\./||' | sort)
want=$(printf '%s\n' "${expected[@]}" | sort)
[ "$found" = "$want" ] || fail "unexpected files: $(comm -23 <(echo "$found") <(echo "$want"))"

desktop-file-validate "$root/$share/applications/tarsel.desktop" || fail "invalid desktop entry"
grep -qx 'Icon=tarsel' "$root/$share/applications/tarsel.desktop" || fail "desktop entry icon"
grep -qx 'Exec=tarsel' "$root/$share/applications/tarsel.desktop" || fail "desktop entry exec"
grep -q '^Categories=Education;' "$root/$share/applications/tarsel.desktop" || fail "category"

[ "$(dpkg-deb -f "$deb" Package)" = tarsel ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6gui6 libqt6widgets6 libpng16 libavcodec libswscale; do
  [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done
[ "$(dpkg-deb -f "$deb" Recommends)" = "qt6-wayland, qt6-translations-l10n" ] || fail "Recommends: $(dpkg-deb -f "$deb" Recommends)"
zcat "$root/$share/man/man1/tarsel-render.1.gz" | grep -q 'frame.-001.png' || fail "man page"
grep -q '^License: Expat$' "$root/$share/doc/tarsel/copyright" || fail "copyright: no Expat licence"
zcat "$root/$share/doc/tarsel/changelog.gz" | head -n 1 | grep -qF "tarsel ($version)" ||
  fail "changelog does not begin with version $version"

# Errors and warnings fail the check; lintian's informational tags (hardening hints) do not.
# It warns that it runs as root, which CI does.
lintian_status=0
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || lintian_status=$?
grep -v 'running with root privileges' "$work/lintian.log" || true
[ $lintian_status -eq 0 ] || fail "lintian found errors or warnings (status $lintian_status)"

# The unpacked programs run from the temporary root.
[ "$("$root/usr/bin/tarsel-render" --version)" = "tarsel-render $version" ] || fail "--version"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/tarsel" --version)" = "tarsel $version" ] ||
  fail "tarsel --version"
"$root/usr/bin/tarsel-render" --script "97" --gif "$work/a.gif" --size 240x172
[ "$(head -c 6 "$work/a.gif")" = GIF89a ] || fail "no GIF written"
status=0
QT_QPA_PLATFORM=offscreen timeout 2 "$root/usr/bin/tarsel" || status=$?
[ $status -eq 124 ] || fail "tarsel did not keep running (status $status)"
echo "check-deb: $(basename "$deb") ok"
