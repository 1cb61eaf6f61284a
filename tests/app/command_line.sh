#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# navrik answers its command line as command-line programs do, with no display needed:
# --help and --version print and exit 0, a wrong option or argument is one line on standard
# error and exit 2, and no display is one line and exit 1 in place of Qt's abort.
#   command_line.sh NAVRIK VERSION
set -uo pipefail
navrik=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# check STATUS OUT_LINES ERR_LINES ARGS...: runs navrik with no display at all (or DISPLAY=$display)
# and checks its exit status and how many lines it wrote on standard output (-1: any) and
# standard error. Its lock goes in the test's own folder, apart from any other Navrik's.
display=
check() {
    local want="$1 ${2/#-1/*} $3" got; shift 3
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ${display:+DISPLAY=$display} XDG_CONFIG_HOME="$work" \
        XDG_RUNTIME_DIR="$work" timeout 20 "$navrik" "$@" >"$work/out" 2>"$work/err"
    got="$? $(wc -l <"$work/out") $(wc -l <"$work/err")"
    [[ $got == $want ]] \
        || { fail "navrik $* gave status, lines out, lines on stderr: $got, not $want"; cat "$work/out" "$work/err"; }
}

check 0 -1 0 --help
grep -q '^Usage: navrik' "$work/out" || fail "--help shows no usage line"
grep -q -- '--version' "$work/out" || fail "--help does not list --version"
grep -q -- '--paste-and-quote' "$work/out" || fail "--help does not list the commands"
grep -q -- '-platform' "$work/out" && fail "--help lists Qt's own options"
check 0 1 0 --version
[ "$(cat "$work/out")" = "navrik $version" ] || fail "--version printed '$(cat "$work/out")'"

check 2 0 1 --no-such-option
grep -q -- '--no-such-option' "$work/err" || fail "the error does not name the option"
check 2 0 1 -x
check 2 0 1 a-word
check 2 0 1 --platform
# Qt's own options and their values are left for Qt, so the wrong option is still the one named.
check 2 0 1 -platform offscreen -session 1234 -style=fusion --no-such-option
grep -q -- '--no-such-option' "$work/err" || fail "Qt's options were taken for navrik's"

check 1 0 1
grep -q 'cannot open the display' "$work/err" || fail "no display gave '$(cat "$work/err")'"
check 1 0 1 # again: the start that failed left no lock file behind to be taken over
display=:4711 check 1 -1 1 # a display that does not answer

[ "$failures" -eq 0 ] && echo "command line: all checks passed"
[ "$failures" -eq 0 ]
