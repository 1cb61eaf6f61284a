#!/bin/bash
# SPDX-License-Identifier: MIT
# What a screen reader reads: Navrik on the accessibility bus (a private session bus starts it)
# names every button, field and check box of both windows, the tool buttons with their captions
# and a press action, each field after its label. The list is kept as an artefact.
if [[ -z ${NAVRIK_PRIVATE_BUS:-} ]]; then
    command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session missing" >&2; exit 77; }
    exec env NAVRIK_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
fi
source "$(dirname "$0")/harness.sh"
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
for line in $'push button\t> 付加\tPress' $'push button\t▽張付\tPress' $'push button\t設定\tPress' \
    $'text\t引用符：' $'text\t本文' $'check box\t簡易エディタ不要' $'check box\t１行の文字数を調整' \
    $'text\t文字（半角）' $'text\tウィンドウサイズ（幅）' $'text\tウィンドウサイズ（高さ）' $'push button\tOK'; do
    grep -q "^$line" "$READ" || fail "not read: '$line' in $(cat "$READ")"
done
echo PASS
