#!/bin/bash
# SPDX-License-Identifier: MIT
# Headless KWin with a native Wayland window focused: navrik --paste-and-quote quotes the mail
# that wl-copy put on the clipboard, and wl-paste reads the quote, after Navrik has ended too.
PRIVATE_BUS=1 source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/wayland.sh"
quote_from_wayland_window kwin
quote_outlives_navrik
echo PASS
