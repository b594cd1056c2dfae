#!/usr/bin/env python3
"""Copies one of the page's scripts into the site without its comment lines.

    shipped_script.py SOURCE.js OUT.js

The sources explain themselves at length, and a first visit downloads every script: a line that
is only a comment (its first characters after the indent are //) and a blank line are left
out, everything else is kept byte for byte, so that the page runs the same code. A script that
must keep such a line inside a multi-line string would say so here; none does. The copy is
written under a temporary name and renamed when complete.
"""

import os
import sys


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: shipped_script.py SOURCE.js OUT.js")
    source, out = sys.argv[1:]
    with open(source, encoding="utf-8") as f:
        lines = f.read().splitlines(keepends=True)
    kept = [line for line in lines if line.strip() and not line.lstrip().startswith("//")]
    temporary = f"{out}.tarsel-{os.getpid()}"
    try:
        with open(temporary, "w", encoding="utf-8") as f:
            f.writelines(kept)
        os.replace(temporary, out)
    except OSError as error:
        if os.path.exists(temporary):
            os.remove(temporary)
        sys.exit(f"writing '{out}' failed: {error.strerror}")


if __name__ == "__main__":
    main()
