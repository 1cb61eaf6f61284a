#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times the main window's paste, quote and copy cycle against the plain paste of the same mail
# text (1 MB and 10 MB by default) on the offscreen platform, then the peak memory of each path
# alone on the largest size. With NAVRIK_BEFORE set to another build folder (the same benchmark
# built from an older commit), that build runs right before this one on every size, for a before
# and after in one run.
#   bench/quote_cycle.sh [BUILD_DIR] [MEGABYTES...]      defaults: build, 1 10
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1 10)
bench=$build/bench/QuoteCycleBench
[ -x "$bench" ] || { echo "build it first: cmake --build $build --target QuoteCycleBench" >&2; exit 1; }

work=${TMPDIR:-/tmp}/navrik-bench
mkdir -p "$work/config-gui"
# An empty settings directory, so no saved setting changes the run; nothing is saved either.
export XDG_CONFIG_HOME=$work/config-gui QT_QPA_PLATFORM=offscreen

for megabytes in "${sizes[@]}"; do
    input=$work/mail-${megabytes}MB.txt
    [ -s "$input" ] || python3 bench/make_mail.py "$megabytes" > "$input"
    if [ -n "${NAVRIK_BEFORE:-}" ]; then
        echo "before ($NAVRIK_BEFORE):"
        "$NAVRIK_BEFORE/bench/QuoteCycleBench" "$input" 7 2>/dev/null
        echo "after ($build):"
    fi
    "$bench" "$input" 7 2>/dev/null
done
largest=$work/mail-${sizes[-1]}MB.txt
for path in paste icon window; do
    peak=$("$bench" "$largest" 1 "$path" 2>/dev/null | grep -o 'peak.*')
    echo "$path alone on $(basename "$largest"): $peak"
done
