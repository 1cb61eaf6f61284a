#!/bin/bash
# SPDX-License-Identifier: MIT
# A resident Navrik among hostile callers and other users: an empty lock file is stale; the socket
# takes one command word and a line feed, nothing else; a failed save under --quit leaves it running.
# As root, with a user made for the test: that user's caller and listener are refused, and a runtime
# folder open to all or a fallback folder that user made first neither carries nor blocks commands.
source "$(dirname "$0")/harness.sh"
need xclip nc
own_session
start_display
# An empty lock file, as a start killed at the wrong moment leaves, is taken over in one line.
lock=navrik-${DISPLAY//:/_}.lock
: >"$XDG_RUNTIME_DIR/$lock"
says() { grep -q "$1" "$WORK/navrik.log" || fail "not said: $1 in: $(cat "$WORK/navrik.log")"; }
start_navrik
says "^navrik: took over the stale lock file $XDG_RUNTIME_DIR/$lock, which was empty\$"
socket=$(echo "$XDG_RUNTIME_DIR"/navrik-*.socket)
talk() { printf "$1" | nc -U -N "$socket"; }

[[ $(talk 'show\n') == ok ]] || fail "show was not answered"
for message in 'show\0junk\n' 'show\nshow\n'; do
    [[ $(talk "$message") == unknown ]] || fail "$message was taken"
done
# 300 MB without a line end: the connection is closed after a few bytes, and nothing of it kept.
timeout 60 bash -c "head -c 300000000 /dev/zero | nc -U -N $socket" >/dev/null 2>&1 || true
(( $(ps -o rss= -p "$NAVRIK_PID") < 150000 )) || fail "Navrik holds $(ps -o rss= -p "$NAVRIK_PID") kB"
# A caller that says nothing is let go within seconds.
mkfifo "$WORK/silence"
timeout 20 nc -U "$socket" <>"$WORK/silence" || fail "a silent caller was kept" # input that never comes nor ends

# A save failing under --quit shows the error box; its caller gives up after 5 s, then OK is pressed.
mkdir "$XDG_CONFIG_HOME/tolvane.ini"
exits_1 quit "$NAVRIK" --quit
box=$(navrik_windows Navrik | grep -vx "$WID" | head -1) || fail "no error box"
xdotool windowfocus --sync "$box" key Return
wait_until 10 bash -c "! xdotool search --onlyvisible --class '^Navrik$' | grep -qx $box" || fail "the box stayed"
"$NAVRIK" --show || fail "Navrik does not answer after the failed save"
rmdir "$XDG_CONFIG_HOME/tolvane.ini"

[[ $(id -u) == 0 ]] && command -v useradd >/dev/null || { echo "another user: not root, skipped"; echo PASS; exit 0; }
user=navrik-e2e-$$
useradd --no-create-home --shell /usr/sbin/nologin "$user" || fail "useradd failed"
# Its processes end before it goes (userdel refuses a user that still runs any).
OTHER_PIDS=
at_exit 'kill $OTHER_PIDS; wait $OTHER_PIDS; userdel $user'
# As that user; each program started so takes the place of setpriv, so $! is the program itself.
other=(setpriv --reuid="$user" --regid="$user" --clear-groups --)

# Another user's caller is dropped, even with the folder and the socket file opened up to all.
chmod 0755 "$WORK"
chmod 0777 "$XDG_RUNTIME_DIR" "$socket"
set_clipboard 'not for them'
[[ -z $(printf 'paste-and-quote\n' | "${other[@]}" nc -U -N "$socket" 2>&1) ]] || fail "another user's caller was answered"
clipboard_is 'not for them' || fail "another user's command ran: $(clipboard)"
# Behind a socket file of the user's own, another user's listener is refused.
rm "$socket"
"${other[@]}" nc -lU "$socket" >"$WORK/impostor.log" 2>&1 &
OTHER_PIDS+=" $!"
wait_until 10 test -S "$socket" || fail "no impostor"
chown "$(id -u)" "$socket"
chmod 0700 "$XDG_RUNTIME_DIR"
exits_1 impostor "$NAVRIK" --paste-and-quote
[[ ! -s $WORK/impostor.log ]] && grep -q 'served by another user' "$WORK/impostor.err" || fail "$(cat "$WORK/impostor.err")"
kill "$NAVRIK_PID"; wait "$NAVRIK_PID" || true; NAVRIK_PID=

# A runtime folder open to all is not used: a lock another user holds there blocks nothing.
mkdir -m 1777 "$WORK/shared" "$WORK/tmp" "$WORK/tmp2"
"${other[@]}" flock --no-fork "$WORK/shared/$lock" sleep 600 >/dev/null 2>&1 &
OTHER_PIDS+=" $!"
wait_until 10 test -e "$WORK/shared/$lock" || fail "no planted lock"
export XDG_RUNTIME_DIR=$WORK/shared TMPDIR=$WORK/tmp
start_navrik
says "XDG_RUNTIME_DIR ($WORK/shared) is not a folder that only you can use"
set_clipboard $'first line\nsecond line'
"$NAVRIK" --paste-and-quote 2>/dev/null || fail "--paste-and-quote exited $?"
clipboard_is "$QUOTED" || fail "clipboard holds: $(clipboard)"

# A fallback folder that another user made first: one line naming it and the way out.
"${other[@]}" mkdir -m 0700 "$WORK/tmp2/navrik-$(id -u)"
exits_1 squat env -u XDG_RUNTIME_DIR TMPDIR="$WORK/tmp2" "$NAVRIK" --show
[[ $(wc -l <"$WORK/squat.err") == 1 ]] && grep -q "$WORK/tmp2/navrik-$(id -u) belongs to another user.*XDG_RUNTIME_DIR" \
    "$WORK/squat.err" || fail "$(cat "$WORK/squat.err")"
echo PASS
