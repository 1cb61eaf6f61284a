#!/bin/bash
# SPDX-License-Identifier: MIT
# Headless KWin with a native Wayland window focused: navrik --paste-and-quote quotes the mail
# that wl-copy put on the clipboard, and wl-paste reads the quote.
if [[ -z ${NAVRIK_PRIVATE_BUS:-} ]]; then
    command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session missing" >&2; exit 77; }
    exec env NAVRIK_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
fi
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/wayland.sh"
need wl-copy wl-paste dbus-send
own_session
start_kwin
start_navrik
start_wayland_window
wait_until 20 kwin_focus_is "$WAYLAND_WINDOW_PID" || fail "the Wayland window has no focus"

wl_set "$MAIL"
"$NAVRIK" --paste-and-quote || fail "the command failed"
wait_until 10 wl_clipboard_is "$QUOTED_MAIL" || fail "the clipboard holds: $(wl_clipboard)"
kwin_focus_is "$WAYLAND_WINDOW_PID" || fail "the Wayland window lost the focus"
echo PASS
