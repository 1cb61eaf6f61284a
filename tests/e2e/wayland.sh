# SPDX-License-Identifier: MIT
# Shared steps of the Wayland e2e tests, sourced after harness.sh: a headless compositor with
# XWayland (as nobody when run as root: sway refuses root), a focused native Wayland window, the
# Wayland clipboard through wl-clipboard, a session of the test's own.
need wl-copy wl-paste
own_session
COMPOSITOR_PID=
at_exit 'stop_compositor'
stop_compositor() { # Navrik first, as at log-off, before its display ends
    [[ -n $COMPOSITOR_PID ]] || return 0
    timeout 10 "$NAVRIK" --quit
    wait_until 10 eval '! navrik_running'
    kill "$COMPOSITOR_PID"; wait "$COMPOSITOR_PID"
    [[ -s $WORK/compositor.log ]] && cp "$WORK/compositor.log" "$ARTIFACTS/$TEST_NAME-compositor.log"
    COMPOSITOR_PID=
}

# compositor_home TOOLS...: $SESSION, the compositor user's folder for its runtime files, with
# tell-display, which the compositor runs once XWayland is up: it lets the test's user in, writes
# the display's name, then runs $TELL_THEN.
compositor_home() {
    need Xwayland xhost "$@"
    SESSION=$(mktemp -d /tmp/navrik-wayland.XXXXXX)
    at_exit "rm -rf $SESSION"
    AS_USER=()
    if [[ $(id -u) == 0 ]]; then
        chown nobody:nogroup "$SESSION"
        AS_USER=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    fi
    chmod 0700 "$SESSION"
    TELL_DISPLAY="xhost +si:localuser:$(id -un) >/dev/null && printenv DISPLAY >$SESSION/display"
    printf '#!/bin/sh\n%s\n%s' "$TELL_DISPLAY" "${TELL_THEN:-}" >"$SESSION/tell-display"
    chmod +x "$SESSION/tell-display"
}
# in_session COMMAND...: the compositor, in a clean environment; sets WAYLAND_DISPLAY to its socket
# (a full path) and DISPLAY to its XWayland.
in_session() {
    env -i PATH="$PATH" XDG_RUNTIME_DIR="$SESSION" HOME="$SESSION" DBUS_SESSION_BUS_ADDRESS="${DBUS_SESSION_BUS_ADDRESS:-}" \
        "$@" >"$WORK/compositor.log" 2>&1 &
    COMPOSITOR_PID=$!
    wait_until 30 eval 'wayland_socket >/dev/null || ! kill -0 $COMPOSITOR_PID' 2>/dev/null
    export WAYLAND_DISPLAY
    WAYLAND_DISPLAY=$(wayland_socket) || skip "the compositor did not start: $(tail -5 "$WORK/compositor.log")"
    wait_until 30 test -s "$SESSION/display" || skip "XWayland did not start: $(tail -5 "$WORK/compositor.log")"
    export DISPLAY=$(cat "$SESSION/display")
    wait_until 30 xdpyinfo >/dev/null 2>&1 || fail "XWayland does not answer on $DISPLAY"
}
wayland_socket() {
    local socket
    for socket in "$SESSION"/wayland-*; do [[ -S $socket ]] && echo "$socket" && return 0; done
    return 1
}

# Headless sway 1.7; sets SWAYSOCK too.
start_sway() {
    compositor_home sway swaymsg setpriv
    printf 'xwayland force\nexec %s\n' "$TELL_DISPLAY" >"$SESSION/config"
    in_session WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 "${AS_USER[@]}" \
        sway -c "$SESSION/config"
    wait_until 30 eval 'compgen -G "$SESSION/sway-ipc.*.sock" >/dev/null' || fail "no sway IPC socket"
    export SWAYSOCK=$(compgen -G "$SESSION/sway-ipc.*.sock" | head -1)
}
sway_focus_is() { swaymsg "[pid=$1 con_id=__focused__] nop" >/dev/null 2>&1; }

# KWin on its virtual backend, as the test's own user, whom the private bus admits. Run from a
# copy: the installed program carries a file capability, which a container may refuse.
start_kwin() {
    compositor_home kwin_wayland dbus-send
    cp "$(command -v kwin_wayland)" "$SESSION/kwin_wayland"
    in_session KWIN_COMPOSE=Q "$SESSION/kwin_wayland" --virtual --xwayland --no-lockscreen \
        --socket wayland-navrik "$SESSION/tell-display"
}
# kwin_focus_is PID: KWin's active window belongs to the process, as a KWin script sees it.
kwin_focus_is() {
    echo 'print("active window of " + (workspace.activeClient ? workspace.activeClient.pid : 0));' >"$WORK/active.js"
    local kwin=(dbus-send --session --print-reply --dest=org.kde.KWin /Scripting)
    "${kwin[@]}" org.kde.kwin.Scripting.loadScript string:"$WORK/active.js" string:navrik-focus >/dev/null &&
        "${kwin[@]}" org.kde.kwin.Scripting.start >/dev/null || return 1
    "${kwin[@]}" org.kde.kwin.Scripting.unloadScript string:navrik-focus >/dev/null
    [[ $(grep -a 'active window of' "$WORK/compositor.log" | tail -1) == *"active window of $1" ]]
}

# Mutter (GNOME), with a keyboard of ours: its seat has none, and wl-clipboard needs one. Mutter
# ends when the command it runs ends: that one waits for mutter.
start_mutter() {
    [[ -x ${NAVRIK_MUTTER_KEYBOARD:-} ]] || skip "the mutter_keyboard helper is not built"
    TELL_THEN='exec tail -f /dev/null --pid=$PPID' compositor_home mutter xprop
    in_session mutter --headless --wayland --virtual-monitor 1024x768 -- "$SESSION/tell-display"
    "$NAVRIK_MUTTER_KEYBOARD" >"$WORK/keyboard.log" 2>&1 &
    at_exit "kill $!"
    wait_until 10 wl-copy --clear 2>/dev/null || fail "mutter's seat has no keyboard: $(cat "$WORK/keyboard.log")"
}
# Mutter tells X clients only which X window has the focus: none, while a Wayland window holds it.
mutter_focus_is() { kill -0 "$1" && [[ $(xprop -root _NET_ACTIVE_WINDOW) == *' 0x0' ]]; }

wl_set() { printf '%s' "$1" | wl-copy; }
wl_clipboard() { timeout 10 wl-paste -n 2>/dev/null; }
wl_clipboard_is() { [[ $(wl_clipboard) == "$1" ]]; }
MAIL=$'山田様\n\nいつもお世話になっております。\n資料をお送りします。'
QUOTED_MAIL=$'> 山田様\n> \n> いつもお世話になっております。\n> 資料をお送りします。'

# quote_from_wayland_window COMPOSITOR: under it, with Navrik running and a native Wayland window
# focused (a second Navrik on Qt's Wayland platform, in folders of its own), --paste-and-quote
# turns wl-copy's mail into the quote wl-paste reads, and the focus stays where it was.
quote_from_wayland_window() {
    "start_$1"
    start_navrik
    mkdir -p -m 0700 "$WORK/wayland-run" "$WORK/wayland-config"
    XDG_RUNTIME_DIR=$WORK/wayland-run XDG_CONFIG_HOME=$WORK/wayland-config QT_QPA_PLATFORM=wayland \
        "$NAVRIK" >"$WORK/wayland-window.log" 2>&1 &
    WAYLAND_WINDOW_PID=$!
    at_exit "kill $WAYLAND_WINDOW_PID"
    wait_until 20 "$1_focus_is" "$WAYLAND_WINDOW_PID" || fail "the Wayland window has no focus"
    wl_set "$MAIL"
    "$NAVRIK" --paste-and-quote || fail "the command failed"
    wait_until 10 wl_clipboard_is "$QUOTED_MAIL" || fail "the clipboard holds: $(wl_clipboard)"
    "$1_focus_is" "$WAYLAND_WINDOW_PID" || fail "the Wayland window lost the focus"
}

# quote_outlives_navrik: then Navrik ends; its keeper serves the quote until another program copies.
quote_outlives_navrik() {
    "$NAVRIK" --quit || fail "--quit exited $?"
    wait_exit 15
    wl_clipboard_is "$QUOTED_MAIL" || fail "after --quit the clipboard holds: $(wl_clipboard)"
    wl_set 'another copy'
    wait_until 10 no_keeper || fail "the keeper runs on after another program copied"
}
