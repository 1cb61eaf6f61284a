#!/bin/bash
# SPDX-License-Identifier: MIT
# Ending Navrik from outside: SIGTERM, SIGINT and SIGHUP save and exit with 0. Under a session
# manager a checkpoint and a log-off save and Navrik runs on; the end of the session saves and
# exits with 0, leaving its quote on the clipboard.
source "$(dirname "$0")/harness.sh"
need xclip

# saved_complete MARK: the main window's share is in the file, with the mark typed.
saved_complete() {
    [[ $(tr -d '\r' <"$WORK/config/tolvane.ini") == *$'\nString="'"$1"$'"\nFormLeft=201\nFormTop=110\nAutoPaste=0\nStayOnTop=0'* ]]
}
# type_mark TEXT: types TEXT into the quote mark field, which has the focus at the start.
type_mark() { xdotool type --window "$WID" --delay 20 "$1"; sleep 0.3; }

start_display

# A background job of a script starts with SIGINT ignored: env gives each signal its default.
NAVRIK_LAUNCH=(env --default-signal=INT,TERM,HUP)
for signal in TERM INT HUP; do
    rm -f "$WORK/config/tolvane.ini"
    start_navrik
    if [[ $signal == TERM ]]; then
        set_clipboard $'TERM\r\nthe rest of the mail'
        xdotool key --window "$WID" ctrl+v
        sleep 0.3
    else
        type_mark "$signal"
    fi
    kill -s "$signal" "$NAVRIK_PID"
    exits_with_0 15
    saved_complete "> $signal" || fail "not saved after SIG$signal: $(cat -A "$WORK/config/tolvane.ini")"
done
NAVRIK_LAUNCH=()

# session COMMAND ANSWER: sends COMMAND (if any) to the tests' own session manager and checks its
# next answer, given once Navrik has done what it asked.
ANSWERED=1 # the line that gives the manager's address
answered() { (($(wc -l <"$WORK/session.log") >= ANSWERED)); }
session() {
    [[ -z $1 ]] || echo "$1" >&4
    ANSWERED=$((ANSWERED + 1))
    wait_until 15 answered || fail "no answer to '$1': $(cat "$WORK/session.log")"
    local answer
    answer=$(sed -n "${ANSWERED}p" "$WORK/session.log")
    [[ $answer == "$2" ]] || fail "'$1': the session manager says '$answer', not '$2'"
}
export ICEAUTHORITY=$WORK/ICEauthority SESSION_MANAGER
mkfifo "$WORK/session.in"
"${NAVRIK_FAKE_SESSION_MANAGER:?}" <"$WORK/session.in" >"$WORK/session.log" 2>"$WORK/session.err" &
at_exit "kill $!"
exec 4>"$WORK/session.in"
wait_until 10 grep -q '^listening ' "$WORK/session.log" || fail "no session manager: $(cat "$WORK/session.err")"
SESSION_MANAGER=$(sed -n 's/^listening //p' "$WORK/session.log")

rm -f "$WORK/config/tolvane.ini"
start_navrik
session "" registered
type_mark "A"

session checkpoint saved # and Navrik runs on
saved_complete "> A" || fail "the checkpoint did not save: $(cat -A "$WORK/config/tolvane.ini")"
navrik_running || fail "the checkpoint ended Navrik: $(cat "$WORK/navrik.log")"

type_mark "B" # a log-off saves; called off, Navrik runs on and takes input again
session logoff saved
saved_complete "> AB" || fail "the log-off did not save: $(cat -A "$WORK/config/tolvane.ini")"
session cancel "running on"
navrik_running || fail "the log-off ended Navrik: $(cat "$WORK/navrik.log")"
type_mark "C"

# The end of the session saves and exits with 0, and Navrik's quote still pastes.
set_clipboard $'first line\nsecond line'
"$NAVRIK" --paste-and-quote || fail "--paste-and-quote exited $?"
session die closed
exits_with_0 15
saved_complete "> ABC" || fail "not saved at the end of the session: $(cat -A "$WORK/config/tolvane.ini")"
clipboard_is $'> ABCfirst line\n> ABCsecond line' || fail "after the end of the session the clipboard holds: $(clipboard)"
echo PASS
