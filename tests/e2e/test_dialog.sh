#!/bin/bash
# The settings dialog, without a window manager: open it from 設定; toggle 最上面に配置 and
# find the dialog still above the main window and holding the focus, also after an error box;
# have another client destroy the dialog's window and find the main window usable again and
# the dialog opening anew; OK, and 終了 from the popup menu ends Navrik with 0. (What the
# dialog's boxes do and what is saved are TConfigFormTest's.)
source "$(dirname "$0")/harness.sh"

# above A B: window A stands above window B (xwininfo lists the top one first).
above() {
    local order
    order=$(xwininfo -root -children | awk '$1 ~ /^0x/ {print $1}')
    local a b
    a=$(grep -nx "$(printf '0x%x' "$1")" <<<"$order" | cut -d: -f1)
    b=$(grep -nx "$(printf '0x%x' "$2")" <<<"$order" | cut -d: -f1)
    [[ -n $a && -n $b && $a -lt $b ]]
}
remade() { local w; w=$(main_window) && [[ $w != "$1" ]]; }
focused() { [[ $(xdotool getwindowfocus 2>/dev/null) == "$1" ]]; }
error_box() { xdotool search --onlyvisible --name '^Navrik$' 2>/dev/null | grep -vx "$WID" | head -1 | grep .; }
no_error_box() { ! error_box >/dev/null; }
dialog_closed() { ! dialog_window >/dev/null; }

start_display
start_navrik
open_settings
# Centred on the 1024 by 768 screen.
[[ $(geometry "$DIALOG") == "379 271 265 225" ]] || fail "dialog at $(geometry "$DIALOG")"
screenshot dialog

# 最上面に配置, on and off: the main window is made again each time, and the dialog stays above
# it with the focus.
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

# Another client destroys the dialog's window: the dialog is closed and saves, and the main
# window takes input again and opens the dialog anew.
xdotool windowclose "$DIALOG"
wait_until 10 test -f "$WORK/config/tolvane.ini" || fail "the destroyed dialog did not save"
wait_until 10 focused "$WID" || fail "the main window is still blocked after the dialog was destroyed"
open_settings
[[ $(geometry "$DIALOG") == "379 271 265 225" ]] || fail "dialog made again at $(geometry "$DIALOG")"

# OK closes it, and 終了 (the popup menu's last item, Up from no selection) ends the program.
xdotool mousemove $((379 + 192 + 32)) $((271 + 84 + 10)) click 1
wait_until 10 dialog_closed || fail "OK did not close the dialog"
xdotool mousemove 217 126 click 3
wait_until 10 menu_open || fail "no popup menu on the icon"
xdotool key Up Return
wait_exit 15
[[ $EXIT_CODE == 0 ]] || fail "exit code $EXIT_CODE"
echo PASS
