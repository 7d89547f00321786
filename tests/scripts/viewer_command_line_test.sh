#!/bin/bash
# The viewer's command line where no X display exists: --help and --version, banner and
# usage, the -list catalogue and its prefix and argument-count rules, and the one-line
# refusal to start without a display.
. "$(dirname "$0")/viewer_lib.sh"

unset DISPLAY
run() { "$ZARPO2_BIN" "$@" >"$WORK/out" 2>"$WORK/err"; status=$?; }

check_no_display() {
    [ "$status" -eq 1 ] || fail "$*: exit status $status without a display"
    [ "$(wc -l <"$WORK/err")" -eq 1 ] && grep -q "DISPLAY is not set" "$WORK/err" || fail "$*: stderr: $(cat "$WORK/err")"
}

# Runs the viewer with arguments that are no listing and must print nothing on stdout.
run_silent() {
    run "$@"
    check_no_display "$*"
    [ -s "$WORK/out" ] && fail "$* printed on stdout: $(cat "$WORK/out")"
}

note "--help and --version print on stdout alone and end with status 0, with and without a display"
for display in "" ":4095"; do
    for option in "--help Page Down" "--version zarpo2 0.16 (Pelbrook)"; do
        DISPLAY=$display run "${option%% *}"
        [ "$status" -eq 0 ] && [ ! -s "$WORK/err" ] && grep -qF "${option#* }" "$WORK/out" ||
            fail "$option: exit status $status, stdout: $(cat "$WORK/out"), stderr: $(cat "$WORK/err")"
    done
done

note "-list and its prefix forms print the catalogue of zarpo2-cli list"
"$ZARPO2_CLI" list >"$WORK/list" || fail "zarpo2-cli list failed"
for args in "-list" "-list extra" "-listing" "-listXYZ word"; do
    # shellcheck disable=SC2086
    run $args
    [ "$status" -eq 0 ] && [ ! -s "$WORK/err" ] || fail "$args: exit status $status, stderr: $(cat "$WORK/err")"
    cmp -s "$WORK/out" "$WORK/list" || fail "$args printed: $(cat "$WORK/out")"
done

note "-list with two more words and -lis are no listing; a logo, -verbose with a logo: no banner"
run_silent -list a b
run_silent -lis
run_silent "$FIX/standard.epa"
run_silent -verbose "$FIX/standard.epa"

note "no arguments: banner, notices and usage, then no display"
run
check_no_display "no arguments"
expected_usage=$(printf 'Usage: ZARPO [flags] <MyEpaPic.Epa>\n\tOptions:\n\t\t-list (show supported LOGO formats)\n\t\t-verbose (turn on verbose output)')
[ "$(head -n2 "$WORK/out")" = "$(printf '\n-=Tallisk, ZARPO-G2, version 0.16 (Pelbrook)=-')" ] || fail "banner: $(head -n2 "$WORK/out")"
[ "$(tail -n4 "$WORK/out")" = "$expected_usage" ] || fail "usage: $(tail -n4 "$WORK/out")"
[ "$(wc -l <"$WORK/out")" -eq 10 ] && [ -z "$(sed -n 6p "$WORK/out")" ] || fail "banner and usage: $(cat "$WORK/out")"
[ "$(tail -c1 "$WORK/out" | od -An -c | tr -d ' ')" = '\n' ] || fail "usage does not end with a newline"

note "an X display that cannot be opened is named"
DISPLAY=":4095" run "$FIX/standard.epa"
[ "$status" -eq 1 ] || fail "unreachable display: exit status $status"
[ "$(cat "$WORK/err")" = 'zarpo2: cannot open the X display ":4095"' ] || fail "unreachable display: $(cat "$WORK/err")"
DISPLAY=$':4095\033[2J\n' run "$FIX/standard.epa"
[ "$(cat "$WORK/err")" = 'zarpo2: cannot open the X display ":4095\x1b[2J\x0a"' ] ||
    fail "a display name with control bytes: $(cat "$WORK/err")"

echo "viewer command line: all checks passed"
