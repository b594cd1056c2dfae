#!/usr/bin/env python3
"""The catalogues are whole: the template holds every text the sources mark, and each language of
LINGUAS translates every one of them, none fuzzy, msgfmt --check content, each translation with
the placeholders and markup of its English. One line per fault; status 1 if there is any.

  check.py PO_DIR
"""
import collections
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import catalogue  # noqa: E402

PLACEHOLDER = re.compile(r'%(?:\d+\$)?s|<[a-zA-Z/][^>]*>')


def kept(text):
    """What a translation must keep of its English: each placeholder and tag, as a multiset;
    %s numbered as it is taken, so that "%s %s" and "%2$s %1$s" say the same."""
    found, next_index = collections.Counter(), 1
    for m in PLACEHOLDER.finditer(text):
        token = m.group(0)
        if token == '%s':
            token, next_index = '%%%d$s' % next_index, next_index + 1
        elif token.startswith('%'):
            next_index = int(token[1:token.index('$')]) + 1
        found[token] += 1
    return found


def main(po_dir):
    faults = []
    root = os.path.dirname(os.path.abspath(po_dir))
    stale = subprocess.run([os.path.join(po_dir, 'extract.sh'), '--check'], cwd=root,
                           capture_output=True, text=True)
    if stale.returncode:
        faults.append('po/tarsel.pot: not the template of the sources (run po/extract.sh)')
    template = {(c, i) for c, i, _, _ in catalogue.entries(os.path.join(po_dir, 'tarsel.pot')) if i}
    with open(os.path.join(po_dir, 'LINGUAS'), encoding='utf-8') as f:
        languages = [l.strip() for l in f if l.strip() and not l.startswith('#')]
    for lang in languages:
        path = os.path.join(po_dir, lang + '.po')
        name = 'po/%s.po' % lang
        if not os.path.exists(path):
            faults.append('%s: missing, though LINGUAS lists %s' % (name, lang))
            continue
        run = subprocess.run(['msgfmt', '--check', '--statistics', '-o', os.devnull, path],
                             capture_output=True, text=True, env=dict(os.environ, LC_ALL='C'))
        statistics = run.stderr.strip().splitlines()[-1] if run.stderr.strip() else ''
        if run.returncode:
            faults.append('%s: msgfmt --check: %s' % (name, ' / '.join(run.stderr.splitlines())))
        elif 'fuzzy' in statistics or 'untranslated' in statistics:
            faults.append('%s: %s' % (name, statistics))
        seen = set()
        for context, msgid, msgstr, flags in catalogue.entries(path):
            if not msgid:
                continue
            seen.add((context, msgid))
            if msgstr and kept(msgstr) != kept(msgid):
                faults.append('%s: %r keeps %s of %s' % (name, msgid[:60],
                              sorted(kept(msgstr).elements()), sorted(kept(msgid).elements())))
        for context, msgid in sorted(template - seen, key=str):
            faults.append('%s: no entry for %r' % (name, msgid[:60]))
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))))
