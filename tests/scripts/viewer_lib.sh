# Shared by the viewer scenario tests (sourced): a private X server, the viewer run in the
# background, waits on windows, message boxes and choosers, screenshots and picture comparisons.
set -u

fail() {
    echo "FAIL: $*" >&2
    for stream in out err; do
        [ -s "${WORK:-/nonexistent}/$stream" ] && { echo "viewer's std$stream:" >&2; tail -n 30 "$WORK/$stream" >&2; }
    done
    exit 1
}
note() { echo "--- $*"; }
not() { ! "$@"; }

[ -x "${ZARPO2_BIN:-}" ] || { echo "SKIP: the viewer was not built"; exit 77; }

WORK=$(mktemp -d)
FIX="$WORK/fixtures"
ARTIFACTS="${ZARPO2_BUILD:-$WORK}/gui-artifacts"
mkdir -p "$ARTIFACTS" "$WORK/cli"
XVFB_PID="" VIEWER_PID=""
WAIT_SECONDS=20
# Every logo opens at its own size, the layout these tests check; the zoom tests unset it.
export ZARPO2_ZOOM=1
# No window size, zoom, folder or recent file of the user's, nor of an earlier test; the
# preferences tests unset it and give the viewer a configuration folder of their own.
export ZARPO2_NO_PREFS=1
MAIN_TITLE="Tallisk, ZARPO-G2"
LSAN_SUPPRESSIONS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/viewer_lsan.supp"
python3 "$(dirname "${BASH_SOURCE[0]}")/viewer_fixtures.py" "$FIX" || fail "cannot write the fixtures"

# shellcheck disable=SC2086 # no process id when none was started
trap 'kill $VIEWER_PID $XVFB_PID 2>/dev/null; wait 2>/dev/null; rm -rf "$WORK"' EXIT

# The PNGs zarpo2-cli png writes of the files, in $WORK/cli: what the windows must show.
cli_png() { "$ZARPO2_CLI" png --out-dir "$WORK/cli" "$@" >/dev/null || fail "zarpo2-cli could not decode $*"; }

# Runs the command, output discarded, until it succeeds; fails with message $1 after a while.
wait_for() {
    local what=$1 deadline=$((SECONDS + WAIT_SECONDS))
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -ge "$deadline" ] && fail "$what"
        sleep 0.1
    done
}

# A private X server, so the tests see only their own windows whatever else runs. It must
# not reset when its last client leaves: a viewer started during the reset cannot connect.
# The screen is 2560 x 1600 unless given (WxHxDEPTH).
start_x() {
    for tool in Xvfb xdotool xwininfo import convert cmp; do
        command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/install-deps.sh installs it)"
    done
    Xvfb -displayfd 3 -screen 0 "${1:-2560x1600x24}" -nolisten tcp -noreset 3>"$WORK/display" 2>"$WORK/xvfb.log" &
    XVFB_PID=$!
    wait_for "Xvfb did not start" test -s "$WORK/display"
    DISPLAY=":$(head -n1 "$WORK/display")"
    export DISPLAY
}

# Starts the viewer with the given arguments; its output goes to $WORK/out and $WORK/err.
start_viewer() {
    stop_viewer
    LSAN_OPTIONS="suppressions=$LSAN_SUPPRESSIONS${LSAN_OPTIONS:+:$LSAN_OPTIONS}" \
        "$ZARPO2_BIN" "$@" >"$WORK/out" 2>"$WORK/err" &
    VIEWER_PID=$!
}

# Presses key $1 in window $2; the viewer must end with status 0.
quits_with() {
    focus_window "$2"
    xdotool key "$1"
    wait "$VIEWER_PID"
    local status=$?
    VIEWER_PID=""
    [ "$status" -eq 0 ] || fail "$1 ended the viewer with status $status"
}

stop_viewer() {
    [ -n "$VIEWER_PID" ] || return 0
    kill -0 "$VIEWER_PID" 2>/dev/null || fail "the viewer ended by itself (crashed?)"
    kill "$VIEWER_PID" 2>/dev/null
    wait "$VIEWER_PID" 2>/dev/null
    VIEWER_PID=""
    # The server drops a dead client's windows a moment later; the next viewer's windows
    # must not be confused with them.
    wait_for "the stopped viewer's windows stay" not xdotool search --class FLTK
}

# A picture window's title is the given text, then " — " and the file's name (which
# xdotool matches in the title's Latin-1 form).
windows() { xdotool search --onlyvisible --name "^$1( .*)?\$" 2>/dev/null; }
has_window() { [ -n "$(windows "$1")" ]; }
window_count_is() { [ "$(windows "$1" | wc -l)" -eq "$2" ]; }

# Prints the id of the first visible window titled $1, waiting for it.
wait_window() {
    wait_for "no window titled '$1' appeared" has_window "$1"
    windows "$1" | head -n1
}

# Prints the id of a message box (the toolkit's have no title; a tooltip, the other
# untitled window, is one line high), waiting for one.
dialog_id() {
    local id
    for id in $(xdotool search --onlyvisible --class FLTK 2>/dev/null); do
        [ -z "$(xdotool getwindowname "$id" 2>/dev/null)" ] && [ "$(window_size "$id" | cut -dx -f2)" -gt 40 ] &&
            echo "$id" && return 0
    done
    return 1
}
wait_dialog() { wait_for "no message box appeared" dialog_id && dialog_id; }
# Answers the message box with key $1, first keeping a screenshot of it as artefact $2 if given.
answer_dialog() {
    local dialog
    dialog=$(wait_dialog) || exit 1
    place_window "$dialog" 700 0
    [ -z "${2:-}" ] || save_artifact "$dialog" "$2"
    focus_window "$dialog"
    xdotool key "$1"
    wait_for "the message box stays" not dialog_id
}
# A file chooser has listed its folder when its list, white while empty, shows some text.
chooser_listed() {
    import -window "$1" "$WORK/chooser.png" &&
        [ "$(convert "$WORK/chooser.png" -crop 460x200+15+50 -format '%[fx:minima<0.5]' info:)" = 1 ]
}

title_is() {
    local title
    title=$(xdotool getwindowname "$1" 2>/dev/null)
    [ "$title" = "$2" ] || [ "${title%% — *}" = "$2" ]
}
# The title of a playing frame window changes within 1.1 s (two ticks of a three-frame cycle).
title_stays() {
    local title
    title=$(xdotool getwindowname "$1")
    sleep 1.1
    title_is "$1" "$title"
}
wait_title() { wait_for "the window title never became '$2'" title_is "$1" "$2"; }
wait_file() { wait_for "$1 was not written" test -s "$1"; }
wait_output() { wait_for "'$1' never appeared on standard output" grep -qF -- "$1" "$WORK/out"; }

window_size() { xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }

# Windows are not placed by a window manager here: each goes where the test says, so
# screenshots never show one window over another.
place_window() { xdotool windowmove --sync "$1" "$2" "$3" >/dev/null 2>&1 || xdotool windowmove "$1" "$2" "$3"; }
# Waits for the first visible window titled $1, places it at $2, $3 and prints its id.
placed() {
    local id
    id=$(wait_window "$1") || exit 1
    place_window "$id" "$2" "$3"
    echo "$id"
}
focus_window() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }

# Raw 8-bit RGB of a PNG or of a region WxH+X+Y of one. Read as 16-bit samples and keep
# the high bytes: a 16-bit PNG holds each byte there, an 8-bit one scales exactly to it.
rgb_of() {
    local crop=()
    [ $# -ge 2 ] && crop=(-crop "$2" +repage)
    convert "$1" "${crop[@]}" -depth 16 -endian MSB rgb:- |
        python3 -c 'import sys; sys.stdout.buffer.write(sys.stdin.buffer.read()[0::2])'
}

# True when the last screenshot, $WORK/shot.png, shows the picture of PNG $1 at $2
# (WxH+X+Y); shows takes a new screenshot of window $1 first.
in_shot() { cmp -s <(rgb_of "$WORK/shot.png" "$2") <(rgb_of "$1"); }
shows() { import -window "$1" "$WORK/shot.png" 2>/dev/null && in_shot "$2" "$3"; }
wait_picture() { wait_for "window $1 does not show $2 at $3" shows "$@"; }
# Row (25 to 75) of a new screenshot of window $1 where the picture of PNG $2 (size $3) starts at x 5.
picture_row() {
    import -window "$1" "$WORK/shot.png"
    for y in $(seq 25 75); do
        in_shot "$2" "$3+5+$y" && echo "$y" && return 0
    done
    return 1
}
# The colour "R,G,B" of pixel $1, $2 of the last screenshot.
pixel() { convert "$WORK/shot.png" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:; }

# Saves a screenshot of the window, once its drawing has settled, as an artefact.
save_artifact() {
    local previous="" current
    for _ in $(seq 25); do
        import -window "$1" "$WORK/settle.png" 2>/dev/null
        current=$(rgb_of "$WORK/settle.png" | md5sum)
        [ "$current" = "$previous" ] && break
        previous=$current && sleep 0.2
    done
    cp "$WORK/settle.png" "$ARTIFACTS/$2"
}

# The status line's text, which the viewer also sets on the window as _ZARPO2_STATUS.
status_of() { xprop -id "$1" -notype _ZARPO2_STATUS 2>/dev/null | sed -n 's/^[^"]*"\(.*\)"$/\1/p'; }
status_has() { status_of "$1" | grep -qF -- "$2"; }
wait_status() { wait_for "the status line of window $1 never said '$2' (it says '$(status_of "$1")')" status_has "$1" "$2"; }

# How many windows are mapped: a popup menu, which has no title or class, adds one.
mapped_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | wc -l; }
# Runs the command (keys that open a popup menu), then waits for one more mapped window.
opening_popup() {
    local before
    before=$(mapped_windows)
    "$@"
    wait_for "no popup opened" eval '[ "$(mapped_windows)" -gt "'"$before"'" ]'
}

# PNG $1 enlarged $2 times by repeating pixels; prints the new file's path.
enlarged() {
    local out
    out="$WORK/$(basename "$1" .png)-x$2.png"
    [ -s "$out" ] || convert "$1" -filter point -resize "$((100 * $2))%" "$out"
    echo "$out"
}
