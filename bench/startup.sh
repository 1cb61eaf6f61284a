#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times Navrik's start-up to its first shown window against a bare Qt Widgets window, under a
# private Xvfb display (the real X11 platform), run in turns (A B A B) in the same run.
#   bench/startup.sh [BUILD_DIR] [RUNS]      defaults: build, 40
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
runs=${2:-40}
for target in StartupBench BareWindowBench; do
    [ -x "$build/bench/$target" ] || { echo "build it first: cmake --build $build --target $target" >&2; exit 1; }
done

work=${TMPDIR:-/tmp}/navrik-bench
mkdir -p "$work/config-startup"
export XDG_CONFIG_HOME=$work/config-startup QT_QPA_PLATFORM=xcb
rm -f "$work/display"
exec 3>"$work/display"
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
exec 3>&-
trap 'kill $xvfb' EXIT
until [ -s "$work/display" ]; do sleep 0.05; done
export DISPLAY=:$(cat "$work/display")
until xdpyinfo >/dev/null 2>&1; do sleep 0.05; done

python3 - "$build/bench/StartupBench" "$build/bench/BareWindowBench" "$runs" <<'PY'
import statistics, subprocess, sys, time
navrik, bare, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
times = {navrik: [], bare: []}
for run in range(runs + 3):  # A B A B ..., the first three pairs as warm-up
    for program in (navrik, bare):
        start = time.perf_counter()
        subprocess.run([program], check=True)
        if run >= 3:
            times[program].append(time.perf_counter() - start)
a, b = statistics.median(times[navrik]), statistics.median(times[bare])
ratios = [x / y for x, y in zip(times[navrik], times[bare])]
print(f"{runs} pairs, medians: navrik {a * 1000:.1f} ms, bare QWidget {b * 1000:.1f} ms, "
      f"ratio {a / b:.2f} (median of the paired ratios {statistics.median(ratios):.2f})")
PY
