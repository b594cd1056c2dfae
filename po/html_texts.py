#!/usr/bin/env python3
"""The texts and accessible names of the page (web/index.html.in) as a fragment of the template.

    html_texts.py web/index.html.in > html.pot

The page replaces them at start by the same rule (web/language.js): every text node of the body
with a letter in it, its runs of white space (space, tab, newline, form feed, return) made one
space and trimmed; the attributes aria-label, aria-roledescription, title, alt and placeholder of
the body's elements; the content of <meta name="description">. Nothing inside an element marked
translate="no" (the caption, the names of keys), nor the title, which is the caption. Each entry
says where it stands (the element, its id or class), for the translator.
"""

import html.parser
import re
import sys

SPACES = re.compile(r"[ \t\n\f\r]+")
ATTRIBUTES = ("aria-label", "aria-roledescription", "title", "alt", "placeholder")
VOID = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "source",
        "track", "wbr"}
SKIPPED = {"title", "script", "style"}


def collapsed(text):
    return SPACES.sub(" ", text).strip()


def has_letter(text):
    return any(c.isalpha() for c in text)


def where(tag, attrs):
    for name in ("id", "class"):
        if attrs.get(name):
            return f'<{tag} {name}="{attrs[name]}">'
    return f"<{tag}>"


class Texts(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.stack = []  # (tag, attrs, kept) of the open elements
        self.in_body = False
        self.pending = ""
        self.found = []  # (text, comment)

    def kept(self):
        return any(k for _, _, k in self.stack)

    def flush(self):
        text = collapsed(self.pending)
        self.pending = ""
        if not self.in_body or not has_letter(text) or self.kept():
            return
        if any(tag in SKIPPED for tag, _, _ in self.stack):
            return
        inner = next((where(t, a) for t, a, _ in reversed(self.stack)
                      if a.get("id") or a.get("class")), where(*self.stack[-1][:2]))
        self.found.append((text, f"text of {where(*self.stack[-1][:2])} in {inner}"
                           if inner != where(*self.stack[-1][:2]) else f"text of {inner}"))

    def handle_starttag(self, tag, attrs):
        self.flush()
        a = {k: v or "" for k, v in attrs}
        if tag == "body":
            self.in_body = True
        if tag == "meta" and a.get("name") == "description":
            self.found.append((collapsed(a.get("content", "")), "the page's description"))
        kept = a.get("translate") == "no"
        if self.in_body and not kept and not self.kept():
            for name in ATTRIBUTES:
                value = collapsed(a.get(name, ""))
                if has_letter(value):
                    self.found.append((value, f"{name} of {where(tag, a)}"))
        if tag not in VOID:
            self.stack.append((tag, a, kept))

    def handle_startendtag(self, tag, attrs):
        self.handle_starttag(tag, attrs)
        if tag not in VOID:
            self.stack.pop()

    def handle_endtag(self, tag):
        self.flush()
        while self.stack:
            if self.stack.pop()[0] == tag:
                break

    def handle_data(self, data):
        self.pending += data


def quoted(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n") + '"'


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: html_texts.py web/index.html.in")
    parser = Texts()
    with open(sys.argv[1], encoding="utf-8") as f:
        parser.feed(f.read())
    parser.close()
    out = ['msgid ""', 'msgstr ""', '"Content-Type: text/plain; charset=UTF-8\\n"', ""]
    seen = {}
    for text, comment in parser.found:
        seen.setdefault(text, []).append(comment)
    for text, comments in seen.items():
        out += [f"#. {c}" for c in comments]
        out += ["#: web/index.html.in", f"msgid {quoted(text)}", 'msgstr ""', ""]
    sys.stdout.write("\n".join(out))


if __name__ == "__main__":
    main()
