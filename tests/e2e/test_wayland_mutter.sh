#!/bin/bash
# SPDX-License-Identifier: MIT
# Headless mutter (GNOME) with a native Wayland window focused: mutter offers no data-control
# protocol but hands the clipboard between Wayland and XWayland whatever has the focus, so
# navrik --paste-and-quote quotes wl-copy's mail through XWayland, and says nothing about it.
PRIVATE_BUS=1 source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/wayland.sh"
quote_from_wayland_window mutter
grep 'data-control' "$WORK/navrik.log" && fail "Navrik said the clipboard does not work"
echo PASS
