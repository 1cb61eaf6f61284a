#!/bin/bash
# The global shortcut pressed while another program (xterm) has the focus quotes the clipboard,
# with Navrik in icon mode; a combination another program holds gives one line and no failure.
source "$(dirname "$0")/harness.sh"
command -v xclip >/dev/null || skip "xclip missing"
command -v xterm >/dev/null || skip "xterm missing"
export XDG_RUNTIME_DIR=$WORK/run XDG_CONFIG_HOME=$WORK/config QT_QPA_PLATFORM=xcb
mkdir -m 0700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
printf '[Inyou]\r\nAutoPaste=1\r\n' >"$XDG_CONFIG_HOME/tolvane.ini"

start_display
start_navrik
wait_until 10 geometry_is 201 110 32 32 || fail "not in icon mode: $(geometry)"
xterm -geometry 60x10+300+300 -title other-program &
XTERM_PID=$!
trap 'kill $XTERM_PID 2>/dev/null; cleanup' EXIT
wait_until 20 xdotool search --onlyvisible --name '^other-program$' >/dev/null || fail "no xterm"
xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^other-program$' | head -1)"

set_clipboard $'first line\nsecond line'
xdotool key ctrl+alt+shift+q
wait_until 5 bash -c '[[ $(xclip -selection clipboard -o 2>/dev/null) == $'"'"'> first line\n> second line'"'"' ]]' \
    || fail "clipboard holds: $(clipboard)"
screenshot quoted
[[ $(xdotool getwindowfocus getwindowname) == other-program ]] || fail "the focus moved"

# Held down, the combination quotes once, not once per repeat of the key.
xdotool keydown ctrl+alt+shift+q; sleep 1.5; xdotool keyup q shift alt ctrl
sleep 0.5
[[ $(clipboard) == $'> > first line\n> > second line' ]] || fail "after holding the keys: $(clipboard)"

# A second Navrik on the same display (kept apart by its own runtime folder) finds the
# combination taken.
mkdir -m 0700 "$WORK/run2"
XDG_RUNTIME_DIR=$WORK/run2 "$NAVRIK" 2>"$WORK/second.err" &
SECOND=$!
wait_until 10 grep -q 'held by another program' "$WORK/second.err" || fail "no word of the taken key: $(cat "$WORK/second.err")"
kill -0 "$SECOND" || fail "the second Navrik ended"
[[ $(wc -l <"$WORK/second.err") == 1 ]] || fail "more than one line: $(cat "$WORK/second.err")"
kill "$SECOND"
echo PASS
