#!/bin/bash
# A clipboard owner that stops answering in the middle of a paste and then goes away leaves the
# buffer as it was: quoting afterwards quotes the text pasted before.
source "$(dirname "$0")/harness.sh"
command -v xclip >/dev/null || skip "xclip missing"

# The tool buttons' centres on the screen: the window stands at 201,110 and its panel's client
# area starts one pixel in.
PASTE_BTN="379 128"
MAKE_BTN="328 128"

start_display
start_navrik
set_clipboard 'first'
xdotool mousemove $PASTE_BTN click 1

# An owner of our own, kept in the foreground so that we hold its process id.
printf 'second' | xclip -selection clipboard -i -quiet >/dev/null 2>&1 &
OWNER=$!
wait_until 10 bash -c '[[ $(xclip -selection clipboard -o 2>/dev/null) == second ]]' \
    || fail "the new owner does not serve its text"
kill -STOP "$OWNER"
xdotool mousemove $PASTE_BTN click 1
sleep 1
kill -KILL "$OWNER"
wait "$OWNER" 2>/dev/null || true
xdotool mousemove $MAKE_BTN click 1

quoted() { [[ $(clipboard) == '> first' ]]; }
wait_until 30 quoted || fail "clipboard holds: $(clipboard)"
kill -0 "$NAVRIK_PID" 2>/dev/null || fail "navrik ended: $(cat "$WORK/navrik.log")"
screenshot kept
echo PASS
