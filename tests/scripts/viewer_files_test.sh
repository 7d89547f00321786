#!/bin/bash
# Files in the viewer in a real X server: --help and --version; several files on the
# command line; Page Down and Page Up through a list and through a folder; files dropped
# on the main, logo and frame windows (an XDND drop); a folder, a FIFO and an unknown file
# refused with one message; one message for a picture too large for memory; the empty and
# the cut picture named in the status line.
. "$(dirname "$0")/viewer_lib.sh"
[ -x "${ZARPO2_XDND:-}" ] || { echo "SKIP: the XDND drop client was not built"; exit 77; }

note "--help and --version print and end with status 0, with and without a display"
for display in "" ":4095"; do
    for option in --help --version; do
        DISPLAY=$display "$ZARPO2_BIN" "$option" >"$WORK/out" 2>"$WORK/err" || fail "$option failed"
        [ -s "$WORK/err" ] && fail "$option wrote on stderr: $(cat "$WORK/err")"
    done
done
grep -q "^zarpo2 0.16 (Pelbrook)$" "$WORK/out" || fail "--version printed: $(cat "$WORK/out")"
DISPLAY="" "$ZARPO2_BIN" --help | grep -q "Page Down" || fail "--help does not list the keys"

start_x
cd "$FIX" || fail "no fixture folder"
drop() { "$ZARPO2_XDND" "$1" 100 100 "${@:2}" || fail "the drop on window $1 failed"; }
answer_dialog() {
    local dialog
    dialog=$(wait_dialog) || exit 1
    place_window "$dialog" 700 0
    save_artifact "$dialog" "$1"
    focus_window "$dialog"
    xdotool key Return
    wait_for "the message box stays" not dialog_id
}

note "two files on the command line: the first opens, Page Down and Page Up walk the two"
start_viewer standard.epa awbm256-16x16.bin
logo=$(wait_window "LOGO .* standard.epa") || exit 1
for step in "Next awbm256-16x16.bin" "Next awbm256-16x16.bin" "Prior standard.epa" "Prior standard.epa"; do
    focus_window "$logo"
    xdotool key "${step% *}"
    logo=$(wait_window "LOGO .* ${step#* }") || exit 1
done
place_window "$logo" 0 260
wait_status "$logo" "No earlier logo file here"

note "one file: Page Down passes over notalogo.txt and stops after the folder's last logo"
start_viewer awbm256-640x480.bin
for step in "Next standard.epa" "Next textlogo-80x22.bin" "Next x-empty-0x0.bin" "Next x-indexed-40x30-cut.bmp" \
    "Next x-indexed-40x30.bmp" "Prior x-indexed-40x30-cut.bmp"; do
    logo=$(wait_window "LOGO .*") || exit 1
    focus_window "$logo"
    xdotool key "${step% *}"
    wait_window "LOGO .* ${step#* }" >/dev/null
done
for file in x-indexed-40x30-cut.bmp x-indexed-40x30.bmp; do
    logo=$(wait_window "LOGO .* $file") || exit 1
    focus_window "$logo"
    xdotool key Next
done
wait_status "$logo" "No further logo file here"

note "drops: on the empty main window, on a logo window, two files on a frame window"
cp awbm256-16x16.bin "$WORK/a name with spaces & 100%.bin"
start_viewer
main=$(wait_window "$MAIN_TITLE") || exit 1
drop "$main" "$WORK/a name with spaces & 100%.bin"
logo=$(wait_window "LOGO .* a name with spaces & 100%.bin") || exit 1
place_window "$logo" 0 260
drop "$logo" "$FIX/asus-osb640.bin"
frames=$(wait_window "Frame 00 .* asus-osb640.bin") || exit 1
place_window "$frames" 0 260
drop "$frames" "$FIX/standard.epa" "$FIX/awbm256-640x480.bin"
logo=$(wait_window "LOGO .* standard.epa") || exit 1
focus_window "$logo"
xdotool key Next
logo=$(wait_window "LOGO .* awbm256-640x480.bin") || exit 1

note "a folder and a FIFO: a message naming the file, the loaded logo stays"
mkfifo "$WORK/fifo"
drop "$logo" "$WORK"
answer_dialog message-folder-dropped.png
has_window "LOGO .* awbm256-640x480.bin" || fail "dropping a folder closed the logo"
drop "$logo" "$WORK/fifo"
answer_dialog message-fifo-dropped.png
has_window "LOGO .* awbm256-640x480.bin" || fail "dropping a FIFO closed the logo"
for case in "$WORK folder-argument" "$WORK/fifo fifo-argument" "notalogo.txt unknown-format"; do
    start_viewer "${case% *}"
    answer_dialog "message-${case##* }.png"
    wait_window "$MAIN_TITLE" >/dev/null
    has_window "LOGO" && fail "${case% *} opened a LOGO window"
done

note "a TEXTLOGO too large for memory: one message, then its window says it has no picture"
start_viewer "$ZARPO2_SOURCE/tests/crashers/load/textlogo-window-width-overflow.bin"
answer_dialog message-no-memory.png
logo=$(wait_window LOGO) || exit 1
dialog_id >/dev/null && fail "more than one message for one load"
wait_status "$logo" "textlogo-window-width-overflow.bin: no picture in this file"

note "an empty picture and a cut one say so in the status line"
start_viewer x-empty-0x0.bin
logo=$(wait_window LOGO) || exit 1
place_window "$logo" 0 260
wait_status "$logo" "x-empty-0x0.bin: no picture in this file"
save_artifact "$logo" empty-picture.png
start_viewer x-indexed-40x30-cut.bmp
logo=$(wait_window LOGO) || exit 1
place_window "$logo" 0 260
wait_status "$logo" "x-indexed-40x30-cut.bmp: the file ends before the picture is complete"
save_artifact "$logo" cut-picture.png
start_viewer x-indexed-40x30.bmp
logo=$(wait_window LOGO) || exit 1
wait_status "$logo" "x-indexed-40x30.bmp  |"

stop_viewer
echo "viewer files: all checks passed"
