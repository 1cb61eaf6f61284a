#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times shell commands against a baseline in turns (A B A B ...), so that both see the same
machine, and prints each command's median wall time and the median of its per-turn ratios to
the baseline, then the same for the processor time (user and system, all processes of the
command), which a busy machine disturbs less.

    bench/paired.py RUNS BASELINE_NAME BASELINE_COMMAND [NAME COMMAND]...
"""
import resource
import statistics
import subprocess
import sys
import time


def cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def run(command):
    start, start_cpu = time.perf_counter(), cpu()
    subprocess.run(["bash", "-c", command], check=True)
    return time.perf_counter() - start, cpu() - start_cpu


def main():
    runs = int(sys.argv[1])
    pairs = list(zip(sys.argv[2::2], sys.argv[3::2]))
    (base_name, base), others = pairs[0], pairs[1:]
    for command in (base, *(c for _, c in others)):
        run(command)  # warm the page cache and the binaries
    wall = {name: [] for name, _ in pairs}
    proc = {name: [] for name, _ in pairs}
    for _ in range(runs):
        for name, command in pairs:
            w, p = run(command)
            wall[name].append(w)
            proc[name].append(p)

    def ms(values):
        return f"{statistics.median(values) * 1000:.0f} ms"

    def ratio(times, name):
        return f"{statistics.median(t / b for t, b in zip(times[name], times[base_name])):.2f}"

    print(f"| {base_name} | {ms(wall[base_name])} | 1 | {ms(proc[base_name])} | 1 |")
    for name, _ in others:
        print(f"| {name} | {ms(wall[name])} | {ratio(wall, name)} | {ms(proc[name])} | {ratio(proc, name)} |")


if __name__ == "__main__":
    main()
