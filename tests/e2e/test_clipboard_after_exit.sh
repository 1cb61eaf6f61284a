#!/bin/bash
# SPDX-License-Identifier: MIT
# The quote pastes after Navrik has ended: its keeper serves it (a long text too) after --quit
# and SIGTERM until another program copies or the display goes; a clipboard manager is handed it
# once, and one that refuses leaves the keeper serving.
source "$(dirname "$0")/harness.sh"
need xclip
OWNER=${NAVRIK_CLIPBOARD_OWNER:?the clipboard_owner helper}
own_session
icon_mode_settings
start_display

# quote_and_end END < TEXT: a Navrik quotes TEXT from the clipboard and is ended by END.
quote_and_end() {
    start_navrik
    xclip -selection clipboard -i
    "$NAVRIK" --paste-and-quote || fail "--paste-and-quote exited $?"
    eval "$1"
    wait_exit 15
    [[ $EXIT_CODE == 0 ]] || fail "exit code $EXIT_CODE after $1: $(cat "$WORK/navrik.log")"
}
MAIL=$'first line\nsecond line'

for end in '"$NAVRIK" --quit' 'kill -TERM $NAVRIK_PID'; do
    quote_and_end "$end" <<<"$MAIL"
    clipboard_is "$QUOTED" || fail "after $end the clipboard holds: $(clipboard)"
done
set_clipboard 'another copy'
wait_until 10 no_keeper || fail "the keeper runs on after another program copied"

# own_manager [refuse]: the tests' own clipboard manager, its log in $WORK/manager.log.
own_manager() {
    "$OWNER" manager "$@" >"$WORK/manager.log" &
    MANAGER_PID=$!
    at_exit "kill $MANAGER_PID"
}
own_manager
quote_and_end '"$NAVRIK" --quit' <<<"$MAIL"
wait_until 10 no_keeper || fail "the keeper runs on beside the clipboard manager"
# The manager takes the clipboard a moment after the keeper has gone.
wait_until 5 clipboard_is "$QUOTED" || fail "the manager's clipboard holds: $(clipboard)"
[[ $(grep -c '^saved' "$WORK/manager.log") == 1 ]] || fail "the manager was asked: $(cat "$WORK/manager.log")"
kill "$MANAGER_PID"

own_manager refuse
quote_and_end '"$NAVRIK" --quit' <<<"$MAIL"
wait_until 10 grep -q refused "$WORK/manager.log" || fail "the manager was not asked"
clipboard_is "$QUOTED" || fail "after the manager refused the clipboard holds: $(clipboard)"
kill "$MANAGER_PID"

seq 300000 >"$WORK/long.txt"
quote_and_end '"$NAVRIK" --quit' <"$WORK/long.txt"
clipboard | cmp - <(sed 's/^/> /' "$WORK/long.txt") || fail "the long text came back otherwise"
pid=$(keeper) || fail "no keeper"
kill "$XVFB_PID"
wait "$XVFB_PID" 2>/dev/null || true
XVFB_PID=
wait_until 10 bash -c "! kill -0 $pid 2>/dev/null" || fail "the keeper outlived the display"
echo PASS
