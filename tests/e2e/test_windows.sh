#!/bin/bash
# SPDX-License-Identifier: MIT
# The two windows without a window manager, Navrik started three times: 1. the first-run place; an
# owner that stops answering mid-paste, then goes, leaves the buffer as it was; Alt+F4 exits with 0.
# 2. The dialog stays above the main window with the focus through 最上面に配置 and an error box;
# destroyed by another client it lets the main window go; 終了 exits with 0. 3. The popup menu at
# the pointer, from a right click and from resting on the icon.
source "$(dirname "$0")/harness.sh"
need xclip

# The tool buttons' centres (the window at 201,110); menu items below the menu's corner.
PASTE_BTN="379 128" MAKE_BTN="328 128" K1_Y=11 AUTOPASTE_Y=35

# above A B: window A stands above window B (xwininfo lists the top one first).
above() {
    xwininfo -root -children | awk -v a="$(printf '0x%x' "$1")" -v b="$(printf '0x%x' "$2")" \
        '$1 == a {ia = NR} $1 == b {ib = NR} END {exit !(ia && ib && ia < ib)}'
}
remade() { local w; w=$(main_window) && [[ $w != "$1" ]]; }
focused() { [[ $(xdotool getwindowfocus 2>/dev/null) == "$1" ]]; }
error_box() { navrik_windows Navrik | grep -vx "$WID" | head -1 | grep .; }
no_error_box() { ! error_box >/dev/null; }
dialog_closed() { ! dialog_window >/dev/null; }

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
screenshot kept

# The quote mark field lies at 40,15 on the panel, inside its one-pixel border.
xdotool mousemove 262 135 click 1
xdotool key alt+F4
exits_with_0 15

start_navrik
open_settings
[[ $(geometry "$DIALOG") == "379 271 265 225" ]] || fail "dialog at $(geometry "$DIALOG"), not centred"
screenshot dialog

# 最上面に配置 on and off makes the main window anew; the dialog stays above it with the focus.
for state in on off; do
    xdotool mousemove $((379 + 20)) $((271 + 88)) click 1
    wait_until 5 remade "$WID" || fail "the main window was not made again (最上面に配置 $state)"
    WID=$(main_window)
    wait_until 5 above "$DIALOG" "$WID" || fail "the main window stands above the dialog (最上面に配置 $state)"
    wait_until 5 focused "$DIALOG" || fail "focus on $(xdotool getwindowfocus), not the dialog (最上面に配置 $state)"
done

# A close that cannot save shows the error box; once it is dismissed the focus is the dialog's.
rm -f "$WORK/config/tolvane.ini"
mkdir "$WORK/config/tolvane.ini"
xdotool key alt+F4
wait_until 10 error_box >/dev/null || fail "no error box for a save that failed"
screenshot error-box
xdotool key Return
wait_until 10 no_error_box || fail "the error box did not close"
rmdir "$WORK/config/tolvane.ini"
wait_until 5 focused "$DIALOG" || fail "focus on $(xdotool getwindowfocus) after the error box, not the dialog"

# Another client destroys the dialog's window: it saves, and the main window takes input again.
xdotool windowclose "$DIALOG"
wait_until 10 test -f "$WORK/config/tolvane.ini" || fail "the destroyed dialog did not save"
wait_until 10 focused "$WID" || fail "the main window is still blocked after the dialog was destroyed"
open_settings
[[ $(geometry "$DIALOG") == "379 271 265 225" ]] || fail "dialog made again at $(geometry "$DIALOG")"

# OK closes it; 終了 (the menu's last item, Up from no selection) ends the program.
xdotool mousemove $((379 + 192 + 32)) $((271 + 84 + 10)) click 1
wait_until 10 dialog_closed || fail "OK did not close the dialog"
xdotool mousemove 217 126 click 3
wait_until 10 menu_open || fail "no popup menu on the icon"
xdotool key Up Return
exits_with_0 15

start_navrik
set_clipboard $'first line\nsecond line\n'
# A right click on the bare panel opens the menu with its top-left corner there.
xdotool mousemove 422 126 click 3
wait_until 10 menu_open || fail "no popup menu after a right click"
[[ "$MENU_X $MENU_Y" == "422 126" ]] || fail "menu at $MENU_X,$MENU_Y, not at the pointer"
screenshot menu
xdotool mousemove 462 $((126 + AUTOPASTE_Y)) click 1
wait_until 10 geometry_is 201 110 32 32 || fail "window is $(geometry) after choosing icon mode"

# Resting on the icon opens the menu after its 800 ms period.
xdotool mousemove 215 125
wait_until 10 menu_open || fail "the menu did not open over the resting pointer"
[[ "$MENU_X $MENU_Y" == "215 125" ]] || fail "hover menu at $MENU_X,$MENU_Y, not at the pointer"
screenshot hover-menu
xdotool mousemove 255 $((125 + K1_Y)) click 1
wait_until 15 clipboard_is "$QUOTED" || fail "clipboard holds: $(clipboard)"
screenshot quoted
echo PASS
