#!/bin/bash
# The main window appears at its first-run place and size, and Alt+F4 typed into the
# quote mark field ends the program with exit code 0.
source "$(dirname "$0")/harness.sh"

start_display
start_navrik
wait_until 10 geometry_is 201 110 300 200 || fail "window at $(geometry), not 201 110 300 200"
screenshot window

# The quote mark field lies at 40,15 on the panel, inside its one-pixel border.
xdotool mousemove 262 135 click 1
xdotool key alt+F4
wait_exit 15
[[ $EXIT_CODE == 0 ]] || fail "exit code $EXIT_CODE"
echo PASS
