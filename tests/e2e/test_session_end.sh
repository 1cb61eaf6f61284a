#!/bin/bash
# SPDX-License-Identifier: MIT
# Ending Navrik from outside. SIGTERM, SIGINT and SIGHUP save the settings and exit with 0
# (that one ignored at the start, as under nohup, stays ignored is StartupTest's). Under a
# session manager (xsm) a checkpoint saves and Navrik runs on; the end of the session saves
# and exits with 0.
source "$(dirname "$0")/harness.sh"

# saved_complete MARK: the main window's share is in the file, with the mark typed.
saved_complete() {
    local file=$WORK/config/tolvane.ini key
    grep -q "^String=\"$1\""$'\r$' "$file" || return 1
    for key in FormLeft=201 FormTop=110 AutoPaste=0 StayOnTop=0 SmartBreaks=0 HotKey=Ctrl+Alt+Shift+Q; do
        grep -q "^$key"$'\r$' "$file" || return 1
    done
}

# type_mark TEXT: types TEXT into the quote mark field, which has the focus at the start.
type_mark() {
    xdotool type --window "$WID" --delay 20 "$1"
    sleep 0.3
}

start_display

# A background job of a script starts with SIGINT ignored: env gives each signal its default.
NAVRIK_LAUNCH=(env --default-signal=INT,TERM,HUP)
for signal in TERM INT HUP; do
    rm -f "$WORK/config/tolvane.ini"
    start_navrik
    type_mark "$signal"
    kill -s "$signal" "$NAVRIK_PID"
    wait_exit 15
    [[ $EXIT_CODE == 0 ]] || fail "exit code $EXIT_CODE after SIG$signal"
    saved_complete "> $signal" || fail "not saved after SIG$signal: $(cat -A "$WORK/config/tolvane.ini")"
done
NAVRIK_LAUNCH=()

# The session manager: xsm in a home of its own. Its first command tells us where it listens.
need xsm iceauth
export HOME=$WORK/home
mkdir -p "$HOME"
echo "sh -c 'echo \"\$SESSION_MANAGER\" > $WORK/session-manager'" >"$HOME/.xsmstartup"
xsm >"$WORK/xsm.log" 2>&1 &
at_exit "kill $!"
wait_until 20 test -s "$WORK/session-manager" || fail "xsm did not start: $(cat "$WORK/xsm.log")"
xsm_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 | grep .; }
wait_until 10 xsm_window 'xsm: Default' >/dev/null || fail "no xsm window"
XSM=$(xsm_window 'xsm: Default')

export SESSION_MANAGER
SESSION_MANAGER=$(cat "$WORK/session-manager")
rm -f "$WORK/config/tolvane.ini"
start_navrik
type_mark "A"

# xsm's Checkpoint button (left of its lower row), then in its popup a name for the session
# and the popup's own Checkpoint button.
xdotool mousemove --window "$XSM" 45 37 click 1
wait_until 10 xsm_window Checkpoint >/dev/null || fail "no checkpoint popup"
POPUP=$(xsm_window Checkpoint)
xdotool windowfocus "$POPUP"
xdotool mousemove --window "$POPUP" 160 15 click 1
xdotool type --delay 20 test
xdotool mousemove --window "$POPUP" 44 109 click 1
wait_until 10 saved_complete "> A" || fail "the checkpoint did not save"
sleep 1
kill -0 "$NAVRIK_PID" 2>/dev/null || fail "the checkpoint ended Navrik: $(cat "$WORK/navrik.log")"

# The session ends: xsm's Shutdown menu, Immediately.
type_mark "B"
xdotool mousemove --window "$XSM" 140 37 mousedown 1
sleep 0.5
xdotool mousemove --window "$XSM" 140 72
sleep 0.3
xdotool mouseup 1
wait_exit 15
[[ $EXIT_CODE == 0 ]] || fail "exit code $EXIT_CODE at the end of the session"
saved_complete "> AB" || fail "not saved at the end of the session: $(cat -A "$WORK/config/tolvane.ini")"
echo PASS
