#!/usr/bin/env python3
"""Turns a source corpus (the demo's, build/demo-source) back into texts that
vesk-import reads, for measuring an import of the demo corpus's size.

usage: make-import-input.py SOURCE_DIR OUT_DIR text|tei

text: a folder tree category/work/NN volume.txt; every paragraph and heading
      an indented line, broken into lines of at most 40 characters (as a
      printed text is), annotations in 〔…〕 (read with --note-brackets 〔〕).
tei:  one TEI P5 file per work, a div per volume with its head, a pb per
      page, notes as <note>, <lb/> every 40 characters.
"""
import html
import os
import re
import sys

CELL = re.compile(r'<TD[^>]*>(.*?)</TD>', re.S)
BLOCK = re.compile(r'<(p|h4)>(.*?)</\1>', re.S)
NOTE = re.compile(r'(<font size=-1 color="#993366">.*?</font>)', re.S)
TAG = re.compile(r'<[^>]*>')


def page_blocks(path, number):
    with open(path, encoding='utf-8') as f:
        page = f.read()
    cells = CELL.findall(page)
    if len(cells) < 2:
        return []
    cell = cells[0] if number % 2 == 0 else cells[1]
    blocks = []
    for kind, body in BLOCK.findall(cell):
        runs = []
        for piece in NOTE.split(body):
            note = piece.startswith('<font')
            text = html.unescape(TAG.sub('', piece))
            text = text.replace('〔', '［').replace('〕', '］').replace('\n', '')
            if text:
                runs.append((text, note))
        if runs:
            blocks.append((kind, runs))
    return blocks


def read_contents(source):
    nodes = []
    with open(os.path.join(source, 'contents.txt'), encoding='utf-8') as f:
        for line in f:
            line = line.rstrip('\n')
            if not line or line.startswith('#'):
                continue
            fields = line.split('\t')
            nodes.append((int(fields[0]), fields[1], fields[2] if len(fields) > 2 else None))
    return nodes


def volume_pages(source, folder):
    d = os.path.join(source, folder)
    names = sorted((n for n in os.listdir(d) if n.endswith('.htm')), key=lambda n: int(n[:-4]))
    return [(os.path.join(d, n), int(n[:-4])) for n in names]


def wrap(text, width=40):
    return [text[i:i + width] for i in range(0, len(text), width)] or ['']


def safe(name):
    return re.sub(r'[/\\\0]', '_', name)


def write_text(source, out):
    category = work = None
    counters = [0, 0, 0]
    for level, name, folder in read_contents(source):
        counters[level - 1] += 1
        for k in range(level, 3):
            counters[k] = 0
        if level == 1:
            category = '%02d %s' % (counters[0], safe(name))
        elif level == 2:
            work = os.path.join(out, category, '%02d %s' % (counters[1], safe(name)))
            os.makedirs(work, exist_ok=True)
        else:
            lines = []
            for path, number in volume_pages(source, folder):
                for kind, runs in page_blocks(path, number):
                    text = ''.join('〔%s〕' % t if note else t for t, note in runs)
                    wrapped = wrap(text)
                    lines.append('　　' + wrapped[0])
                    lines.extend(wrapped[1:])
            with open(os.path.join(work, '%03d %s.txt' % (counters[2], safe(name))), 'w', encoding='utf-8') as f:
                f.write('\n'.join(lines) + '\n')


def tei_runs(runs):
    out = []
    column = 0
    for text, note in runs:
        if note:
            out.append('<note>%s</note>' % html.escape(text, quote=False))
            continue
        for ch in text:
            out.append(html.escape(ch, quote=False))
            column += 1
            if column % 40 == 0:
                out.append('<lb/>\n')
    return ''.join(out)


def write_tei(source, out):
    os.makedirs(out, exist_ok=True)
    f = None
    works = 0

    def close():
        if f:
            f.write('</div>\n</body>\n</text>\n</TEI>\n')
            f.close()

    in_div = False
    for level, name, folder in read_contents(source):
        if level == 2:
            if f:
                f.write('</div>\n' if in_div else '')
                f.write('</body>\n</text>\n</TEI>\n')
                f.close()
            works += 1
            f = open(os.path.join(out, '%03d.xml' % works), 'w', encoding='utf-8')
            f.write('<?xml version="1.0" encoding="UTF-8"?>\n<TEI xmlns="http://www.tei-c.org/ns/1.0">\n'
                    '<teiHeader><fileDesc><titleStmt><title>%s</title></titleStmt>'
                    '<publicationStmt><p/></publicationStmt><sourceDesc><p/></sourceDesc></fileDesc>'
                    '</teiHeader>\n<text>\n<body>\n' % html.escape(name))
            in_div = False
        elif level == 3:
            if in_div:
                f.write('</div>\n')
            f.write('<div>\n<head>%s</head>\n' % html.escape(name))
            in_div = True
            for path, number in volume_pages(source, folder):
                f.write('<pb n="%d"/>\n' % number)
                for kind, runs in page_blocks(path, number):
                    tag = 'head' if kind == 'h4' else 'p'
                    f.write('<%s>%s</%s>\n' % (tag, tei_runs(runs), tag))
    if f:
        f.write('</div>\n' if in_div else '')
        f.write('</body>\n</text>\n</TEI>\n')
        f.close()


def main():
    if len(sys.argv) != 4 or sys.argv[3] not in ('text', 'tei'):
        sys.exit(__doc__)
    source, out, form = sys.argv[1:]
    (write_text if form == 'text' else write_tei)(source, out)


if __name__ == '__main__':
    main()
