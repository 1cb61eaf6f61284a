#!/usr/bin/env bash
# Times navrik-quote -w 70 on a large mail-like file, with and without smart breaking (-s),
# against fold -b -w 68 | sed 's/^/> /' (the plain-tools way to quote and break at 70 bytes) in
# the same run, then checks that navrik-quote's output is right both ways.
#   bench/quote_filter.sh [MEGABYTES] [BUILD_DIR]      defaults: 100, build
set -euo pipefail
cd "$(dirname "$0")/.."

megabytes=${1:-100}
build=${2:-build}
quote=$build/src/app/navrik-quote
[ -x "$quote" ] || { echo "build navrik-quote first: cmake --build $build --target navrik-quote" >&2; exit 1; }

work=${TMPDIR:-/tmp}/navrik-bench
mkdir -p "$work/config"
input=$work/mail-${megabytes}MB.txt
[ -s "$input" ] || python3 bench/make_mail.py "$megabytes" > "$input"
# An empty settings directory, so no saved setting changes the run.
export XDG_CONFIG_HOME=$work/config

hyperfine --warmup 1 --runs 5 --export-markdown "$work/results.md" \
    -n navrik-quote "'$quote' -m '> ' -w 70 < '$input' > /dev/null" \
    -n 'navrik-quote -s' "'$quote' -s -m '> ' -w 70 < '$input' > /dev/null" \
    -n 'fold | sed' "LC_ALL=C fold -b -w 68 < '$input' | LC_ALL=C sed 's/^/> /' > /dev/null"

"$quote" -m '> ' -w 70 < "$input" > "$work/quoted.txt"
python3 bench/check_quote.py "$input" "$work/quoted.txt" '> ' 70
"$quote" -s -m '> ' -w 70 < "$input" > "$work/quoted.txt"
python3 bench/check_quote.py --smart "$input" "$work/quoted.txt" '> ' 70
