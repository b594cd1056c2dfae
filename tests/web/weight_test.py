#!/usr/bin/env python3
"""What a first visit of the page loads stays within 150 KB gzipped.

    weight_test.py SITE

The first visit loads index.html and what it names (its scripts, style sheet, manifest, icon
and the preloaded module), then the service worker once the first frame is up. Everything else
(the sweep's module, a course's scripts, the larger icons) waits until a choice needs it.
"""

import gzip
import html.parser
import os
import sys

LIMIT = 150_000


class Names(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.files = []

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "script" and a.get("src"):
            self.files.append(a["src"])
        elif tag == "link" and a.get("rel") in ("stylesheet", "manifest", "icon", "preload"):
            self.files.append(a["href"])


def main():
    site = sys.argv[1]
    names = Names()
    with open(os.path.join(site, "index.html"), encoding="utf-8") as f:
        names.feed(f.read())
    files = ["index.html"] + names.files + ["sw.js"]
    sizes = {}
    for name in files:
        with open(os.path.join(site, name), "rb") as f:
            sizes[name] = len(gzip.compress(f.read(), 9))
    total = sum(sizes.values())
    for name, size in sorted(sizes.items(), key=lambda item: -item[1]):
        print(f"{size:8d}  {name}")
    print(f"{total:8d}  a first visit, gzipped (at most {LIMIT})")
    if "tarsel.wasm" not in sizes:
        sys.exit("index.html no longer preloads tarsel.wasm: the count misses the module")
    if total > LIMIT:
        sys.exit(f"a first visit loads {total} bytes gzipped, more than {LIMIT}")


if __name__ == "__main__":
    main()
