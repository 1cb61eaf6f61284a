#!/bin/bash
# The icon-mode cycle with the pointer: icon mode chosen from the popup menu, the menu
# opened by resting the pointer on the icon, and its first item quoting the clipboard.
source "$(dirname "$0")/harness.sh"
command -v xclip >/dev/null || skip "xclip missing"

# Menu items lie below the menu's top-left corner, about 21 pixels apart, with a
# thinner separator after the first one (see the menu screenshot).
K1_Y=11
AUTOPASTE_Y=35

start_display
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

quoted() { [[ $(clipboard) == $'> first line\n> second line' ]]; }
wait_until 15 quoted || fail "clipboard holds: $(clipboard)"
screenshot quoted
echo PASS
