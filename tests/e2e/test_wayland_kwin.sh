#!/bin/bash
# SPDX-License-Identifier: MIT
# Headless KWin with a native Wayland window focused: navrik --paste-and-quote quotes the mail
# that wl-copy put on the clipboard, and wl-paste reads the quote, after Navrik has ended too.
if [[ -z ${NAVRIK_PRIVATE_BUS:-} ]]; then
    command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session missing" >&2; exit 77; }
    exec env NAVRIK_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
fi
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/wayland.sh"
need wl-copy wl-paste dbus-send
own_session
start_kwin
quote_from_wayland_window kwin_focus_is
quote_outlives_navrik
echo PASS
