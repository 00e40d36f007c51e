#!/usr/bin/env python3
"""Writes the benchmark's mixed tree: many small text files, larger texts and incompressible
blobs, about `megabytes` MB in all, the same bytes on every run (seeded)."""
import os
import random
import sys

root, megabytes = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 100
rng = random.Random(20240601)
words = [''.join(rng.choice('abcdefghijklmnopqrstuvwxyz') for _ in range(rng.randint(2, 9))) for _ in range(3000)]


def text(size):
    out, n = [], 0
    while n < size:
        line = ' '.join(rng.choice(words) for _ in range(rng.randint(4, 14))) + '\n'
        out.append(line)
        n += len(line)
    return ''.join(out)[:size].encode()


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


budget = megabytes << 20
small = budget * 15 // 100     # many small files: per-file cost
texts = budget * 45 // 100     # compressible text
blobs = budget - small - texts  # incompressible data
n = 0
while small > 0:
    size = rng.randint(100, 4000)
    write(os.path.join(root, 'small', 'd%03d' % (n // 200), 'f%05d.txt' % n), text(size))
    small -= size
    n += 1
n = 0
while texts > 0:
    size = min(texts, rng.randint(100 << 10, 3 << 20))
    write(os.path.join(root, 'text', 'doc%03d.txt' % n), text(size))
    texts -= size
    n += 1
n = 0
while blobs > 0:
    size = min(blobs, rng.randint(256 << 10, 6 << 20))
    write(os.path.join(root, 'blobs', 'blob%03d.bin' % n), rng.randbytes(size))
    blobs -= size
    n += 1
