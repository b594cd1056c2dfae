#!/usr/bin/env bash
# The window on a private X server in English and with LANGUAGE=fr, its panel open: the panel's
# texts as a screen reader reads them come from the French catalogue po/fr.po wherever it
# translates them (panel_french.py). Until fr.po is complete it also names each panel text that
# fr.po holds without a translation.
#   panel_french.sh TARSEL FR_PO
set -uo pipefail
tarsel=$1 po=$2
source "$(dirname "$0")/xserver.sh"
here=$(dirname "$0")

start_x
start_bus
export DBUS_SESSION_BUS_ADDRESS=$bus_address
for language in en fr; do
  if [ "$language" = en ]; then
    start_app -u LANGUAGE -u LANG -u LC_ALL -u LC_MESSAGES QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 || continue
  else
    start_app -u LANG -u LC_ALL -u LC_MESSAGES LANGUAGE=fr QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 || continue
  fi
  keys F2
  sleep 1
  /usr/bin/python3 "$here/panel_french.py" dump "$work/$language.json" || fail "reading the panel ($language)"
  xdotool key Escape
  expect_exit "Escape ($language)"
done
/usr/bin/python3 "$here/panel_french.py" compare "$work/en.json" "$work/fr.json" "$po" ||
  fail "the French panel against po/fr.po (above)"
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "the French panel shows fr.po's texts"
