#!/usr/bin/env python3
"""The page's catalogue of a language: its PO file as JSON, English (or context "\\x04" English)
to translation, fuzzy and untranslated entries left out so that the English stands for them.

  catalogue.py LL.po OUT.json          a translation
  catalogue.py --pseudo tarsel.pot OUT.json
        the pseudo-language en-XA: every text about 40 % longer and accented, its placeholders,
        markup and entities kept, to show where a longer language would clip or overflow
"""
import json
import os
import re
import sys


def unquote(s):
    return json.loads('"' + s.replace('\t', '\\t') + '"') if s else ''


def entries(path):
    """(context, msgid, msgstr, flags) of each entry of a PO file."""
    entry = {'flags': set()}
    field = None
    with open(path, encoding='utf-8') as f:
        lines = f.read().splitlines() + ['']
    for line in lines:
        line = line.strip()
        if not line:
            if 'msgid' in entry:
                yield (entry.get('msgctxt'), entry['msgid'], entry.get('msgstr', ''),
                       entry['flags'])
            entry, field = {'flags': set()}, None
        elif line.startswith('#,'):
            entry['flags'].update(x.strip() for x in line[2:].split(','))
        elif line.startswith('#'):
            continue
        elif line.startswith('"'):
            entry[field] += unquote(line[1:-1])
        else:
            key, _, value = line.partition(' ')
            field = 'msgstr' if key.startswith('msgstr') else key
            entry[field] = unquote(value.strip()[1:-1])


ACCENTS = str.maketrans('aceinouyACEINOUY', 'àçéîñöûýÀÇÉÎÑÖÛÝ')
# What a pseudo-translation keeps as it stands: placeholders, markup, entities.
KEPT = re.compile(r'%(?:\d+\$)?s|%%|<[^>]*>|&[#\w]+;')


def pseudo(text):
    if not text.strip():
        return text
    out, at = [], 0
    for m in KEPT.finditer(text):
        out.append(text[at:m.start()].translate(ACCENTS))
        out.append(m.group(0))
        at = m.end()
    out.append(text[at:].translate(ACCENTS))
    body = ''.join(out)
    letters = sum(1 for c in text if c.isalpha())
    # The padding in words of at most eight, so that a long text still wraps where a real one
    # would: a longer language has more words, not one word of hundreds of letters.
    dots = max(1, round(letters * 0.4))
    pad = '·' * min(dots, 8) + ''.join(' ' + '·' * min(8, dots - at) for at in range(8, dots, 8))
    return '⟦' + body + pad + '⟧'


def main(argv):
    make_pseudo = argv[1:2] == ['--pseudo']
    source, target = argv[2:4] if make_pseudo else argv[1:3]
    catalogue = {}
    for context, msgid, msgstr, flags in entries(source):
        if not msgid:
            continue
        key = (context + '\x04' if context is not None else '') + msgid
        if make_pseudo:
            # Numbers keep their decimal point: the pseudo-language is English's length only.
            catalogue[key] = msgid if context == 'decimal separator' else pseudo(msgid)
        elif msgstr and 'fuzzy' not in flags:
            catalogue[key] = msgstr
    temporary = target + '.part'
    with open(temporary, 'w', encoding='utf-8') as f:
        json.dump(catalogue, f, ensure_ascii=False, sort_keys=True, separators=(',', ':'))
    os.replace(temporary, target)


if __name__ == '__main__':
    main(sys.argv)
