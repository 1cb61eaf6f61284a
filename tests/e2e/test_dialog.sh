#!/bin/bash
# The settings dialog: open it from 設定, turn on 簡易エディタ不要 and see the main window
# become its 32 by 32 icon, press OK, end Navrik from its popup menu, and find it in icon
# mode at the next start.
source "$(dirname "$0")/harness.sh"

dialog_window() { xdotool search --onlyvisible --name '^設定$' 2>/dev/null | head -1 | grep .; }
dialog_closed() { ! dialog_window >/dev/null; }
window_geometry() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$X $Y $WIDTH $HEIGHT"
}

# A right click on the icon opens the popup menu; Up from no selection reaches its last
# item, 終了, which saves and ends the program.
quit_from_menu() {
    xdotool mousemove 217 126 click 3
    wait_until 10 menu_open || fail "no popup menu on the icon"
    xdotool key Up Return
    wait_exit 15
    [[ $EXIT_CODE == 0 ]] || fail "exit code $EXIT_CODE"
}

start_display
start_navrik
xdotool mousemove $((201 + 247 + 25)) $((110 + 7 + 10)) click 1
wait_until 10 dialog_window >/dev/null || fail "the settings dialog did not open"
DIALOG=$(dialog_window)
# Centred on the 1024 by 768 screen.
[[ $(window_geometry "$DIALOG") == "379 271 265 225" ]] || fail "dialog at $(window_geometry "$DIALOG")"
screenshot dialog

xdotool mousemove $((379 + 40)) $((271 + 40)) click 1
wait_until 10 geometry_is 201 110 32 32 || fail "main window at $(geometry) after 簡易エディタ不要"
xdotool mousemove $((379 + 192 + 32)) $((271 + 84 + 10)) click 1
wait_until 10 dialog_closed || fail "OK did not close the dialog"
grep -q $'AutoPaste=1\r' "$WORK/config/tolvane.ini" || fail "the dialog did not save"

quit_from_menu
grep -q $'FormLeft=201\r' "$WORK/config/tolvane.ini" || fail "the main window did not save"

start_navrik
wait_until 10 geometry_is 201 110 32 32 || fail "restarted at $(geometry), not in icon mode"
quit_from_menu
echo PASS
