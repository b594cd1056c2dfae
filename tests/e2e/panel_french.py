#!/usr/bin/python3
"""The panel's texts as an assistive tool reads them (AT-SPI), against the French catalogue.

    panel_french.py dump OUT.json        the texts of the running program's panel
    panel_french.py compare ENGLISH.json FRENCH.json FR.PO

compare: every text the English panel shows that fr.po translates (a whole text, or a pattern
with %s filled in) is shown in French by the French panel, and no such text is left in English
there; a panel text that fr.po holds without a translation is named as missing. Numbers of
the fields are written with fr.po's decimal separator. Prints one line per fault; status 1.
"""

import html
import json
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "po"))


def dump(path):
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    import panel_texts  # noqa: E402  the AT-SPI reading of the e2e tests

    app = panel_texts.application()
    if app is None:
        print("FAIL: the program is not on the accessibility bus")
        return 1
    texts, fields = [], {}
    for role, name, description, text, _ in panel_texts.nodes(app):
        if role == "frame":
            continue  # the caption, which stays itself
        texts += [t for t in (name, description) if t]
        if role == "text":
            fields[name] = text
    with open(path, "w", encoding="utf-8") as f:
        json.dump({"texts": sorted(set(texts)), "fields": fields}, f, ensure_ascii=False, indent=1)
    return 0


def plain(text):
    """A text as the accessible tree gives it: markup gone, entities read, case folded."""
    return html.unescape(re.sub(r"<[^>]*>", "", text)).strip().casefold()


PLACEHOLDER = re.compile(r"%(?:\d+\$)?s")


def matcher(text):
    """A regular expression for a catalogue text: its placeholders stand for any text."""
    parts = PLACEHOLDER.split(plain(text).replace("%%", "%"))
    return re.compile("(?s)" + "(.+?)".join(re.escape(p) for p in parts) + r"\Z")


def compare(english_path, french_path, po_path):
    import catalogue  # noqa: E402

    english = json.load(open(english_path, encoding="utf-8"))
    french = json.load(open(french_path, encoding="utf-8"))
    shown = [plain(t) for t in french["texts"]]
    entries = [(c, i, s, flags) for c, i, s, flags in catalogue.entries(po_path) if i]
    translated = [(c, i, s) for c, i, s, flags in entries if s and "fuzzy" not in flags]
    untranslated = [i for c, i, s, flags in entries if not s or "fuzzy" in flags]
    separator = next((s for c, i, s in translated if c == "decimal separator"), ".")
    faults, checked = [], 0
    # The caption stays itself in every language, wherever the panel shows it.
    caption_path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "input",
                                "caption.txt")
    caption = plain(open(caption_path, encoding="utf-8").read().rstrip("\n"))
    for text in english["texts"]:
        t = plain(text)
        if t == caption:
            continue
        wanted = [(i, s) for c, i, s in translated if c != "decimal separator"
                  and (plain(i) == t if not PLACEHOLDER.search(i) else matcher(i).match(t))]
        if not wanted:
            if any(plain(i) == t if not PLACEHOLDER.search(i) else matcher(i).match(t)
                   for i in untranslated):
                faults.append(f"{text!r}: fr.po has no French for it yet")
            continue
        checked += 1
        if not any(matcher(s).match(f) for _, s in wanted for f in shown):
            faults.append(f"{text!r}: not shown as fr.po translates it ({wanted[0][1]!r})")
        if t in shown and all(plain(s) != t for _, s in wanted):
            faults.append(f"{text!r}: left in English in the French panel")
    for name, value in english["fields"].items():
        if re.fullmatch(r"-?\d+\.\d+", value):
            local = value.replace(".", separator)
            french_values = set(french["fields"].values())
            if local not in french_values:
                faults.append(f"field {name!r}: {value!r} not written {local!r} in French")
    for fault in faults:
        print("FAIL: " + fault)
    print(f"{checked} panel texts that fr.po translates, {len(english['texts'])} texts in all; "
          f"{len(faults)} fault(s)")
    return 1 if faults else 0


if __name__ == "__main__":
    if sys.argv[1:2] == ["dump"]:
        sys.exit(dump(sys.argv[2]))
    sys.exit(compare(*sys.argv[2:5]))
