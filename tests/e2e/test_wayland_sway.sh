#!/bin/bash
# SPDX-License-Identifier: MIT
# Headless sway with a native Wayland window focused: navrik --paste-and-quote quotes the mail
# that wl-copy put on the clipboard, and wl-paste reads the quote. Without any rule the icon-mode
# window floats at 32 by 32, where it was placed, and follows a drag.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/wayland.sh"
need wl-copy wl-paste
own_session
icon_mode_settings
start_sway
quote_from_wayland_window sway_focus_is

# Tiled, the window would stand in sway's tree, and its least floating size is 75 by 50.
swaymsg -t get_tree | grep -q "\"pid\": $NAVRIK_PID," && fail "sway manages the icon: $(swaymsg -t get_tree)"
geometry_is 201 110 32 32 || fail "the icon stands at $(geometry)"
xdotool mousemove 211 120 mousedown 1 mousemove 220 130 mousemove 311 175 mouseup 1
wait_until 5 geometry_is 301 165 32 32 || fail "after the drag the icon stands at $(geometry)"
echo PASS
