# SPDX-License-Identifier: MIT
# Shared steps of the end-to-end tests, sourced with the program's path as $1: a private Xvfb
# display without a window manager, a fresh settings folder, the program, polling helpers.
# Everything started here is ended on exit. PRIVATE_BUS=1 first runs the test on a session bus
# of its own.
if [[ -n ${PRIVATE_BUS:-} && -z ${NAVRIK_PRIVATE_BUS:-} ]]; then
    command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session missing" >&2; exit 77; }
    exec env NAVRIK_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
fi
set -euo pipefail

NAVRIK=${1:?usage: $0 path/to/navrik}
ARTIFACTS=${NAVRIK_ARTIFACTS:-${TMPDIR:-/tmp}/navrik-artifacts}
TEST_NAME=$(basename "$0" .sh)
WORK=$(mktemp -d)
XVFB_PID= NAVRIK_PID=
NAVRIK_LAUNCH=() # what the program is started through (env, nohup)
AT_EXIT=()       # run on exit before the program and the display end
mkdir -p "$ARTIFACTS" "$WORK/config"
# Never the desktop's own session manager or compositor: a test that wants one starts its own.
unset SESSION_MANAGER WAYLAND_DISPLAY

cleanup() {
    set +e # keep the test's own exit code; a killed child's status is no failure here
    local step log
    for step in "${AT_EXIT[@]}"; do eval "$step"; done 2>/dev/null
    if [[ -n $NAVRIK_PID ]]; then kill "$NAVRIK_PID"; wait "$NAVRIK_PID"; fi 2>/dev/null
    for log in navrik xvfb; do [[ -s $WORK/$log.log ]] && cp "$WORK/$log.log" "$ARTIFACTS/$TEST_NAME-$log.log"; done
    # Ending the display also ends the xclip that served our clipboard text.
    if [[ -n $XVFB_PID ]]; then kill "$XVFB_PID"; wait "$XVFB_PID"; fi 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIP: $*" >&2; exit 77; }
at_exit() { AT_EXIT+=("$1"); }
need() { local tool; for tool; do command -v "$tool" >/dev/null || skip "$tool missing"; done; }

# own_session: a runtime and a settings folder of the test's own, for it and every Navrik it starts.
own_session() {
    export XDG_RUNTIME_DIR=$WORK/run XDG_CONFIG_HOME=$WORK/config QT_QPA_PLATFORM=xcb
    mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
}
# icon_mode_settings: a settings file that starts Navrik in icon mode (簡易エディタ不要).
icon_mode_settings() { printf '[Inyou]\r\nAutoPaste=1\r\n' >"$WORK/config/tolvane.ini"; }

# wait_until SECONDS COMMAND...: runs COMMAND every 50 ms until it succeeds.
wait_until() {
    local deadline=$((SECONDS + $1)); shift
    until "$@"; do ((SECONDS < deadline)) || return 1; sleep 0.05; done
}

start_display() {
    need Xvfb xdotool xdpyinfo
    exec 3>"$WORK/display"
    # -noreset: else a client connecting while the server resets after its last client left is refused.
    Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    exec 3>&-
    wait_until 20 test -s "$WORK/display" || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    export DISPLAY=:$(cat "$WORK/display")
    wait_until 20 xdpyinfo >/dev/null 2>&1 || fail "Xvfb does not answer: $(cat "$WORK/xvfb.log")"
}

navrik_running() { [[ -n $NAVRIK_PID ]] && kill -0 "$NAVRIK_PID" 2>/dev/null; }
window_or_exit() { main_window >/dev/null || ! navrik_running; }

# Starts the program and sets WID to its main window once that is mapped.
start_navrik() {
    XDG_CONFIG_HOME=$WORK/config QT_QPA_PLATFORM=xcb "${NAVRIK_LAUNCH[@]}" "$NAVRIK" >"$WORK/navrik.log" 2>&1 &
    NAVRIK_PID=$!
    wait_until 30 window_or_exit || true
    navrik_running || fail "navrik ended before showing its window: $(cat "$WORK/navrik.log")"
    WID=$(main_window) || { windows_seen; fail "no window named Navrik: $(cat "$WORK/navrik.log")"; }
}

# windows_seen: keeps a screenshot and the display's window tree, to show what was there instead.
windows_seen() {
    screenshot windows-seen
    xwininfo -root -tree >"$ARTIFACTS/$TEST_NAME-windows-seen.txt" 2>&1
    xdotool search --class '^Navrik$' 2>/dev/null | while read -r w; do
        echo "$w: name '$(xdotool getwindowname "$w")' $(xwininfo -id "$w" | grep 'Map State')"
    done >>"$ARTIFACTS/$TEST_NAME-windows-seen.txt"
}

# second_navrik_says PATTERN: a second Navrik, kept apart by a runtime folder of its own, says
# one line matching PATTERN on its error output and runs on.
second_navrik_says() {
    mkdir -p -m 0700 "$WORK/run2"
    XDG_RUNTIME_DIR=$WORK/run2 "$NAVRIK" 2>"$WORK/second.err" &
    local second=$!
    at_exit "kill $second"
    wait_until 10 grep -q "$1" "$WORK/second.err" || fail "the second Navrik said: $(cat "$WORK/second.err")"
    kill -0 "$second" || fail "the second Navrik ended"
    [[ $(wc -l <"$WORK/second.err") == 1 ]] || fail "more than one line: $(cat "$WORK/second.err")"
}

# keeper: the process id of the clipboard keeper a Navrik of this test started (own_session).
keeper() {
    local p
    for p in $(pgrep -f navrik-clipboard-keeper); do
        tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR" && echo "$p" && return
    done
    return 1
}
no_keeper() { ! keeper >/dev/null; }

# navrik_windows TITLE: Navrik's shown windows titled TITLE, by _NET_WM_NAME (UTF-8 in any
# locale, which WM_NAME and so xdotool search --name are not).
navrik_windows() {
    local w
    for w in $(xdotool search --onlyvisible --class '^Navrik$' 2>/dev/null); do
        [[ $(xdotool getwindowname "$w" 2>/dev/null) == "$1" ]] && echo "$w"
    done
    return 0
}
main_window() { navrik_windows Navrik | head -1 | grep .; }
no_main_window() { ! main_window >/dev/null; }
dialog_window() { navrik_windows 設定 | head -1 | grep .; }
# class_window CLASS: a shown window of another program by its class (xterm -class CLASS).
class_window() { xdotool search --onlyvisible --class "^$1\$" 2>/dev/null | head -1 | grep .; }

# geometry [WINDOW]: "X Y WIDTH HEIGHT" of the window, by default the main window.
geometry() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "${1:-$WID}")"
    echo "$X $Y $WIDTH $HEIGHT"
}
geometry_is() { [[ $(geometry) == "$*" ]]; }
screenshot() { import -window root "$ARTIFACTS/$TEST_NAME-$1.png"; }

set_clipboard() { printf '%s' "$1" | xclip -selection clipboard -i; }
clipboard() { xclip -selection clipboard -o 2>/dev/null; }
clipboard_is() { [[ $(clipboard) == "$1" ]]; }
QUOTED=$'> first line\n> second line'

# open_settings: clicks ConfigBtn of the main window standing at its first-run place.
open_settings() {
    xdotool mousemove $((201 + 247 + 25)) $((110 + 7 + 10)) click 1
    wait_until 10 dialog_window >/dev/null || fail "the settings dialog did not open"
    DIALOG=$(dialog_window)
}

# wait_exit SECONDS: waits for the program to end and sets EXIT_CODE.
wait_exit() {
    wait_until "$1" bash -c "! kill -0 $NAVRIK_PID 2>/dev/null" || fail "navrik still running after $1 s"
    EXIT_CODE=0
    wait "$NAVRIK_PID" || EXIT_CODE=$?
    NAVRIK_PID=
}
# exits_1 NAME COMMAND...: COMMAND ends with status 1, its error output in $WORK/NAME.err.
exits_1() { local name=$1 status=0; shift; "$@" 2>"$WORK/$name.err" || status=$?; ((status == 1)) || fail "$name: status $status, $(cat "$WORK/$name.err")"; }
# exits_with_0 SECONDS: wait_exit, and the exit code is 0.
exits_with_0() { wait_exit "$1"; [[ $EXIT_CODE == 0 ]] || fail "exit code $EXIT_CODE"; }

# menu_open: true while a popup menu of the program is shown; sets MENU_X, MENU_Y.
menu_open() {
    local w X Y WIDTH HEIGHT SCREEN WINDOW
    for w in $(xdotool search --onlyvisible --pid "$NAVRIK_PID" 2>/dev/null); do
        [[ $w == "$WID" ]] && continue
        eval "$(xdotool getwindowgeometry --shell "$w")"
        MENU_X=$X MENU_Y=$Y
        return 0
    done
    return 1
}
