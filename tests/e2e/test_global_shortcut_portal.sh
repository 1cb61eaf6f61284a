#!/bin/bash
# SPDX-License-Identifier: MIT
# Inside a Wayland session the global shortcut goes through the desktop portal: a stand-in portal
# on a private session bus binds it, and its Activated signal quotes the clipboard. A second
# Navrik, which the portal turns down, says so in one line and runs on.
if [[ -z ${NAVRIK_PRIVATE_BUS:-} ]]; then
    command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session missing" >&2; exit 77; }
    exec env NAVRIK_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
fi
source "$(dirname "$0")/harness.sh"
need xclip dbus-monitor
own_session
export WAYLAND_DISPLAY=navrik-test-no-compositor
icon_mode_settings
"${NAVRIK_FAKE_PORTAL:?}" >"$WORK/portal.log" 2>&1 & at_exit "kill $!"
dbus-monitor --session member=BindShortcuts >"$WORK/bind.log" 2>&1 & at_exit "kill $!"
wait_until 10 grep -qs ready "$WORK/portal.log" || fail "no portal: $(cat "$WORK/portal.log")"

start_display
start_navrik
wait_until 10 grep -q 'string "CTRL+ALT+SHIFT+q"' "$WORK/bind.log" || fail "portal got: $(cat "$WORK/bind.log")"
grep -q 'string "引用符の付加"' "$WORK/bind.log" || fail "no description: $(cat "$WORK/bind.log")"
set_clipboard $'first line\nsecond line'
dbus-send --session --print-reply --dest=org.freedesktop.portal.Desktop /org/freedesktop/portal/desktop \
    org.freedesktop.portal.GlobalShortcuts.Press >/dev/null
wait_until 5 clipboard_is "$QUOTED" || fail "clipboard holds: $(clipboard)"
second_navrik_says 'portal refused the global shortcut Ctrl+Alt+Shift+Q$'
echo PASS
