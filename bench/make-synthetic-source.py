#!/usr/bin/env python3
"""Writes a synthetic source corpus of about the demo corpus's size, for
measuring vesk-build before (or besides) the real demo source.

usage: make-synthetic-source.py OUT_DIR [--chars N] [--seed S]

Pages hold about 1000 characters drawn with a Zipf-like weighting from 7000
CJK ideographs (plus a little punctuation), with an annotation now and then;
volumes hold 100 pages, works 10 volumes, categories 5 works. The variant
table pairs 6800 characters into groups.
"""
import argparse
import os
import random


def page_html(number, text):
    cells = [text, ""] if number % 2 == 0 else ["", text]
    return ("<html><head><meta charset=\"utf-8\"><title>p%d</title></head><body>"
            "<table><tr><TD>%s</TD><TD>%s</TD></tr></table></body></html>\n"
            % (number, cells[0], cells[1]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--chars", type=int, default=26_000_000)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    alphabet = [chr(0x4E00 + i) for i in range(7000)] + ["，", "。", "<p>"]
    weights = [1.0 / (i + 10) for i in range(len(alphabet))]
    note_open, note_close = '<font size=-1 color="#993366">', "</font>"

    os.makedirs(args.out, exist_ok=True)
    contents = []
    written = 0
    volume = 0
    while written < args.chars:
        category = volume // 50
        if volume % 50 == 0:
            contents.append("1\t類%d" % category)
        if volume % 10 == 0:
            contents.append("2\t書%d" % (volume // 10))
        folder = "c%02d/v%04d" % (category, volume)
        contents.append("3\t卷%d\t%s" % (volume % 10 + 1, folder))
        os.makedirs(os.path.join(args.out, folder), exist_ok=True)
        for number in range(1, 101):
            chars = rng.choices(alphabet, weights, k=rng.randint(700, 1300))
            text = "".join(chars)
            if rng.random() < 0.5:
                cut = rng.randint(0, len(text))
                note = "".join(rng.choices(alphabet, weights, k=rng.randint(20, 120)))
                text = text[:cut] + note_open + note + note_close + text[cut:]
            with open(os.path.join(args.out, folder, "%04d.htm" % number), "w",
                      encoding="utf-8") as f:
                f.write(page_html(number, text))
            written += len(chars)
        volume += 1
    with open(os.path.join(args.out, "contents.txt"), "w", encoding="utf-8") as f:
        f.write("\n".join(contents) + "\n")
    with open(os.path.join(args.out, "yitizi.txt"), "w", encoding="ascii") as f:
        for i in range(0, 13600, 2):
            f.write("%X,%X\n" % (0x4E00 + i, 0x4E00 + i + 1))


if __name__ == "__main__":
    main()
