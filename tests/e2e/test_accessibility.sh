#!/bin/bash
# SPDX-License-Identifier: MIT
# What a screen reader reads of both windows: every control named, each field after its label,
# the tool buttons with a press action. The list is kept as an artefact.
PRIVATE_BUS=1 source "$(dirname "$0")/harness.sh"
# Debian's own Python, which python3-pyatspi is built for, whatever python3 the PATH finds.
PYTHON=/usr/bin/python3
"$PYTHON" -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi missing"
own_session
start_display
NAVRIK_LAUNCH=(env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1)
start_navrik
READ=$ARTIFACTS/$TEST_NAME-controls.txt
timeout 60 "$PYTHON" "$(dirname "$0")/accessible_controls.py" >"$READ" 2>"$WORK/reader.err" \
    || fail "a control without a name, or none read: $(cat "$READ" "$WORK/reader.err")"
# Every control has a name (the reader says which has none); a sample of what the names are.
for line in $'push button\t> 付加\tPress' $'text\t引用符：' $'text\t本文' $'check box\t簡易エディタ不要' \
    $'text\tウィンドウサイズ（幅）'; do
    grep -q "^$line" "$READ" || fail "not read: '$line' in $(cat "$READ")"
done
echo PASS
