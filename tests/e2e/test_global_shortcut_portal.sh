#!/bin/bash
# Inside a Wayland session the global shortcut goes through the desktop portal: a stand-in portal
# on a private session bus binds it, and its Activated signal quotes the clipboard. A second
# Navrik, which the portal turns down, says so in one line and runs on.
if [[ -z ${NAVRIK_PRIVATE_BUS:-} ]]; then
    command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session missing" >&2; exit 77; }
    exec env NAVRIK_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
fi
source "$(dirname "$0")/harness.sh"
command -v xclip >/dev/null && command -v dbus-monitor >/dev/null || skip "xclip or dbus-monitor missing"
export XDG_RUNTIME_DIR=$WORK/run XDG_CONFIG_HOME=$WORK/config WAYLAND_DISPLAY=navrik-test-no-compositor
mkdir -m 0700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
printf '[Inyou]\r\nAutoPaste=1\r\n' >"$XDG_CONFIG_HOME/tolvane.ini"

"${NAVRIK_FAKE_PORTAL:?}" >"$WORK/portal.log" 2>&1 & PORTAL_PID=$!
dbus-monitor --session member=BindShortcuts >"$WORK/bind.log" 2>&1 & MONITOR_PID=$!
trap 'kill $PORTAL_PID $MONITOR_PID 2>/dev/null; cleanup' EXIT
wait_until 10 grep -qs ready "$WORK/portal.log" || fail "no portal: $(cat "$WORK/portal.log")"

start_display
start_navrik
wait_until 10 grep -q 'string "CTRL+ALT+SHIFT+q"' "$WORK/bind.log" || fail "portal got: $(cat "$WORK/bind.log")"
grep -q 'string "引用符の付加"' "$WORK/bind.log" || fail "no description: $(cat "$WORK/bind.log")"
set_clipboard $'first line\nsecond line'
dbus-send --session --print-reply --dest=org.freedesktop.portal.Desktop /org/freedesktop/portal/desktop \
    org.freedesktop.portal.GlobalShortcuts.Press >/dev/null
wait_until 5 bash -c '[[ $(xclip -selection clipboard -o 2>/dev/null) == $'"'"'> first line\n> second line'"'"' ]]' \
    || fail "clipboard holds: $(clipboard)"

mkdir -m 0700 "$WORK/run2"
XDG_RUNTIME_DIR=$WORK/run2 "$NAVRIK" 2>"$WORK/second.err" &
SECOND=$!
wait_until 10 grep -q 'portal refused the global shortcut Ctrl+Alt+Shift+Q$' "$WORK/second.err" \
    || fail "no word of the refusal: $(cat "$WORK/second.err")"
kill -0 "$SECOND" || fail "the second Navrik ended"
[[ $(wc -l <"$WORK/second.err") == 1 ]] || fail "more than one line: $(cat "$WORK/second.err")"
kill "$SECOND"
echo PASS
