#!/bin/bash
# SPDX-License-Identifier: MIT
# A resident Navrik on one display: --paste-and-quote, --show and --quit sent to it or starting it;
# one Navrik per user and display (a lock and socket left by kill -9 are taken over); and the global
# shortcut pressed while another program (xterm) has the focus.
source "$(dirname "$0")/harness.sh"
need xclip
own_session
# second_start: a second start opens no window of its own.
second_start() { "$NAVRIK" || fail "second start exited $?"; sleep 0.5; [[ $(navrik_windows Navrik | wc -l) == 1 ]] || fail "a second window"; }
quotes() { set_clipboard $'first line\nsecond line'; "$NAVRIK" --paste-and-quote || fail "--paste-and-quote exited $?"; clipboard_is "$QUOTED" || fail "clipboard holds: $(clipboard)"; }

start_display
# With no Navrik running, the command starts one that keeps the quoted text on the clipboard.
"$NAVRIK" --quit || fail "--quit with nothing running"
quotes
wait_until 10 main_window >/dev/null || fail "the started Navrik has no window"
"$NAVRIK" --quit || fail "--quit exited $?"
# Ended once its lock file has gone: a start before that would find it still serving.
wait_until 10 bash -c "! compgen -G '$XDG_RUNTIME_DIR/navrik-*.lock'" || fail "still running after --quit"

start_navrik
grep -q stale "$WORK/navrik.log" && fail "--quit left its lock behind: $(cat "$WORK/navrik.log")"
second_start

# A running Navrik that does not answer: one line and status 1 after 5 seconds.
kill -STOP "$NAVRIK_PID"
at_exit "kill -CONT $NAVRIK_PID"
exits_1 stopped "$NAVRIK" --show
kill -CONT "$NAVRIK_PID"
[[ $(wc -l <"$WORK/stopped.err") == 1 ]] && grep -q 'did not answer within 5 seconds' "$WORK/stopped.err" || fail "$(cat "$WORK/stopped.err")"

killed=$NAVRIK_PID
kill -9 "$NAVRIK_PID"; wait "$NAVRIK_PID" 2>/dev/null || true; NAVRIK_PID=
ls "$XDG_RUNTIME_DIR"/navrik-*.lock "$XDG_RUNTIME_DIR"/navrik-*.socket >/dev/null || fail "nothing left behind to test"
wait_until 10 no_main_window
start_navrik
grep -q "took over the stale lock file .* of process $killed, which has ended" "$WORK/navrik.log" || fail "$(cat "$WORK/navrik.log")"
second_start

# The commands sent to the running Navrik.
quotes
xdotool windowminimize --sync "$WID"
"$NAVRIK" --show || fail "--show exited $?"
wait_until 10 main_window >/dev/null || fail "--show left the window hidden"

# --quit saves as the end of the session does: the main window's keys and the open dialog's.
open_settings
rm -f "$XDG_CONFIG_HOME/tolvane.ini"
"$NAVRIK" --quit || fail "--quit exited $?"
exits_with_0 10
[[ $(grep -cE '^(String|FormLeft|FormTop|AutoPaste|StayOnTop|AutoLines|Charcters|FormWidth|FormHeight)=' \
    "$XDG_CONFIG_HOME/tolvane.ini") == 9 ]] || fail "keys missing: $(cat "$XDG_CONFIG_HOME/tolvane.ini")"

# The global shortcut, with Navrik in icon mode, quotes while xterm keeps the focus.
need xterm
icon_mode_settings
start_navrik
wait_until 10 geometry_is 201 110 32 32 || fail "not in icon mode: $(geometry)"
xterm -geometry 60x10+300+300 -class NavrikOtherProgram &
at_exit "kill $!"
OTHER=$(wait_until 20 class_window NavrikOtherProgram) || fail "no xterm"
xdotool windowfocus --sync "$OTHER"
set_clipboard $'first line\nsecond line'
xdotool key ctrl+alt+shift+q
wait_until 5 clipboard_is "$QUOTED" || fail "clipboard holds: $(clipboard)"
screenshot quoted
[[ $(xdotool getwindowfocus) == "$OTHER" ]] || fail "the focus moved to $(xdotool getwindowfocus)"

# Held down, the combination quotes once, not once per repeat of the key.
xdotool keydown ctrl+alt+shift+q; sleep 1.5; xdotool keyup q shift alt ctrl
sleep 0.5
clipboard_is $'> > first line\n> > second line' || fail "after holding the keys: $(clipboard)"

# A combination another program holds (here the first Navrik) gives one line and no failure.
second_navrik_says 'held by another program'
echo PASS
