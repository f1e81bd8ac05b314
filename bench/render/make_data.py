#!/usr/bin/python3
"""Writes the data file of the whole-run rendering benchmark.

Each line has 8 space-separated fields: id, six numbers (x, y, z, w, v, u) and a group text
(A, B, C or D). The first line is a ";" comment, which all three programs skip.

    /usr/bin/python3 bench/render/make_data.py LINES OUTPUT [SEED]
"""
import sys

import numpy as np

CHUNK = 500_000


def main() -> None:
    lines = int(sys.argv[1])
    rng = np.random.default_rng(int(sys.argv[3]) if len(sys.argv) > 3 else 7)
    groups = np.array(["A", "B", "C", "D"])
    with open(sys.argv[2], "w", buffering=1 << 22) as out:
        out.write("; id x y z w v u group\n")
        for start in range(0, lines, CHUNK):
            n = min(CHUNK, lines - start)
            ids = np.arange(start + 1, start + n + 1)
            x = rng.normal(50, 12, n)
            y = 0.8 * x + rng.normal(0, 6, n)
            z = rng.exponential(20, n)
            w = rng.uniform(0, 100, n)
            v = np.sin(x / 8) * 30 + rng.normal(0, 4, n)
            u = rng.gamma(3, 10, n)
            g = groups[rng.integers(0, 4, n)]
            text = [f"{i} {a:.4f} {b:.4f} {c:.3f} {d:.3f} {e:.4f} {f:.3f} {h}\n"
                    for i, a, b, c, d, e, f, h in zip(ids, x, y, z, w, v, u, g)]
            out.write("".join(text))


if __name__ == "__main__":
    main()
