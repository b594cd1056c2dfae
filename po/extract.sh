#!/usr/bin/env bash
# Writes the template of the catalogues, po/tarsel.pot, from every text the sources mark:
#   C++   Tr("..."), TrC("context", "..."), TrMark("...")
#   JS    t("..."), tc("context", "..."), mark("...")   (the page's scripts, web/*.js)
#   HTML  the page's texts and accessible names (web/index.html.in, po/html_texts.py)
# Then brings each LL.po up to date with it (msgmerge). Run it after changing a text.
#   po/extract.sh [--check]   with --check: writes nothing, fails when the template is stale
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

common=(--force-po --from-code=UTF-8 --add-comments=TRANSLATORS: --sort-by-file --no-wrap --add-location=file
  --package-name=tarsel --msgid-bugs-address=tarsel@localhost)
mapfile -t cpp < <(git ls-files 'geometry/*' 'animation/*' 'render/*' 'input/*' 'export/*' \
  'app/*' 'tools/*' 'web/*' | grep -E '\.(cpp|h)$')
mapfile -t js < <(git ls-files 'web/*.js')
xgettext "${common[@]}" --language=C++ --keyword --keyword=Tr --keyword=TrC:1c,2 \
  --keyword=TrMark --flag=Fill:1:c-format -o "$out/cpp.pot" "${cpp[@]}"
xgettext "${common[@]}" --language=JavaScript --keyword --keyword=t --keyword=tc:1c,2 \
  --keyword=mark --flag=fill:1:c-format -o "$out/js.pot" "${js[@]}"
parts=("$out/cpp.pot" "$out/js.pot")
if [ -f po/html_texts.py ]; then
  python3 po/html_texts.py web/index.html.in >"$out/html.pot"
  parts+=("$out/html.pot")
fi
msgcat --use-first --sort-by-file --no-wrap --add-location=file "${parts[@]}" |
  sed '/^"POT-Creation-Date:/d' >"$out/tarsel.pot"

if [ "${1:-}" = --check ]; then
  if ! diff -u po/tarsel.pot "$out/tarsel.pot" >&2; then
    echo "po/tarsel.pot is not the template of the sources: run po/extract.sh" >&2
    exit 1
  fi
  exit 0
fi
mv "$out/tarsel.pot" po/tarsel.pot
while read -r lang; do
  [ -z "$lang" ] || [[ $lang == \#* ]] && continue
  if [ -f "po/$lang.po" ]; then
    msgmerge --quiet --update --backup=none --no-wrap --previous "po/$lang.po" po/tarsel.pot
  else
    msginit --no-translator --no-wrap --locale="$lang.UTF-8" -i po/tarsel.pot -o "po/$lang.po"
  fi
done <po/LINGUAS
