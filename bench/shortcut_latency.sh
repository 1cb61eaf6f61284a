#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Time from the global shortcut's key press (and from starting `navrik --paste-and-quote`) to the
# quoted mail on the clipboard, end to end under Xvfb with Navrik in icon mode and an xterm
# holding the focus. Prints each round and the median of ROUNDS.
#   bench/shortcut_latency.sh [BUILD_DIR] [ROUNDS]      defaults: build, 10
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rounds=${2:-10}
navrik=$PWD/$build/src/app/navrik
[ -x "$navrik" ] || { echo "build it first: cmake --build $build --target navrik" >&2; exit 1; }

work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb
mkdir -m 0700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
printf '[Inyou]\r\nAutoPaste=1\r\n' >"$XDG_CONFIG_HOME/tolvane.ini"

exec 3>"$work/display"
# -noreset: a client connecting while the server resets after its last client left is refused.
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 2>/dev/null &
pids+=($!)
exec 3>&-
until [ -s "$work/display" ]; do sleep 0.05; done
export DISPLAY=:$(cat "$work/display")
until xdpyinfo >/dev/null 2>&1; do sleep 0.05; done
"$navrik" 2>/dev/null &
pids+=($!)
xterm -geometry 60x10+300+300 -title other-program &
pids+=($!)
until xdotool search --onlyvisible --name '^other-program$' >/dev/null 2>&1; do sleep 0.05; done
until xdotool search --onlyvisible --name '^Navrik$' >/dev/null 2>&1; do sleep 0.05; done
xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^other-program$' | head -1)"

# One mail of 200 lines, different every round so a stale clipboard never counts.
mail() { for i in $(seq 200); do echo "round $1 line $i: お世話になっております。"; done; }

# measure ROUND COMMAND...: milliseconds from starting COMMAND to the quoted mail on the clipboard.
# The round "floor..." puts the quoted mail there itself: what one look at the clipboard costs.
measure() {
    local round=$1 start now; shift
    if [[ $round == floor* ]]; then
        mail "$round" | sed 's/^/> /' | xclip -selection clipboard -i >/dev/null 2>&1
    else
        mail "$round" | xclip -selection clipboard -i >/dev/null 2>&1
    fi
    start=$(date +%s%N)
    "$@"
    until xclip -selection clipboard -o 2>/dev/null | head -1 | grep -qx "> round $round line 1: お世話になっております。"; do :; done
    now=$(date +%s%N)
    echo $(((now - start) / 1000000))
}

median() { sort -n | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }

for what in floor shortcut command; do
    times=()
    for ((r = 1; r <= rounds; r++)); do
        if [ $what = floor ]; then
            times+=("$(measure "$what$r" true)")
        elif [ $what = shortcut ]; then
            times+=("$(measure "$what$r" xdotool key ctrl+alt+shift+q)")
        else
            times+=("$(measure "$what$r" "$navrik" --paste-and-quote)")
        fi
    done
    echo "$what: ${times[*]} ms; median $(printf '%s\n' "${times[@]}" | median) ms"
done
"$navrik" --quit
