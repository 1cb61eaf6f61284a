#!/usr/bin/env python3
"""Times shell commands against a baseline in turns (A B A B ...), so that both see the same
machine, and prints each command's median wall time and the median of its per-turn ratios to
the baseline.

    bench/paired.py RUNS BASELINE_NAME BASELINE_COMMAND [NAME COMMAND]...
"""
import statistics
import subprocess
import sys
import time


def run(command):
    start = time.perf_counter()
    subprocess.run(["bash", "-c", command], check=True)
    return time.perf_counter() - start


def main():
    runs = int(sys.argv[1])
    pairs = list(zip(sys.argv[2::2], sys.argv[3::2]))
    (base_name, base), others = pairs[0], pairs[1:]
    for command in (base, *(c for _, c in others)):
        run(command)  # warm the page cache and the binaries
    times = {name: [] for name, _ in pairs}
    for _ in range(runs):
        for name, command in pairs:
            times[name].append(run(command))
    base_median = statistics.median(times[base_name])
    print(f"| {base_name} | {base_median * 1000:.0f} ms | 1 |")
    for name, _ in others:
        ratios = [t / b for t, b in zip(times[name], times[base_name])]
        print(f"| {name} | {statistics.median(times[name]) * 1000:.0f} ms | {statistics.median(ratios):.2f} |")


if __name__ == "__main__":
    main()
