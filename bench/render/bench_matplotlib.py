#!/usr/bin/python3
"""The benchmark's two pages with pandas and matplotlib (Agg): read the file once, then draw
each page as a 2 x 2 grid of histograms and scatter graphs.

    /usr/bin/python3 bench/render/bench_matplotlib.py DATA PREFIX
"""
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import pandas as pd  # noqa: E402

NAMES = ["id", "x", "y", "z", "w", "v", "u", "group"]


def page(path, title, hists, scatters):
    fig, axes = plt.subplots(2, 2, figsize=(10.24, 7.68), dpi=100)
    fig.suptitle(title)
    for ax, col in zip(axes[0], hists):
        ax.hist(col, bins=100)
    for ax, series in zip(axes[1], scatters):
        for xs, ys in series:
            ax.plot(xs, ys, ",", linestyle="none")
    fig.savefig(path)
    plt.close(fig)


def main():
    data, prefix = sys.argv[1], sys.argv[2]
    df = pd.read_csv(data, sep=" ", header=None, names=NAMES, comment=";")
    a = df[df.group == "A"]
    b = df[df.group == "B"]
    page(prefix + ".01.png", "Page 1", [df.x, df.z],
         [[(df.x, df.y)], [(a.w, a.z), (b.w, b.z)]])
    page(prefix + ".02.png", "Page 2", [df.y, df.w], [[(df.x, df.v)], [(df.y, df.u)]])


if __name__ == "__main__":
    main()
