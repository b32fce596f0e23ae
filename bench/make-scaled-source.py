#!/usr/bin/env python3
"""Writes a source corpus N times the size of a given one (the demo source)
from that corpus's own text, so that character and phrase statistics stay
those of real poems and prose.

usage: make-scaled-source.py SOURCE_DIR OUT_DIR [--times N] [--seed S]

The first copy is the source itself (its pages hard-linked, or copied where
links fail). Every further copy repeats the source's works under the same
categories, named "<work> <k>", with the same volumes and page numbers; each
of its pages keeps the layout of the page it stands for (title, cells, the
sequence of heading and paragraph lines) while every heading and every
paragraph line is drawn at random from all the lines of that kind in the
same category, annotations included. So a copy's pages are as long as the
source's, poems stay among poems and prose among prose, and whole lines of
real text (the phrases inside them) are kept.

Lines of a page that are neither a heading nor a paragraph (the frame around
the text cell) are kept as they are. The variant table is copied. N = 10 on
the demo source gives about 280 million characters in 284,000 pages.
"""
import argparse
import os
import random
import shutil
import sys


def read_contents(source):
    """The contents lines as (level, name, folder or None), comments and
    empty lines dropped."""
    nodes = []
    with open(os.path.join(source, "contents.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\r\n")
            if not line or line.startswith("#"):
                continue
            fields = line.split("\t")
            nodes.append((fields[0], fields[1], fields[2] if len(fields) > 2 else None))
    return nodes


def group_by_category(nodes):
    """[(category name, [work: (name, [(volume name, folder)])])]"""
    categories = []
    for level, name, folder in nodes:
        if level == "1":
            categories.append((name, []))
        elif level == "2":
            categories[-1][1].append((name, []))
        elif level == "3":
            categories[-1][1][-1][1].append((name, folder))
    return categories


def page_files(folder):
    return sorted(name for name in os.listdir(folder)
                  if name.endswith(".htm") and name[:-4].isdigit())


def line_kind(line):
    if line.startswith("<h4>"):
        return "h4"
    if line.startswith("<p>"):
        return "p"
    return None


def category_lines(source, works):
    """Every heading and paragraph line of a category's pages, by kind."""
    pool = {"h4": [], "p": []}
    for _, volumes in works:
        for _, folder in volumes:
            path = os.path.join(source, folder)
            for name in page_files(path):
                with open(os.path.join(path, name), encoding="utf-8") as f:
                    for line in f:
                        kind = line_kind(line)
                        if kind:
                            pool[kind].append(line)
    return pool


def link_or_copy(source_path, target_path):
    try:
        os.link(source_path, target_path)
    except OSError:
        shutil.copyfile(source_path, target_path)


def resampled_page(template_path, pool, rng):
    out = []
    with open(template_path, encoding="utf-8") as f:
        for line in f:
            kind = line_kind(line)
            if kind and pool[kind]:
                out.append(rng.choice(pool[kind]))
            else:
                out.append(line)
    return "".join(out)


def write_volume(source, out, folder, copy, pool, rng):
    target = os.path.join(out, "c%d" % copy, folder)
    os.makedirs(target, exist_ok=True)
    path = os.path.join(source, folder)
    for name in page_files(path):
        if copy == 1:
            link_or_copy(os.path.join(path, name), os.path.join(target, name))
        else:
            with open(os.path.join(target, name), "w", encoding="utf-8") as f:
                f.write(resampled_page(os.path.join(path, name), pool, rng))
    return "c%d/%s" % (copy, folder)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("source")
    parser.add_argument("out")
    parser.add_argument("--times", type=int, default=10)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    if args.times < 1:
        sys.exit("--times must be 1 or more")
    if not os.path.isfile(os.path.join(args.source, "contents.txt")):
        sys.exit("no contents.txt in %s" % args.source)
    if os.path.exists(os.path.join(args.out, "contents.txt")):
        sys.exit("%s already holds a corpus; remove it first" % args.out)
    rng = random.Random(args.seed)
    os.makedirs(args.out, exist_ok=True)

    contents = ["# Made by bench/make-scaled-source.py, %d times %s" % (args.times, args.source)]
    for category, works in group_by_category(read_contents(args.source)):
        pool = category_lines(args.source, works) if args.times > 1 else None
        contents.append("1\t%s" % category)
        for copy in range(1, args.times + 1):
            for work, volumes in works:
                contents.append("2\t%s" % (work if copy == 1 else "%s %d" % (work, copy)))
                for volume, folder in volumes:
                    new_folder = write_volume(args.source, args.out, folder, copy, pool, rng)
                    contents.append("3\t%s\t%s" % (volume, new_folder))
        print("%s: %d copies" % (category, args.times), file=sys.stderr)
    variants = os.path.join(args.source, "yitizi.txt")
    if os.path.isfile(variants):
        shutil.copyfile(variants, os.path.join(args.out, "yitizi.txt"))
    # contents.txt last: its presence marks a complete corpus.
    with open(os.path.join(args.out, "contents.txt"), "w", encoding="utf-8") as f:
        f.write("\n".join(contents) + "\n")


if __name__ == "__main__":
    main()
