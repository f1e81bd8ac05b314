#!/usr/bin/python3
"""Times plotwright-render --follow on a growing data file, beside a plain render of it.

    follow_render.py RENDER SETUP DATA WORK_DIR [ROUNDS] [LINES]

Copies DATA into WORK_DIR, renders it once without --follow (the full reload, timed from the
start of the program to its end), then starts the program with --follow and, ROUNDS times
(default 5), appends LINES lines (default 10000) in one write and times from the write to
the "rendered N points, K pages" line that follows it: the quiet time (0.2 s), reading the
added lines, drawing both pages and writing the pictures. SIGTERM ends it; its exit status
must be 0. Prints one line per step and the medians.
"""
import os
import select
import shutil
import signal
import statistics
import subprocess
import sys
import time


def lines(first, count):
    groups = "ABCD"
    out = []
    for i in range(first, first + count):
        x = 50 + (i * 7919) % 4801 / 100 - 24
        out.append(f"{i} {x:.4f} {0.8 * x + i % 13 - 6:.4f} {i % 997 / 10:.3f} "
                   f"{i % 1000 / 10:.3f} {i % 61 - 30.0:.4f} {i % 700 / 10:.3f} {groups[i % 4]}\n")
    return "".join(out)


def next_line(stream, limit=600):
    """The next line of `stream` (a pipe), or None after `limit` seconds."""
    end = time.monotonic() + limit
    line = b""
    while not line.endswith(b"\n"):
        left = end - time.monotonic()
        if left <= 0 or not select.select([stream], [], [], left)[0]:
            return None
        byte = os.read(stream.fileno(), 1)
        if not byte:
            return None
        line += byte
    return line.decode().rstrip("\n")


def main():
    render, setup, data, work = sys.argv[1:5]
    rounds = int(sys.argv[5]) if len(sys.argv) > 5 else 5
    count = int(sys.argv[6]) if len(sys.argv) > 6 else 10000
    os.makedirs(work, exist_ok=True)
    followed = os.path.join(work, "follow.dat")
    shutil.copyfile(data, followed)
    with open(followed, "rb") as f:
        total = sum(chunk.count(b"\n") for chunk in iter(lambda: f.read(1 << 24), b""))

    start = time.monotonic()
    subprocess.run([render, "-o", os.path.join(work, "plain"), setup, followed], check=True)
    plain = time.monotonic() - start
    print(f"plain render of {total} lines: {plain * 1000:.0f} ms", flush=True)

    proc = subprocess.Popen([render, "--follow", "-o", os.path.join(work, "out"), setup, followed],
                            stderr=subprocess.PIPE)
    start = time.monotonic()
    first = next_line(proc.stderr)
    print(f"--follow, first render: {first} after {(time.monotonic() - start) * 1000:.0f} ms",
          flush=True)
    times = []
    for r in range(rounds):
        text = lines(total + r * count + 1, count)
        time.sleep(0.5)
        with open(followed, "a") as f:
            start = time.monotonic()
            f.write(text)
        line = next_line(proc.stderr)
        times.append(time.monotonic() - start)
        print(f"round {r + 1}: +{count} lines: {line} {times[-1] * 1000:.0f} ms after the write",
              flush=True)
    proc.send_signal(signal.SIGTERM)
    status = proc.wait()
    print(f"median write to new pictures: {statistics.median(times) * 1000:.0f} ms "
          f"(plain render {plain * 1000:.0f} ms); exit status after SIGTERM: {status}")
    shutil.rmtree(work)
    return 0 if status == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
