#!/bin/bash
# SPDX-License-Identifier: MIT
# Inside a Wayland session the global shortcut goes through the desktop portal: a stand-in portal
# on a private session bus binds it, and its Activated signal quotes the clipboard. A second
# Navrik, which the portal turns down, says so in one line and runs on.
PRIVATE_BUS=1 source "$(dirname "$0")/harness.sh"
need xclip dbus-monitor
own_session
export WAYLAND_DISPLAY=navrik-test-no-compositor
icon_mode_settings
start_portal() {
    "${NAVRIK_FAKE_PORTAL:?}" "$@" >"$WORK/portal.log" 2>&1 &
    PORTAL_PID=$!
    at_exit "kill $PORTAL_PID"
    wait_until 10 grep -qs ready "$WORK/portal.log" || fail "no portal: $(cat "$WORK/portal.log")"
}
portal() {
    dbus-send --session --print-reply --dest=org.freedesktop.portal.Desktop /org/freedesktop/portal/desktop \
        "org.freedesktop.portal.GlobalShortcuts.$1" >/dev/null
}
start_portal
dbus-monitor --session member=BindShortcuts >"$WORK/bind.log" 2>&1 & at_exit "kill $!"

start_display
start_navrik
wait_until 10 grep -q 'string "CTRL+ALT+SHIFT+q"' "$WORK/bind.log" || fail "portal got: $(cat "$WORK/bind.log")"
grep -q 'string "引用符の付加"' "$WORK/bind.log" || fail "no description: $(cat "$WORK/bind.log")"
set_clipboard $'first line\nsecond line'
portal Press
wait_until 5 clipboard_is "$QUOTED" || fail "clipboard holds: $(clipboard)"
second_navrik_says 'portal refused the global shortcut Ctrl+Alt+Shift+Q; .* only while an X window has the focus$'

# Success with an empty list: the key is not bound, whatever the answer's status.
XDG_RUNTIME_DIR=$WORK/run2 "$NAVRIK" --quit
"$NAVRIK" --quit && wait_exit 10
kill "$PORTAL_PID" && wait "$PORTAL_PID" 2>/dev/null || true
start_portal --bind-nothing
start_navrik
wait_until 10 grep -q 'without binding a key to it; give 引用符の付加 a key .* System Settings > Shortcuts' \
    "$WORK/navrik.log" || fail "navrik said: $(cat "$WORK/navrik.log")"
set_clipboard $'first line\nsecond line'
xdotool key ctrl+alt+shift+q
wait_until 5 clipboard_is "$QUOTED" || fail "the X11 grab did not stand in: $(clipboard)"
# Once the portal reports the key bound, the grab is let go: a Navrik outside the Wayland session,
# with a runtime folder of its own, takes the key without a word.
x11_navrik_takes_key() {
    mkdir -p -m 0700 "$WORK/run3"
    env -u WAYLAND_DISPLAY XDG_RUNTIME_DIR="$WORK/run3" "$NAVRIK" 2>"$WORK/x11.err" &
    local x11=$! shown=0
    wait_until 20 xdotool search --onlyvisible --pid "$x11" >/dev/null || shown=1
    kill "$x11"; wait "$x11" 2>/dev/null
    ((shown == 0)) && ! grep -q 'held by another program' "$WORK/x11.err"
}
portal Assign
wait_until 30 x11_navrik_takes_key || fail "the grab was kept: $(cat "$WORK/x11.err")"
echo PASS
