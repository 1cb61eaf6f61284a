#!/bin/bash
# navrik --paste-and-quote, --show and --quit, sent to the running Navrik or starting one, with
# the real clipboard.
source "$(dirname "$0")/harness.sh"
command -v xclip >/dev/null || skip "xclip missing"
export XDG_RUNTIME_DIR=$WORK/run XDG_CONFIG_HOME=$WORK/config QT_QPA_PLATFORM=xcb
mkdir -m 0700 "$XDG_RUNTIME_DIR"

quoted() { [[ $(clipboard) == $'> first line\n> second line' ]]; }

start_display
# With no Navrik running, the command starts one that keeps the quoted text on the clipboard.
"$NAVRIK" --quit || fail "--quit with nothing running"
set_clipboard $'first line\nsecond line'
"$NAVRIK" --paste-and-quote || fail "--paste-and-quote starting Navrik exited $?"
quoted || fail "clipboard holds: $(clipboard)"
wait_until 10 main_window >/dev/null || fail "the started Navrik has no window"
"$NAVRIK" --quit || fail "--quit exited $?"
wait_until 10 bash -c '! xdotool search --onlyvisible --name "^Navrik$" >/dev/null 2>&1' || fail "still running"

start_navrik
set_clipboard $'first line\nsecond line'
"$NAVRIK" --paste-and-quote || fail "--paste-and-quote exited $?"
quoted || fail "clipboard holds: $(clipboard)"
screenshot quoted

xdotool windowminimize --sync "$WID"
"$NAVRIK" --show || fail "--show exited $?"
wait_until 10 main_window >/dev/null || fail "--show left the window hidden"

# --quit saves as the end of the session does: the main window's keys, and the open settings
# dialog's as well.
xdotool mousemove $((201 + 247 + 25)) $((110 + 7 + 10)) click 1
wait_until 10 bash -c 'xdotool search --onlyvisible --name "^設定$" >/dev/null 2>&1' || fail "no settings dialog"
rm -f "$XDG_CONFIG_HOME/tolvane.ini"
"$NAVRIK" --quit || fail "--quit exited $?"
wait_exit 10
[[ $EXIT_CODE == 0 ]] || fail "exit code $EXIT_CODE"
for key in String FormLeft FormTop AutoPaste StayOnTop SmartBreaks HotKey AutoLines Charcters FormWidth FormHeight; do
    grep -q "^$key=" "$XDG_CONFIG_HOME/tolvane.ini" || fail "no $key in: $(cat "$XDG_CONFIG_HOME/tolvane.ini")"
done

echo PASS
