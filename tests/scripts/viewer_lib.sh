# Shared by the viewer scenario tests (sourced): a private X server, the viewer run in the
# background, waits on windows, screenshots and picture comparisons.
set -u

fail() {
    echo "FAIL: $*" >&2
    if [ -s "${WORK:-/nonexistent}/err" ]; then
        echo "viewer's standard error:" >&2
        tail -n 30 "$WORK/err" >&2
    fi
    exit 1
}
note() { echo "--- $*"; }

if [ -z "${ZARPO2_BIN:-}" ] || [ ! -x "$ZARPO2_BIN" ]; then
    echo "SKIP: the viewer was not built"
    exit 77
fi

WORK=$(mktemp -d)
ARTIFACTS="${ZARPO2_BUILD:-$WORK}/gui-artifacts"
mkdir -p "$ARTIFACTS"
XVFB_PID=""
VIEWER_PID=""
WAIT_SECONDS=20
LSAN_SUPPRESSIONS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/viewer_lsan.supp"

cleanup() {
    [ -n "$VIEWER_PID" ] && kill "$VIEWER_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

need() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/install-deps.sh installs it)"
    done
}

# A private X server, so the tests see only their own windows whatever else runs.
start_x() {
    need Xvfb xdotool xwininfo import convert
    Xvfb -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.log" &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$WORK/display" ] && break
        sleep 0.1
    done
    [ -s "$WORK/display" ] || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
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

stop_viewer() {
    if [ -n "$VIEWER_PID" ]; then
        kill -0 "$VIEWER_PID" 2>/dev/null || fail "the viewer ended by itself (crashed?)"
        kill "$VIEWER_PID" 2>/dev/null
        wait "$VIEWER_PID" 2>/dev/null
        VIEWER_PID=""
        # The server drops a dead client's windows a moment later; the next viewer's
        # windows must not be confused with them.
        for _ in $(seq $((WAIT_SECONDS * 10))); do
            [ -z "$(xdotool search --class FLTK 2>/dev/null)" ] && break
            sleep 0.1
        done
    fi
}

# Prints the id of the first visible window whose title is exactly $1, waiting for it.
wait_window() {
    local id
    id=$(timeout "$WAIT_SECONDS" xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)
    [ -n "$id" ] || fail "no window titled '$1' appeared"
    echo "$id"
}

# Prints the id of the first visible dialog of the toolkit's message boxes (they have no
# title), waiting for it.
wait_dialog() {
    local id name
    for _ in $(seq $((WAIT_SECONDS * 10))); do
        for id in $(xdotool search --onlyvisible --class FLTK 2>/dev/null); do
            name=$(xdotool getwindowname "$id" 2>/dev/null) || continue
            if [ -z "$name" ]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    fail "no message box appeared"
}

# True when a visible window titled exactly $1 exists now.
has_window() {
    [ -n "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)" ]
}

# Waits until the window's title is $2.
wait_title() {
    local title=""
    for _ in $(seq $((WAIT_SECONDS * 10))); do
        title=$(xdotool getwindowname "$1" 2>/dev/null)
        [ "$title" = "$2" ] && return 0
        sleep 0.1
    done
    fail "window title is '$title', expected '$2'"
}

# Waits until the file exists and is not empty.
wait_file() {
    for _ in $(seq $((WAIT_SECONDS * 10))); do
        [ -s "$1" ] && return 0
        sleep 0.1
    done
    fail "$1 was not written"
}

# Waits until the text shows up in the viewer's standard output.
wait_output() {
    for _ in $(seq $((WAIT_SECONDS * 10))); do
        grep -qF -- "$1" "$WORK/out" && return 0
        sleep 0.1
    done
    fail "'$1' never appeared on standard output; got: $(cat "$WORK/out")"
}

window_size() {
    xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'
}

# Windows are not placed by a window manager here: each goes where the test says, so
# screenshots never show one window over another.
place_window() {
    xdotool windowmove --sync "$1" "$2" "$3" >/dev/null 2>&1 || xdotool windowmove "$1" "$2" "$3"
}

focus_window() {
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
}

# Raw 8-bit RGB of a PNG or of a region WxH+X+Y of one. Read as 16-bit samples and keep
# the high bytes: a 16-bit PNG holds each byte there, an 8-bit one scales exactly to it.
rgb_of() {
    local crop=()
    [ $# -ge 2 ] && crop=(-crop "$2" +repage)
    convert "$1" "${crop[@]}" -depth 16 -endian MSB rgb:- |
        python3 -c 'import sys; sys.stdout.buffer.write(sys.stdin.buffer.read()[0::2])'
}

# Waits until the region of window $1 at $3 (WxH+X+Y) shows the picture of PNG $2;
# the screenshot is left in $WORK/shot.png.
wait_picture() {
    local expected="$WORK/expected.rgb"
    rgb_of "$2" >"$expected"
    for _ in $(seq $((WAIT_SECONDS * 5))); do
        import -window "$1" "$WORK/shot.png" 2>/dev/null &&
            rgb_of "$WORK/shot.png" "$3" | cmp -s - "$expected" && return 0
        sleep 0.2
    done
    fail "window $1 does not show $2 at $3"
}

# Saves a screenshot of the window, once its drawing has settled, as an artefact.
save_artifact() {
    local previous="" current=""
    for _ in $(seq 25); do
        import -window "$1" "$WORK/settle.png" 2>/dev/null
        current=$(rgb_of "$WORK/settle.png" | md5sum)
        [ "$current" = "$previous" ] && break
        previous=$current
        sleep 0.2
    done
    cp "$WORK/settle.png" "$ARTIFACTS/$2"
}
