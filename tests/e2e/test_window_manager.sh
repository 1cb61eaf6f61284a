#!/bin/bash
# Under a window manager (openbox): the settings dialog's frame opens in the middle of the
# screen, and closing the main window from the window manager while the dialog is open saves
# the main window's share, ends the dialog without saving its own, and exits with 0.
source "$(dirname "$0")/harness.sh"

command -v openbox >/dev/null && command -v wmctrl >/dev/null || skip "openbox or wmctrl missing"
OPENBOX_PID=
stop_openbox() { if [[ -n $OPENBOX_PID ]]; then kill "$OPENBOX_PID"; wait "$OPENBOX_PID"; fi 2>/dev/null; }
trap 'stop_openbox || true; cleanup' EXIT

dialog_window() { xdotool search --onlyvisible --name '^設定$' 2>/dev/null | head -1 | grep .; }

# frame_centred WINDOW: its frame (the client area and the extents openbox reports) stands in
# the middle of the 1024 by 768 screen, within a pixel.
frame_centred() {
    local x y w h left right top bottom
    read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /^ +Width/ {w=$NF} /^ +Height/ {h=$NF} END {print x, y, w, h}')
    IFS=', ' read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //') || return 1
    [[ -n $bottom ]] || return 1
    FRAME="$((x - left)) $((y - top)) $((w + left + right)) $((h + top + bottom))"
    local dx=$((2 * (x - left) + w + left + right - 1024)) dy=$((2 * (y - top) + h + top + bottom - 768))
    ((dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1))
}

start_display
openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
OPENBOX_PID=$!
wait_until 20 wmctrl -m >/dev/null 2>&1 || fail "openbox did not start: $(cat "$WORK/openbox.log")"

start_navrik
xdotool mousemove --window "$WID" $((247 + 25)) $((7 + 10)) click 1
wait_until 10 dialog_window >/dev/null || fail "the settings dialog did not open"
DIALOG=$(dialog_window)
wait_until 5 frame_centred "$DIALOG" || fail "the dialog's frame at $FRAME (x y width height) is not centred"
screenshot dialog

# Closing the main window as a taskbar would, while the dialog blocks it.
wmctrl -i -c "$WID"
wait_exit 15
[[ $EXIT_CODE == 0 ]] || fail "exit code $EXIT_CODE"
grep -q $'FormLeft=' "$WORK/config/tolvane.ini" || fail "the main window did not save"
! grep -q 'AutoLines=' "$WORK/config/tolvane.ini" || fail "the dialog saved its share"
echo PASS
