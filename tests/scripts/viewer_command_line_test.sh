#!/bin/bash
# The viewer's command line where no X display exists: banner and usage, the -list
# catalogue and its prefix and argument-count rules, and the one-line refusal to start
# without a display.
. "$(dirname "$0")/viewer_lib.sh"

unset DISPLAY
run() {
    "$ZARPO2_BIN" "$@" >"$WORK/out" 2>"$WORK/err"
    status=$?
}

check_list() {
    [ "$status" -eq 0 ] || fail "$*: exit status $status"
    [ -s "$WORK/err" ] && fail "$*: wrote to stderr: $(cat "$WORK/err")"
    [ "$(head -n1 "$WORK/out")" = "Release 0.16 (Pelbrook) can identify and has support for LOGO formats:" ] ||
        fail "$*: first line is '$(head -n1 "$WORK/out")'"
    [ "$(wc -l <"$WORK/out")" -eq 39 ] || fail "$*: $(wc -l <"$WORK/out") lines instead of 39"
    [ "$(sed -n 2p "$WORK/out")" = "$(printf '\t\t[01]: Standard EPA')" ] || fail "$*: bad first format line"
    [ "$(sed -n 8p "$WORK/out")" = "$(printf '\t\t[07]: SystemSoft EPA')" ] || fail "$*: identifier 7 missing"
    [ "$(tail -n1 "$WORK/out")" = "$(printf '\t\t[38]: SystemSoft EPA (2)')" ] || fail "$*: bad last format line"
}

check_no_display() {
    [ "$status" -eq 1 ] || fail "$*: exit status $status without a display"
    [ "$(wc -l <"$WORK/err")" -eq 1 ] || fail "$*: stderr is not one line: $(cat "$WORK/err")"
    grep -q "DISPLAY is not set" "$WORK/err" || fail "$*: stderr: $(cat "$WORK/err")"
}

note "-list and its prefix forms"
for args in "-list" "-list extra" "-listing" "-listXYZ word"; do
    # shellcheck disable=SC2086
    run $args
    check_list "$args"
done

note "-list with two more words is not a listing"
run -list a b
check_no_display "-list a b"
[ -s "$WORK/out" ] && fail "-list a b printed: $(cat "$WORK/out")"

note "-lis is too short to be -list"
run -lis
check_no_display "-lis"

note "no arguments: banner, notices and usage, then no display"
run
check_no_display "no arguments"
expected_usage=$(printf 'Usage: ZARPO [flags] <MyEpaPic.Epa>\n\tOptions:\n\t\t-list (show supported LOGO formats)\n\t\t-verbose (turn on verbose output)')
[ "$(head -n2 "$WORK/out")" = "$(printf '\n-=Tallisk, ZARPO-G2, version 0.16 (Pelbrook)=-')" ] || fail "banner: $(head -n2 "$WORK/out")"
[ "$(tail -n4 "$WORK/out")" = "$expected_usage" ] || fail "usage: $(tail -n4 "$WORK/out")"
[ "$(wc -l <"$WORK/out")" -eq 10 ] || fail "banner and usage: $(wc -l <"$WORK/out") lines, expected 10"
[ "$(sed -n 6p "$WORK/out")" = "" ] || fail "no empty line between notices and usage"
[ "$(tail -c1 "$WORK/out" | od -An -c | tr -d ' ')" = '\n' ] || fail "usage does not end with a newline"

note "a logo, -verbose with a logo: no banner, no load without a display"
python3 "$(dirname "$0")/viewer_fixtures.py" "$WORK/fixtures"
for args in "$WORK/fixtures/standard.epa" "-verbose $WORK/fixtures/standard.epa"; do
    # shellcheck disable=SC2086
    run $args
    check_no_display "$args"
    [ -s "$WORK/out" ] && fail "$args printed on stdout: $(cat "$WORK/out")"
done

note "an X display that cannot be opened is named"
DISPLAY=":4095" run "$WORK/fixtures/standard.epa"
[ "$status" -eq 1 ] || fail "unreachable display: exit status $status"
[ "$(cat "$WORK/err")" = 'zarpo2: cannot open the X display ":4095"' ] || fail "unreachable display: $(cat "$WORK/err")"

echo "viewer command line: all checks passed"
