#!/usr/bin/env bash
# The settings dialog end to end, on a private Xvfb display with real pointer and key events:
# open it from 設定, turn on 簡易エディタ不要 and see the main window become its 32 by 32 icon,
# press OK, end Navrik from its popup menu, and find it in icon mode at the next start.
# Usage: dialog_e2e.sh path/to/navrik [artifact directory for the dialog's screenshot]
set -euo pipefail

navrik=$1
artifacts=${2:-.}
mkdir -p "$artifacts"
work=$(mktemp -d)
xvfb_pid=
navrik_pid=
cleanup() {
    if [ -n "$navrik_pid" ]; then kill "$navrik_pid" 2>/dev/null || true; fi
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# Polls a command for up to 10 s.
waitFor() {
    for _ in $(seq 100); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
waitFor test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")
export XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb
mkdir -p "$XDG_CONFIG_HOME"

window() { xdotool search --onlyvisible --name "^$1\$" | head -n1; }
size() { xdotool getwindowgeometry --shell "$1" | awk -F= '/WIDTH|HEIGHT/ { printf "%s%s", sep, $2; sep = "x" }'; }
place() { xdotool getwindowgeometry --shell "$1" | awk -F= '/^X|^Y/ { printf "%s%s", sep, $2; sep = "," }'; }

# A process that has ended waits as a zombie until the shell reaps it.
ended() { [[ "$(ps -o stat= -p "$navrik_pid")" != [^Z]* ]]; }
isIcon() { [ "$(size "$main")" = 32x32 ]; }
dialogClosed() { [ -z "$(window 設定)" ]; }

startNavrik() {
    "$navrik" &
    navrik_pid=$!
    waitFor window Navrik || fail "the main window did not appear"
    main=$(window Navrik)
}

# Right click on the icon opens the popup menu; Up from no selection reaches its last item, 終了.
quitFromMenu() {
    xdotool mousemove 217 126 click 3
    sleep 0.5
    xdotool key Up Return
    waitFor ended || fail "Navrik did not end from 終了"
    local code=0
    wait "$navrik_pid" || code=$?
    navrik_pid=
    [ "$code" -eq 0 ] || fail "Navrik ended with exit code $code"
}

startNavrik
xdotool mousemove $((201 + 247 + 25)) $((110 + 7 + 10)) click 1
waitFor window 設定 || fail "the settings dialog did not open"
dialog=$(window 設定)
[ "$(size "$dialog")" = 265x225 ] || fail "dialog size $(size "$dialog")"
[ "$(place "$dialog")" = 379,271 ] || fail "dialog not centred: $(place "$dialog")"
sleep 0.3
import -window root -crop 265x225+379+271 +repage "$artifacts/settings-dialog.png"

xdotool mousemove $((379 + 40)) $((271 + 40)) click 1
waitFor isIcon || fail "main window is $(size "$main") after 簡易エディタ不要"
xdotool mousemove $((379 + 192 + 32)) $((271 + 84 + 10)) click 1
waitFor dialogClosed || fail "OK did not close the dialog"
grep -q $'AutoPaste=1\r' "$XDG_CONFIG_HOME/tolvane.ini" || fail "the dialog did not save"

quitFromMenu
grep -q $'FormLeft=201\r' "$XDG_CONFIG_HOME/tolvane.ini" || fail "the main window did not save"

startNavrik
isIcon || fail "restarted as $(size "$main"), not in icon mode"
quitFromMenu
echo "PASS"
