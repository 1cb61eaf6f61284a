#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# navrik-quote on large mail-like files: time against cat in paired runs (cat, navrik-quote,
# cat, navrik-quote, ...; the median of the per-turn ratios), smart breaking (-s) beside the
# default way and re-flow (-r) beside smart breaking, peak memory, single long lines, and a check
# that the output is right every way.
#   bench/quote_filter.sh [BUILD_DIR [RUNS]]          defaults: build, 11
# OLD=path/to/an/older/navrik-quote also times that build against cat, and its single lines and
# the memory of its long mark.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
runs=${2:-11}
quote=$(realpath "$build/src/app/navrik-quote")
[ -x "$quote" ] || { echo "build navrik-quote first: cmake --build $build --target navrik-quote" >&2; exit 1; }

work=${TMPDIR:-/tmp}/navrik-bench
mkdir -p "$work/config"
cd "$work"
# An empty settings directory, so no saved setting changes the run.
export XDG_CONFIG_HOME=$work/config
bench=$OLDPWD/bench

[ -s mail-100MB.txt ] || python3 "$bench/make_mail.py" 100 > mail-100MB.txt
[ -s mail-1GB.txt ] || for i in 1 2 3 4 5 6 7 8 9 10; do cat mail-100MB.txt; done > mail-1GB.txt
[ -s mail-8MB.txt ] || head -c 8388608 mail-100MB.txt > mail-8MB.txt
[ -s wrapped-100MB.txt ] || python3 "$bench/make_mail.py" --wrapped 100 > wrapped-100MB.txt
# Single lines of mixed Japanese and ASCII text, ending in one LF.
for size in 12 50 100 247; do
    [ -s "line-${size}MB.txt" ] || python3 -c "
import sys
n = $size << 20
unit = ('あいう' * 3 + 'abc def ').encode()
sys.stdout.buffer.write((unit * (n // len(unit) + 1))[:n - 1] + b'\n')" > "line-${size}MB.txt"
done

# The head of a table that bench/paired.py fills.
paired_header() {
    echo "| Command | Wall time | Ratio to cat | Processor time | Ratio to cat |"
    echo "|---|---|---|---|---|"
}

echo "## Time against cat, 100 MB, $runs paired runs (medians; ratios: medians of the per-run ratios)"
echo
paired_header
python3 "$bench/paired.py" "$runs" \
    'cat > /dev/null' "cat mail-100MB.txt > /dev/null" \
    '-w 70 > /dev/null' "'$quote' -w 70 < mail-100MB.txt > /dev/null" \
    '-W > /dev/null' "'$quote' -W < mail-100MB.txt > /dev/null"
python3 "$bench/paired.py" "$runs" \
    'one core: cat' "taskset -c 0 cat mail-100MB.txt > /dev/null" \
    'one core: -w 70' "taskset -c 0 '$quote' -w 70 < mail-100MB.txt > /dev/null"
python3 "$bench/paired.py" "$runs" \
    'to a file: cat' "cat mail-100MB.txt > out.txt" \
    'to a file: -w 70' "'$quote' -w 70 < mail-100MB.txt > out.txt"
python3 "$bench/paired.py" "$runs" \
    'from a pipe: cat into cat' "cat mail-100MB.txt | cat > /dev/null" \
    'from a pipe: cat into -w 70' "cat mail-100MB.txt | '$quote' -w 70 > /dev/null"
echo
echo "## Smart breaking beside the default way, 100 MB, $runs paired runs"
echo
paired_header
python3 "$bench/paired.py" "$runs" \
    'cat > /dev/null' "cat mail-100MB.txt > /dev/null" \
    '-w 70 > /dev/null' "'$quote' -w 70 < mail-100MB.txt > /dev/null" \
    '-s -w 70 > /dev/null' "'$quote' -s -w 70 < mail-100MB.txt > /dev/null"
echo
echo "## Re-flow beside smart breaking, 100 MB and 100 MB of wrapped mail, $runs paired runs"
echo
paired_header
python3 "$bench/paired.py" "$runs" \
    'cat > /dev/null' "cat mail-100MB.txt > /dev/null" \
    '-s -w 70 > /dev/null' "'$quote' -s -w 70 < mail-100MB.txt > /dev/null" \
    '-r -w 70 > /dev/null' "'$quote' -r -w 70 < mail-100MB.txt > /dev/null"
python3 "$bench/paired.py" "$runs" \
    'wrapped: cat > /dev/null' "cat wrapped-100MB.txt > /dev/null" \
    'wrapped: -s -w 70 > /dev/null' "'$quote' -s -w 70 < wrapped-100MB.txt > /dev/null" \
    'wrapped: -r -w 70 > /dev/null' "'$quote' -r -w 70 < wrapped-100MB.txt > /dev/null"
echo
if [ -n "${OLD:-}" ]; then
    echo "## This build and $OLD against cat, 100 MB, $runs paired runs"
    echo
    paired_header
    python3 "$bench/paired.py" "$runs" \
        'cat > /dev/null' "cat mail-100MB.txt > /dev/null" \
        'before: -w 70' "'$OLD' -w 70 < mail-100MB.txt > /dev/null" \
        'after: -w 70' "'$quote' -w 70 < mail-100MB.txt > /dev/null" \
        'before: -W' "'$OLD' -W < mail-100MB.txt > /dev/null" \
        'after: -W' "'$quote' -W < mail-100MB.txt > /dev/null"
    echo
fi

echo "## Peak resident memory (/usr/bin/time -v)"
echo
echo "| Run | Peak |"
echo "|---|---|"
mark=$(printf '>%.0s' $(seq 1000))
# peak NAME INPUT COMMAND...: the input comes on standard input, which older builds need.
peak() {
    local name=$1 input=$2; shift 2
    /usr/bin/time -v "$@" < "$input" 2> time.txt > /dev/null
    echo "| $name | $(awk -F': ' '/Maximum resident/ { printf "%.1f MB", $2 / 1024 }' time.txt) |"
}
peak "-w 70, 100 MB" mail-100MB.txt "$quote" -w 70
peak "-w 70, 1 GB" mail-1GB.txt "$quote" -w 70
peak "-r -w 70, 1 GB" mail-1GB.txt "$quote" -r -w 70
peak "-r -w 70, 100 MB of wrapped mail" wrapped-100MB.txt "$quote" -r -w 70
peak "-W, one 100 MB line" line-100MB.txt "$quote" -W
peak "-w 1 with a 1,000-byte mark, 8 MB (4.7 GB out)" mail-8MB.txt "$quote" -m "$mark" -w 1
if [ -n "${OLD:-}" ]; then
    peak "before: -W, one 100 MB line" line-100MB.txt "$OLD" -W
    peak "before: -w 1 with a 1,000-byte mark, 8 MB" mail-8MB.txt "$OLD" -m "$mark" -w 1
fi
echo

echo "## One long line, -w 70 (seconds, peak memory)"
echo
echo "| Line | This build |${OLD:+ $OLD |}"
echo "|---|---|${OLD:+---|}"
line() {
    /usr/bin/time -f '%e s, %M' "$@" 2>&1 > /dev/null | awk -F', ' '{ printf "%s, %.0f MB", $1, $2 / 1024 }'
}
for size in 12 50 247; do
    now=$(line "$quote" -w 70 < "line-${size}MB.txt")
    old=${OLD:+$(line "$OLD" -w 70 < "line-${size}MB.txt") |}
    echo "| $size MB | $now |${old:+ $old}"
done
echo

"$quote" -m '> ' -w 70 < mail-100MB.txt > quoted.txt
python3 "$bench/check_quote.py" mail-100MB.txt quoted.txt '> ' 70
"$quote" -s -m '> ' -w 70 < mail-100MB.txt > quoted.txt
python3 "$bench/check_quote.py" --smart mail-100MB.txt quoted.txt '> ' 70
"$quote" -r -m '> ' -w 70 < mail-100MB.txt > quoted.txt
python3 "$bench/check_quote.py" --reflow mail-100MB.txt quoted.txt '> ' 70
"$quote" -r -m '> ' -w 70 < wrapped-100MB.txt > quoted.txt
python3 "$bench/check_quote.py" --reflow wrapped-100MB.txt quoted.txt '> ' 70
