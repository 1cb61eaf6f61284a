#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times commands on one input file, taking turns run by run so that a busy machine's swings
fall on all of them alike: after one warm-up round, RUNS rounds, each running every command
once with INPUT on standard input and its output discarded. Prints the median and least CPU
time (user + system) and wall time of each.

    bench/cpu_times.py INPUT RUNS NAME=COMMAND...
"""
import os
import resource
import shlex
import statistics
import subprocess
import sys
import time


def main():
    input_path, runs = sys.argv[1], int(sys.argv[2])
    commands = dict(argument.split("=", 1) for argument in sys.argv[3:])
    cpu = {name: [] for name in commands}
    wall = {name: [] for name in commands}
    for round_number in range(runs + 1):
        for name, command in commands.items():
            before, start = resource.getrusage(resource.RUSAGE_CHILDREN), time.perf_counter()
            with open(input_path, "rb") as source, open(os.devnull, "wb") as sink:
                subprocess.run(shlex.split(command), stdin=source, stdout=sink, check=True)
            end, after = time.perf_counter(), resource.getrusage(resource.RUSAGE_CHILDREN)
            if round_number == 0:
                continue
            cpu[name].append((after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime) * 1000)
            wall[name].append((end - start) * 1000)
    for name in commands:
        print(f"{name}: CPU median {statistics.median(cpu[name]):.0f} ms (least {min(cpu[name]):.0f}), "
              f"wall median {statistics.median(wall[name]):.0f} ms (least {min(wall[name]):.0f})")


if __name__ == "__main__":
    main()
