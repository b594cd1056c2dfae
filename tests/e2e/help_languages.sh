#!/usr/bin/env bash
# tarsel's help and its refusal of an argument in another language, from a catalogue made here
# (msgfmt into a temporary folder, found through TARSEL_LOCALEDIR): translated, the refusal one
# line as in English, even where the translation breaks it, and the same exit status.
#   help_languages.sh TARSEL
set -uo pipefail
tarsel=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

mkdir -p "$work/locale/ja/LC_MESSAGES"
mkdir -m 700 "$work/runtime"
cat >"$work/ja.po" <<'PO'
msgid ""
msgstr ""
"Content-Type: text/plain; charset=UTF-8\n"
"Language: ja\n"

msgid ""
"usage: tarsel [Qt options such as -platform NAME, -display DISPLAY, -qwindowgeometry WxH+X+Y]\n"
"       tarsel --help | --version\n"
msgstr ""
"使い方: tarsel [Qt のオプション: -platform NAME, -display DISPLAY, -qwindowgeometry WxH+X+Y]\n"
"        tarsel --help | --version\n"

#, c-format
msgid "unknown argument %s (see --help)"
msgstr "不明な引数 %s\n(--help を参照)"
PO
msgfmt --check-format -o "$work/locale/ja/LC_MESSAGES/tarsel.mo" "$work/ja.po" || fail "msgfmt"
run() { # LANGUAGE ARGS...: stdout, stderr and status of tarsel in that language, without a display
  local language=$1
  shift
  env -u DISPLAY -u WAYLAND_DISPLAY -u LC_ALL -u LC_MESSAGES -u LANG LANGUAGE="$language" \
    TARSEL_LOCALEDIR="$work/locale" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen "$tarsel" "$@" \
    >"$work/out" 2>"$work/err"
  echo $? >"$work/status"
}

run "" --help
english_help=$(cat "$work/out")
run ja --help
[ "$(cat "$work/status")" = 0 ] || fail "LANGUAGE=ja tarsel --help: status $(cat "$work/status")"
grep -q '^使い方: tarsel' "$work/out" || fail "LANGUAGE=ja tarsel --help: not in Japanese: $(head -n 2 "$work/out")"
# The paragraph the catalogue does not translate stands in English, text by text.
grep -q "^Opens the animation window." "$work/out" || fail "LANGUAGE=ja tarsel --help: the untranslated paragraph is missing"
[ "$(wc -l <"$work/out")" = "$(printf '%s\n' "$english_help" | wc -l)" ] ||
  fail "LANGUAGE=ja tarsel --help: $(wc -l <"$work/out") lines, English has $(printf '%s\n' "$english_help" | wc -l)"
[ -s "$work/err" ] && fail "LANGUAGE=ja tarsel --help wrote to stderr: $(cat "$work/err")"
echo "LANGUAGE=ja tarsel --help: $(head -n 1 "$work/out")"

for case in "--bogus" "-x"; do
  run "" "$case"
  english_status=$(cat "$work/status") english=$(cat "$work/err")
  run ja "$case"
  status=$(cat "$work/status")
  echo "LANGUAGE=ja tarsel $case: status $status: $(cat "$work/err")"
  [ "$status" = "$english_status" ] || fail "tarsel $case: status $status in Japanese, $english_status in English"
  [ "$english" = "tarsel: unknown argument '$case' (see --help)" ] || fail "tarsel $case in English: $english"
  [ "$(wc -l <"$work/err")" = 1 ] || fail "tarsel $case in Japanese: not one line: $(cat "$work/err")"
  [ "$(cat "$work/err")" = "tarsel: 不明な引数 '$case' (--help を参照)" ] ||
    fail "tarsel $case in Japanese: $(cat "$work/err")"
done

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all language checks of tarsel passed"
