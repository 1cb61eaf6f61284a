#!/bin/bash
# SPDX-License-Identifier: MIT
# Headless mutter (GNOME) with a native Wayland window focused: mutter offers no data-control
# protocol but hands the clipboard between Wayland and XWayland whatever has the focus, so
# navrik --paste-and-quote quotes wl-copy's mail through XWayland, and says nothing about it.
if [[ -z ${NAVRIK_PRIVATE_BUS:-} ]]; then
    command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session missing" >&2; exit 77; }
    exec env NAVRIK_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
fi
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/wayland.sh"
need wl-copy wl-paste xprop
own_session
start_mutter
quote_from_wayland_window mutter_focus_is
grep 'data-control' "$WORK/navrik.log" && fail "Navrik said the clipboard does not work"
echo PASS
