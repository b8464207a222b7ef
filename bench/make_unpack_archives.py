#!/usr/bin/env python3
"""Makes the archives of bench_unpack: 2,000 files of mixed sizes and kinds in
nested folders (about 100 MB as a deflate zip), packed by zip, 7zz and rar.

usage: make_unpack_archives.py <folder>   (writes tree/, bench.zip, bench.7z, bench.rar)
"""
import os
import random
import shutil
import subprocess
import sys

out = os.path.abspath(sys.argv[1])
tree = os.path.join(out, "tree")
rng = random.Random(2000)
words = [bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9))) for _ in range(3000)]


def text(size):
    parts, n = [], 0
    while n < size:
        w = rng.choice(words) + (b"\n" if rng.random() < 0.1 else b" ")
        parts.append(w)
        n += len(w)
    return b"".join(parts)[:size]


shutil.rmtree(out, ignore_errors=True)
for i in range(2000):
    # Mostly small files, a few large ones, as plugin packages with their resources have them.
    size = int(min(rng.lognormvariate(10.15, 1.4), 4 << 20))
    data = os.urandom(size) if rng.random() < 0.55 else text(size)
    path = os.path.join(tree, "d%02d" % (i % 40), "s%d" % (i % 7), "f%04d.bin" % i)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)

for cmd in (["zip", "-qrX", os.path.join(out, "bench.zip"), "."],
            ["7zz", "a", "-bso0", "-bsp0", "-mx5", os.path.join(out, "bench.7z"), "."],
            ["rar", "a", "-idq", "-r", "-m3", os.path.join(out, "bench.rar"), "."]):
    subprocess.run(cmd, cwd=tree, check=True)
