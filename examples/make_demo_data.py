#!/usr/bin/env python3
"""Writes examples/demo.dat, the data file of the Plotwright demo.

Hourly readings of three weather stations (North, South, East) over 60 days, one block of
lines per station (so a LINE layer that picks one station draws an unbroken line), in time
order within each block. Deterministic: the same file comes out on every run.

Fields of a data line (space separated):
  1 date yyyy/mm/dd   2 time hh:mm:ss   3 station   4 temperature (C)   5 humidity (%)
  6 wind (m/s)        7 rain (mm)       8 pressure (hPa)   9 particles (per cm3)
  10 quality (ok/bad) 11 dew point (C)
Missing readings are written as "?", "NaN" or "n/a".

After the stations comes a generated cloud of points for the density page: lines of the
station "Cloud" with every reading missing and two more fields, 12 x and 13 y. The shipped
file holds a small cloud (--cloud 3000, the default); the build writes the demo it runs with a
large one (--cloud 1000000) next to the programs.

Usage: make_demo_data.py [--cloud N] [output file]
"""
import math
import random
import sys
from datetime import date, timedelta

SITES = {
    # name: (mean temperature, daily swing, humidity base, wind base, pressure offset)
    "North": (6.0, 5.0, 78.0, 5.5, -4.0),
    "South": (17.0, 7.0, 58.0, 3.0, 3.0),
    "East": (11.0, 9.0, 66.0, 4.2, 0.0),
}
DAYS = 60


def cloud_lines(count):
    """A cloud whose heart is dense and whose edges are sparse: a tilted core, a ring around
    it, a small tight cluster and a thin scatter of outliers."""
    rng = random.Random(16)
    lines = ["; generated cloud: date time station, every reading missing, then x and y"]
    for _ in range(count):
        pick = rng.random()
        if pick < 0.62:
            x = rng.gauss(0, 1.0)
            y = 0.7 * x + rng.gauss(0, 0.55)
        elif pick < 0.87:
            angle = rng.uniform(0, 2 * math.pi)
            radius = rng.gauss(3.2, 0.18)
            x = radius * math.cos(angle)
            y = 0.8 * radius * math.sin(angle)
        elif pick < 0.995:
            x = rng.gauss(2.6, 0.12)
            y = rng.gauss(-1.8, 0.12)
        else:
            x = rng.uniform(-5, 5)
            y = rng.uniform(-4, 4)
        lines.append(f"2024/03/01 00:00:00 Cloud ? ? ? ? ? ? ? ? {x:.3f} {y:.3f}")
    return lines


def main(path, cloud=3000):
    rng = random.Random(2024)
    start = date(2024, 3, 1)
    lines = [
        "; Plotwright demo data: hourly readings of three weather stations.",
        "; date time station temp humidity wind rain pressure particles quality dewpoint",
    ]
    # A slow drift of the weather, shared by all stations.
    drift = []
    weather = 0.0
    for _ in range(DAYS * 24):
        weather = 0.97 * weather + rng.gauss(0, 0.6)
        drift.append(weather)
    for site, (t0, swing, h0, w0, p0) in SITES.items():
        lines.append(f"; station {site}")
        for day in range(DAYS):
            d = start + timedelta(days=day)
            for hour in range(24):
                weather = drift[day * 24 + hour]
                season = 4.0 * day / DAYS
                temp = (t0 + season + weather + swing * math.sin((hour - 9) / 24 * 2 * math.pi)
                        + rng.gauss(0, 1.2))
                hum = min(100.0, max(8.0, h0 - 2.2 * (temp - t0) + rng.gauss(0, 6)))
                wind = max(0.0, rng.gammavariate(2.0, w0 / 2.0))
                rain = 0.0 if rng.random() < 0.8 else round(rng.expovariate(0.6), 1)
                pressure = 1013 + p0 - 3.0 * weather + rng.gauss(0, 2.5)
                if rng.random() < 0.004:
                    pressure += rng.choice([-1, 1]) * rng.uniform(60, 120)  # sensor glitch
                particles = math.exp(rng.gauss(3.0 + 0.25 * (6 - wind) / 3, 0.9))
                dew = temp - (100 - hum) / 5.0
                quality = "bad" if rng.random() < 0.06 else "ok"
                t = f"{temp:.2f}"
                h = f"{hum:.1f}"
                pa = f"{particles:.1f}"
                if rng.random() < 0.02:
                    t = "?"
                if rng.random() < 0.015:
                    h = "NaN"
                if rng.random() < 0.02:
                    pa = "n/a"
                lines.append(
                    f"{d:%Y/%m/%d} {hour:02d}:{rng.randrange(60):02d}:00 {site} {t} {h} "
                    f"{wind:.2f} {rain} {pressure:.1f} {pa} {quality} {dew:.2f}")
    lines += cloud_lines(cloud)
    with open(path, "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    args = sys.argv[1:]
    count = 3000
    if len(args) >= 2 and args[0] == "--cloud":
        count = int(args[1])
        args = args[2:]
    main(args[0] if args else "examples/demo.dat", count)
