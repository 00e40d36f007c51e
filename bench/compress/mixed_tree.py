#!/usr/bin/env python3
"""Writes the engine benchmarks' mixed tree, the same bytes on every run (seeded): 40 x 1 MiB
text, 20 x 2 MiB incompressible blobs, and `small_files` files of ~10 KiB in folders of 100.
Usage: mixed_tree.py ROOT SMALL_FILES"""
import os
import random
import sys

root, small_files = sys.argv[1], int(sys.argv[2])
rng = random.Random(7)
words = [''.join(rng.choice('abcdefghijklmnopqrstuvwxyz') for _ in range(rng.randint(2, 9))) for _ in range(5000)]


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


for i in range(40):
    text = ' '.join(rng.choice(words) for _ in range(200000)).encode()[:1 << 20]
    write(f'{root}/docs/part{i // 10}/doc{i}.txt', text)
for i in range(20):
    write(f'{root}/media/blob{i}.bin', rng.randbytes(2 << 20))
for i in range(small_files):
    data = rng.randbytes(4096) + ' '.join(rng.choice(words) for _ in range(1200)).encode()[:6144]
    write(f'{root}/small/d{i // 100}/f{i}.dat', data)
