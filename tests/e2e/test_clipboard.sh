#!/bin/bash
# SPDX-License-Identifier: MIT
# The X11 clipboard as a resident Navrik reads it: text in each X11 form is quoted, a reply of
# another type is no text; an owner of a million formats or one that never answers leaves Navrik
# running with one line of error at most; a slow one has the text quoted though the client left.
source "$(dirname "$0")/harness.sh"
need xclip iconv nc
OWNER=${NAVRIK_CLIPBOARD_OWNER:?the clipboard_owner helper}
own_session
icon_mode_settings
start_display
start_navrik

quotes_as() { "$NAVRIK" --paste-and-quote || fail "--paste-and-quote exited $?"; clipboard_is "$1" || fail "$2: $(clipboard)"; }
# offer TYPE QUOTED: standard input as the clipboard's one form, TYPE, is quoted as QUOTED.
offer() { xclip -selection clipboard -t "$1" -i; quotes_as "$2" "$1"; }
printf '日本語\n' | iconv -f UTF-8 -t SHIFT_JIS | offer 'text/plain;charset=shift_jis' '> 日本語'
printf '日本語\n' | iconv -f UTF-8 -t EUC-JP | offer 'text/plain;charset=euc-jp' '> 日本語'
printf '\033$(BF|K\\8l\033(B\n' | offer COMPOUND_TEXT '> 日本語' # as Xlib writes it
printf 'caf\351\n' | offer STRING '> café'
# own_clipboard FORMATS DELAY_MS < TEXT: the helper owner, its log (the last one's removed) in $WORK/owner.log.
own_clipboard() {
    rm -f "$WORK/owner.log"
    "$OWNER" "$@" <&0 >"$WORK/owner.log" &
    OWNER_PID=$!
    at_exit "kill $OWNER_PID"
    wait_until 10 grep -q owning "$WORK/owner.log" || fail "the clipboard owner did not start"
}

# A reply of another type is no text: in icon mode the clipboard is left alone, to its owner.
own_clipboard 0 0 INTEGER <<<'abc'
"$NAVRIK" --paste-and-quote || fail "--paste-and-quote exited $?"
kill -0 "$OWNER_PID" || fail "an INTEGER reply was taken for text: $(clipboard | od -c | head -3)"

# The text comes after a million formats that name nothing; the command is still answered in time.
own_clipboard 1000000 0 <<<$'first line\nsecond line'
quotes_as "$QUOTED" "a million formats"
[[ $(grep -c formats "$WORK/navrik.log") == 1 && $(wc -c <"$WORK/navrik.log") -lt 1000 ]] \
    || fail "standard error: $(head -c 1000 "$WORK/navrik.log")"

# An owner that never answers: given up on with one line, and the next command is answered.
own_clipboard 0 600000 </dev/null
"$NAVRIK" --paste-and-quote &
wait_until 20 grep -q 'did not hand its text over' "$WORK/navrik.log" || fail "no word of the silent owner"
"$NAVRIK" --show || fail "--show after the silent owner exited $?"
[[ $(grep -c 'did not hand' "$WORK/navrik.log") == 1 ]] || fail "$(cat "$WORK/navrik.log")"

# The client leaves while Navrik waits for a slow owner of a text that goes into the buffer in
# pieces: Navrik quotes it all the same. A quit sent meanwhile ends it after; the keeper's quote stays.
seq 200000 | sed 's/.*/a line of the mail/' >"$WORK/long.txt"
own_clipboard 0 1500 <"$WORK/long.txt"
"$NAVRIK" --paste-and-quote &
client=$!
wait_until 10 grep -q asked "$WORK/owner.log" || fail "Navrik did not ask the owner"
kill "$client"
printf 'quit\n' | nc -U -N -w1 "$(echo "$XDG_RUNTIME_DIR"/navrik-*.socket)"
# Asked while it sleeps, the owner would answer Navrik later: the clipboard is read once it has gone.
wait_until 30 bash -c "! kill -0 $OWNER_PID 2>/dev/null" || fail "Navrik did not take the clipboard"
exits_with_0 30
[[ $(clipboard | sort -u) == '> a line of the mail' && $(clipboard | wc -l) == 200000 ]] \
    || fail "after the client left: $(clipboard | head -c 200)"
echo PASS
