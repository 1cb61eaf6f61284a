# Shared steps of the end-to-end tests: a private Xvfb display without a window manager,
# a fresh settings directory, the program under test, and polling helpers. Sourced by
# each test with the program's path as $1. Everything started here is ended on exit.
set -euo pipefail

NAVRIK=${1:?usage: $0 path/to/navrik}
# Screenshots and logs are kept here (ctest sets it under the build folder).
ARTIFACTS=${NAVRIK_ARTIFACTS:-${TMPDIR:-/tmp}/navrik-artifacts}
TEST_NAME=$(basename "$0" .sh)
WORK=$(mktemp -d)
XVFB_PID=
NAVRIK_PID=
# What the program is started through (env, nohup), in front of its path.
NAVRIK_LAUNCH=()
mkdir -p "$ARTIFACTS"
# Never the desktop's own session manager: a test that wants one starts its own.
unset SESSION_MANAGER

cleanup() {
    set +e # keep the test's own exit code; a killed child's status is no failure here
    if [[ -n $NAVRIK_PID ]]; then kill "$NAVRIK_PID"; wait "$NAVRIK_PID"; fi 2>/dev/null
    local log
    for log in navrik xvfb; do
        [[ -s $WORK/$log.log ]] && cp "$WORK/$log.log" "$ARTIFACTS/$TEST_NAME-$log.log"
    done
    # Ending the display also ends the xclip that served our clipboard text.
    if [[ -n $XVFB_PID ]]; then kill "$XVFB_PID"; wait "$XVFB_PID"; fi 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIP: $*" >&2; exit 77; }

# wait_until SECONDS COMMAND...: runs COMMAND every 50 ms until it succeeds.
wait_until() {
    local deadline=$((SECONDS + $1)); shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.05
    done
}

start_display() {
    command -v Xvfb >/dev/null && command -v xdotool >/dev/null || skip "Xvfb or xdotool missing"
    command -v xdpyinfo >/dev/null || skip "xdpyinfo missing"
    exec 3>"$WORK/display"
    # -noreset: without it the server resets itself whenever its last client disconnects, and a
    # client connecting in the middle of that reset (a slow-starting navrik after our first
    # poll) is refused with "could not connect to display".
    Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    exec 3>&-
    wait_until 20 test -s "$WORK/display" || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    export DISPLAY=:$(cat "$WORK/display")
    wait_until 20 xdpyinfo >/dev/null 2>&1 || fail "Xvfb does not answer: $(cat "$WORK/xvfb.log")"
}

# navrik_running: true while the program under test runs.
navrik_running() { [[ -n $NAVRIK_PID ]] && kill -0 "$NAVRIK_PID" 2>/dev/null; }

# Starts the program and sets WID to its main window once that is mapped.
start_navrik() {
    mkdir -p "$WORK/config"
    XDG_CONFIG_HOME=$WORK/config QT_QPA_PLATFORM=xcb "${NAVRIK_LAUNCH[@]}" "$NAVRIK" >"$WORK/navrik.log" 2>&1 &
    NAVRIK_PID=$!
    # Stops waiting as soon as the program has ended, and shows what it said.
    wait_until 30 window_or_exit || true
    navrik_running || fail "navrik ended before showing its window: $(cat "$WORK/navrik.log")"
    WID=$(main_window) || fail "no window named Navrik: $(cat "$WORK/navrik.log")"
}

window_or_exit() { main_window >/dev/null || ! navrik_running; }

main_window() { xdotool search --onlyvisible --name '^Navrik$' 2>/dev/null | head -1 | grep .; }
dialog_window() { xdotool search --onlyvisible --name '^設定$' 2>/dev/null | head -1 | grep .; }

# geometry [WINDOW]: prints "X Y WIDTH HEIGHT" of the window, by default the main window.
geometry() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "${1:-$WID}")"
    echo "$X $Y $WIDTH $HEIGHT"
}

geometry_is() { [[ $(geometry) == "$*" ]]; }

screenshot() {
    import -window root "$ARTIFACTS/$TEST_NAME-$1.png"
    echo "screenshot: $ARTIFACTS/$TEST_NAME-$1.png"
}

set_clipboard() { printf '%s' "$1" | xclip -selection clipboard -i; }
clipboard() { xclip -selection clipboard -o 2>/dev/null; }

# wait_exit SECONDS: waits for the program to end and sets EXIT_CODE.
wait_exit() {
    wait_until "$1" bash -c "! kill -0 $NAVRIK_PID 2>/dev/null" || fail "navrik still running after $1 s"
    EXIT_CODE=0
    wait "$NAVRIK_PID" || EXIT_CODE=$?
    NAVRIK_PID=
}

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
