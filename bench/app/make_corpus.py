#!/usr/bin/env python3
"""Source trees for the batch benchmark, as download sites receive them: per item a program-like
payload (incompressible blobs), documentation text (compressible), a few small files, and the
advertising files the seed rules delete. Deterministic.

Usage: make_corpus.py TREES_DIR ITEMS   (about 5 MB of content per item)"""
import os
import random
import sys

WORDS = ("setup install game tool data level map sound video config readme update patch "
         "version release note user guide chapter figure table index value").split()


def text(rnd, size):
    out, length = [], 0
    while length < size:
        line = " ".join(rnd.choice(WORDS) for _ in range(rnd.randint(6, 14))) + "\r\n"
        out.append(line)
        length += len(line)
    return "".join(out).encode()


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    root, items = sys.argv[1], int(sys.argv[2])
    for i in range(items):
        rnd = random.Random(i)
        base = os.path.join(root, "Item%02d" % i, "Game%02d" % i)
        write(os.path.join(base, "bin", "game.dat"), rnd.randbytes(2_000_000))
        write(os.path.join(base, "bin", "sound.dat"), rnd.randbytes(1_000_000))
        write(os.path.join(base, "docs", "manual.txt"), text(rnd, 1_500_000))
        write(os.path.join(base, "docs", "changes.txt"), text(rnd, 300_000))
        for k in range(20):
            write(os.path.join(base, "levels", "level%02d.cfg" % k), text(rnd, 4_000))
        write(os.path.join(base, "访问本站.url"), b"[InternetShortcut]\r\nURL=http://www.example.com/\r\n")
        write(os.path.join(base, "更多精品软件.txt"), "欢迎访问 www.example.com\r\n".encode("utf-8"))
        write(os.path.join(base, "Thumbs.db"), bytes(512))


if __name__ == "__main__":
    main()
