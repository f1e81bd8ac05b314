#!/usr/bin/env python3
"""Writes a data file for the loading benchmark.

Each data line has 8 fields: an id, six numbers of 4 to 6 significant digits (some with an
exponent, about 1 % written as "?"), and a text label. About one line in 1000 is a comment.

    python3 bench/gen_data.py LINES OUTPUT [SEED]
"""
import random
import sys

LABELS = ["North", "South", "East", "West", "Centre", "Harbour", "Ridge", "Valley"]


def number(rng: random.Random) -> str:
    if rng.random() < 0.01:
        return "?"
    digits = rng.randint(4, 6)
    mantissa = rng.randint(10 ** (digits - 1), 10 ** digits - 1)
    sign = "-" if rng.random() < 0.2 else ""
    if rng.random() < 0.15:
        text = str(mantissa)
        return f"{sign}{text[0]}.{text[1:]}e{rng.randint(-12, 12)}"
    point = rng.randint(0, digits - 1)
    text = str(mantissa)
    if point == 0:
        return sign + text
    return f"{sign}{text[:-point]}.{text[-point:]}"


def main() -> None:
    lines = int(sys.argv[1])
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 1)
    with open(sys.argv[2], "w", buffering=1 << 20) as out:
        out.write("; id a b c d e f label\n")
        chunk = []
        for i in range(1, lines + 1):
            if i % 1000 == 0:
                chunk.append(f"; block {i // 1000}\n")
            fields = [str(i)] + [number(rng) for _ in range(6)] + [rng.choice(LABELS) + str(i % 97)]
            chunk.append(" ".join(fields) + "\n")
            if len(chunk) >= 10000:
                out.write("".join(chunk))
                chunk.clear()
        out.write("".join(chunk))


if __name__ == "__main__":
    main()
