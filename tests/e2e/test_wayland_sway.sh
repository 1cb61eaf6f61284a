#!/bin/bash
# SPDX-License-Identifier: MIT
# Headless sway, a native Wayland window focused: --paste-and-quote quotes wl-copy's mail for
# wl-paste, after Navrik has ended too. The icon floats where it was placed and follows a drag;
# so does the window, which sway moves.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/wayland.sh"
need xev xprop
[[ -x ${NAVRIK_VIRTUAL_POINTER:-} ]] || skip "the virtual_pointer helper is not built"
icon_mode_settings
quote_from_wayland_window sway

# Tiled, the window would stand in sway's tree, and its least floating size is 75 by 50.
swaymsg -t get_tree | grep -q "\"pid\": $NAVRIK_PID," && fail "sway manages the icon: $(swaymsg -t get_tree)"
geometry_is 201 110 32 32 || fail "the icon stands at $(geometry)"
xdotool mousemove 211 120 mousedown 1 mousemove 220 130 mousemove 311 175 mouseup 1
wait_until 5 geometry_is 301 165 32 32 || fail "after the drag the icon stands at $(geometry)"

# Window mode. sway ignores where the window asks to be: a drag asks sway to move it, and sway
# follows a pointer of its own (xdotool moves only XWayland's).
quote_outlives_navrik
printf '[Inyou]\r\nAutoPaste=0\r\n' >"$WORK/config/tolvane.ini"
start_navrik
read -r X Y _ < <(geometry)
# xev shows Navrik's request to sway; it listens once it shows a change of a root property.
stdbuf -oL xev -root -event substructure -event property >"$WORK/xev.log" &
at_exit "kill $!"
wait_until 5 eval 'xprop -root -f NAVRIK_E2E 8s -set NAVRIK_E2E 1; grep -q NAVRIK_E2E "$WORK/xev.log"' ||
    fail "xev does not listen"
exec 5> >("$NAVRIK_VIRTUAL_POINTER" 1280 720)
pointer() { echo "$*" >&5; }
# XWayland sees the pointer once sway has told it of the new device. The drag starts on the
# panel between ▽張付 and 設定.
pointer_at() { pointer move "$1" "$2" && [[ $(xdotool getmouselocation) == "x:$1 y:$2 "* ]]; }
wait_until 5 pointer_at $((X + 225)) $((Y + 15)) || fail "XWayland does not see sway's pointer"
pointer press
pointer move $((X + 235)) $((Y + 20))
# Once sway has the request, it moves the window with the pointer from where the pointer stands.
wait_until 5 grep -q _NET_WM_MOVERESIZE "$WORK/xev.log" || fail "Navrik did not ask sway to move the window"
pointer move $((X + 335)) $((Y + 75))
pointer release
wait_until 5 geometry_is $((X + 100)) $((Y + 55)) 300 200 || fail "after the drag the window stands at $(geometry)"
echo PASS
