#!/bin/bash
# SPDX-License-Identifier: MIT
# Under openbox: a stored place X11 cannot reach and a width beyond the screen are cut to it,
# the file keeping both; アイコン化 minimises and `wmctrl -a` restores Navrik where it was, in
# both modes, on top again where it was. At a first run after 最上面に配置 the dialog's frame
# opens centred above the main window, and closing the main window from the window manager
# while the dialog is open saves both windows' shares and exits with 0.
source "$(dirname "$0")/harness.sh"
need openbox wmctrl xprop xwininfo

wm_state() { xprop -id "$WID" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p'; }
state_is() { [[ $(wm_state) == "$1" ]]; }
on_top() { WID=$(main_window) && xprop -id "$WID" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }

# A right click at X Y opens the menu; Up from no selection reaches 終了, Up Up Up アイコン化.
choose_from_menu() {
    local x=$1 y=$2; shift 2
    xdotool mousemove "$x" "$y" click 3
    wait_until 10 menu_open || fail "no popup menu at $x,$y"
    xdotool key "$@" Return
}

# Minimises through アイコン化, then activates the window as a taskbar does.
minimise_and_restore() {
    local before
    before=$(geometry)
    choose_from_menu "$@" Up Up Up
    wait_until 10 state_is Iconic || fail "WM_STATE is $(wm_state) after アイコン化"
    wmctrl -i -a "$WID"
    wait_until 10 state_is Normal || fail "WM_STATE is $(wm_state) after wmctrl -a"
    wait_until 10 geometry_is $before || fail "back at $(geometry), not $before"
}

# frame_centred WINDOW: its frame (with openbox's extents) is centred within a pixel.
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
at_exit "kill $!"
wait_until 20 wmctrl -m >/dev/null 2>&1 || fail "openbox did not start: $(cat "$WORK/openbox.log")"

printf '[Inyou]\r\nFormLeft=40000\r\nFormTop=-40000\r\nFormWidth=100000\r\nFormHeight=300\r\n' \
    >"$WORK/config/tolvane.ini"
start_navrik
wait_until 10 geometry_is 0 110 1024 300 || fail "window at $(geometry), not 0 110 1024 300"

minimise_and_restore 421 125
# 簡易エディタ不要, the second item: icon mode.
choose_from_menu 421 125 Down Down
wait_until 10 geometry_is 0 110 32 32 || fail "window at $(geometry) in icon mode"
# 最上面に配置, the fourth item.
choose_from_menu 15 125 Down Down Down Down
wait_until 10 on_top || fail "not on top after 最上面に配置"
minimise_and_restore 15 125
on_top || fail "not on top after it was restored"

# 終了 saves; the place the window was never moved from stays as the file held it.
choose_from_menu 15 125 Up
exits_with_0 15
[[ $(grep -c $'^Form\(Left=40000\|Top=-40000\)\r$' "$WORK/config/tolvane.ini") == 2 ]] || fail "stored place not kept: $(tr -d '\r' <"$WORK/config/tolvane.ini")"

# A first run: 最上面に配置 makes the main window again, then ConfigBtn opens the dialog.
rm "$WORK/config/tolvane.ini"
start_navrik
choose_from_menu 421 125 Down Down Down Down
wait_until 10 on_top || fail "not on top after 最上面に配置"
xdotool mousemove --window "$WID" $((247 + 25)) $((7 + 10)) click 1
wait_until 10 dialog_window >/dev/null || fail "the settings dialog did not open"
DIALOG=$(dialog_window)
wait_until 5 frame_centred "$DIALOG" || fail "the dialog's frame at $FRAME (x y width height) is not centred"
STACKING=$(xprop -root _NET_CLIENT_LIST_STACKING)
[[ ${STACKING##*, } == $(printf '0x%x' "$DIALOG") ]] || fail "the dialog is not above the main window: $STACKING"

# Closing the main window as a taskbar would, while the dialog blocks it: both save.
wmctrl -i -c "$WID"
exits_with_0 15
grep -q $'FormLeft=201\r' "$WORK/config/tolvane.ini" || fail "the main window did not save"
grep -q $'AutoLines=0\r' "$WORK/config/tolvane.ini" || fail "the open dialog's share was not saved"
echo PASS
