#!/bin/bash
# The main window with the pointer, on one display: it appears at its first-run place and size;
# a clipboard owner that stops answering in the middle of a paste and then goes away leaves the
# buffer as it was (quoting afterwards quotes the text pasted before); Alt+F4 typed into the
# quote mark field ends the program with exit code 0; and, started again, icon mode is chosen
# from the popup menu, the menu opens over the resting pointer, and its first item quotes.
source "$(dirname "$0")/harness.sh"
need xclip

# The tool buttons' centres on the screen: the window stands at 201,110 and its panel's client
# area starts one pixel in.
PASTE_BTN="379 128"
MAKE_BTN="328 128"
# Menu items lie below the menu's top-left corner, about 21 pixels apart, with a
# thinner separator after the first one (see the menu screenshot).
K1_Y=11
AUTOPASTE_Y=35

start_display
start_navrik
wait_until 10 geometry_is 201 110 300 200 || fail "window at $(geometry), not 201 110 300 200"
screenshot window
set_clipboard 'first'
xdotool mousemove $PASTE_BTN click 1

# An owner of our own, kept in the foreground so that we hold its process id.
printf 'second' | xclip -selection clipboard -i -quiet >/dev/null 2>&1 &
OWNER=$!
wait_until 10 clipboard_is second || fail "the new owner does not serve its text"
kill -STOP "$OWNER"
xdotool mousemove $PASTE_BTN click 1
sleep 1
kill -KILL "$OWNER"
wait "$OWNER" 2>/dev/null || true
xdotool mousemove $MAKE_BTN click 1
wait_until 30 clipboard_is '> first' || fail "clipboard holds: $(clipboard)"
navrik_running || fail "navrik ended: $(cat "$WORK/navrik.log")"
screenshot kept

# The quote mark field lies at 40,15 on the panel, inside its one-pixel border.
xdotool mousemove 262 135 click 1
xdotool key alt+F4
wait_exit 15
[[ $EXIT_CODE == 0 ]] || fail "exit code $EXIT_CODE"

# Saved in window mode at the same place, it starts there again.
start_navrik
set_clipboard $'first line\nsecond line\n'
# A right click on the bare panel opens the menu with its top-left corner there.
xdotool mousemove 422 126 click 3
wait_until 10 menu_open || fail "no popup menu after a right click"
[[ "$MENU_X $MENU_Y" == "422 126" ]] || fail "menu at $MENU_X,$MENU_Y, not at the pointer"
screenshot menu
xdotool mousemove 462 $((126 + AUTOPASTE_Y)) click 1
wait_until 10 geometry_is 201 110 32 32 || fail "window is $(geometry) after choosing icon mode"
screenshot icon

# Resting on the icon opens the menu after its 800 ms period.
xdotool mousemove 215 125
wait_until 10 menu_open || fail "the menu did not open over the resting pointer"
[[ "$MENU_X $MENU_Y" == "215 125" ]] || fail "hover menu at $MENU_X,$MENU_Y, not at the pointer"
screenshot hover-menu
xdotool mousemove 255 $((125 + K1_Y)) click 1
wait_until 15 clipboard_is "$QUOTED" || fail "clipboard holds: $(clipboard)"
screenshot quoted
echo PASS
