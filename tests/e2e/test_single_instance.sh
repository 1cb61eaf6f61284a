#!/bin/bash
# One Navrik per user and display: a second start opens no window and exits 0, a lock and
# socket left by kill -9 do not stop the next start, and another user's command is refused.
source "$(dirname "$0")/harness.sh"
export XDG_RUNTIME_DIR=$WORK/run XDG_CONFIG_HOME=$WORK/config QT_QPA_PLATFORM=xcb
mkdir -m 0700 "$XDG_RUNTIME_DIR"

windows() { xdotool search --onlyvisible --name '^Navrik$' 2>/dev/null | wc -l; }

start_display
start_navrik
"$NAVRIK" || fail "second start exited $?"
sleep 0.5
[[ $(windows) == 1 ]] || fail "$(windows) windows after a second start"

# A running Navrik that does not answer: one line and status 1 after 5 seconds.
kill -STOP "$NAVRIK_PID"
status=0
"$NAVRIK" --show 2>"$WORK/stopped.err" || status=$?
kill -CONT "$NAVRIK_PID"
[[ $status == 1 && $(wc -l <"$WORK/stopped.err") == 1 ]] || fail "status $status, $(cat "$WORK/stopped.err")"
grep -q 'did not answer within 5 seconds' "$WORK/stopped.err" || fail "$(cat "$WORK/stopped.err")"

kill -9 "$NAVRIK_PID"; wait "$NAVRIK_PID" 2>/dev/null || true; NAVRIK_PID=
ls "$XDG_RUNTIME_DIR"/navrik-*.lock "$XDG_RUNTIME_DIR"/navrik-*.socket >/dev/null || fail "nothing left behind to test"
wait_until 10 bash -c '! xdotool search --onlyvisible --name "^Navrik$" >/dev/null 2>&1'
start_navrik
"$NAVRIK" || fail "second start after kill -9 exited $?"
[[ $(windows) == 1 ]] || fail "$(windows) windows after the restart"

# Another user, even with the folder and the socket file opened up to everyone, is dropped by
# the running Navrik's check of the caller's user id.
if [[ $(id -u) == 0 ]] && command -v useradd >/dev/null; then
    user=navrik-e2e-$$
    useradd --no-create-home --shell /usr/sbin/nologin "$user" || fail "useradd failed"
    trap 'userdel "$user" 2>/dev/null; cleanup' EXIT
    chmod 0755 "$WORK" "$XDG_RUNTIME_DIR"
    chmod 0777 "$XDG_RUNTIME_DIR"/navrik-*.socket
    set_clipboard 'not for them'
    status=0
    runuser -u "$user" -- env XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" HOME=/ "$NAVRIK" --paste-and-quote \
        2>"$WORK/other.err" || status=$?
    [[ $status == 1 ]] || fail "another user's command: status $status, $(cat "$WORK/other.err")"
    grep -q refused "$WORK/other.err" || fail "another user's command: $(cat "$WORK/other.err")"
    [[ $(clipboard) == 'not for them' ]] || fail "another user's command ran: $(clipboard)"
else
    echo "another user: not root, skipped"
fi
echo PASS
