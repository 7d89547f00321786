#!/bin/bash
# Files in the viewer in a real X server: several files on the command line; Page Down and
# Page Up through a list and through a folder, the empty and the cut picture named in the
# status line on the way; files dropped on the main, logo and frame windows (an XDND drop);
# a folder, a FIFO, an unknown and a missing file refused with one message; one message
# for a picture too large for memory.
. "$(dirname "$0")/viewer_lib.sh"
[ -x "${ZARPO2_XDND:-}" ] || { echo "SKIP: the XDND drop client was not built"; exit 77; }
start_x
cd "$FIX" || fail "no fixture folder"
drop() { "$ZARPO2_XDND" "$1" 100 100 "${@:2}" || fail "the drop on window $1 failed"; }
# Each argument "KEY FILE": KEY pressed in the logo window, then the logo window of FILE.
pages() {
    local step
    for step in "$@"; do
        focus_window "$logo"
        xdotool key "${step% *}"
        logo=$(wait_window "LOGO .* ${step#* }") || exit 1
    done
}

note "two files on the command line: the first opens, Page Down and Page Up walk the two"
start_viewer standard.epa awbm256-16x16.bin
logo=$(wait_window "LOGO .* standard.epa") || exit 1
pages "Next awbm256-16x16.bin" "Next awbm256-16x16.bin" "Prior standard.epa" "Prior standard.epa"
wait_status "$logo" "No earlier logo file here"

note "one file: Page Down passes over notalogo.txt, names empty and cut pictures, stops after the last logo"
start_viewer awbm256-640x480.bin
logo=$(wait_window "LOGO .* awbm256-640x480.bin") || exit 1
pages "Next standard.epa" "Next textlogo-80x22.bin" "Next x-empty-0x0.bin"
wait_status "$logo" "x-empty-0x0.bin: no picture in this file"
save_artifact "$logo" empty-picture.png
pages "Next x-indexed-40x30-cut.bmp"
wait_status "$logo" "x-indexed-40x30-cut.bmp: the file ends before the picture is complete"
save_artifact "$logo" cut-picture.png
pages "Next x-indexed-40x30.bmp"
wait_status "$logo" "x-indexed-40x30.bmp  |"
pages "Prior x-indexed-40x30-cut.bmp" "Next x-indexed-40x30.bmp" "Next x-indexed-40x30.bmp"
wait_status "$logo" "No further logo file here"

note "drops: on the empty main window, on a logo window, two files on a frame window"
cp awbm256-16x16.bin "$WORK/a name with spaces & 100%.bin"
start_viewer
main=$(wait_window "$MAIN_TITLE") || exit 1
drop "$main" "$WORK/a name with spaces & 100%.bin"
logo=$(placed "LOGO .* a name with spaces & 100%.bin" 0 260) || exit 1
drop "$logo" "$FIX/asus-osb640.bin"
frames=$(placed "Frame 00 .* asus-osb640.bin" 0 260) || exit 1
drop "$frames" "$FIX/standard.epa" "$FIX/awbm256-640x480.bin"
logo=$(wait_window "LOGO .* standard.epa") || exit 1
pages "Next awbm256-640x480.bin"

note "a folder and a FIFO dropped: a message naming the file, the loaded logo stays"
mkfifo "$WORK/fifo"
for file in "$WORK folder" "$WORK/fifo fifo"; do
    drop "$logo" "${file% *}"
    answer_dialog Return "message-${file#* }-dropped.png"
    has_window "LOGO .* awbm256-640x480.bin" || fail "dropping a ${file#* } closed the logo"
done

note "a folder, a FIFO, an unknown and a missing file named: a message, then the main window alone"
for case in "$WORK folder-argument" "$WORK/fifo fifo-argument" "notalogo.txt unknown-format" \
    "no-such-file.bin missing-file"; do
    start_viewer "${case% *}"
    wait_dialog >/dev/null || exit 1
    has_window "$MAIN_TITLE" && fail "${case% *}: the main window came before the message was answered"
    answer_dialog Return "message-${case##* }.png"
    wait_window "$MAIN_TITLE" >/dev/null
    [ -z "$(windows '(LOGO|Logos in ROM)')" ] || fail "${case% *} opened a LOGO window or a ROM's list"
done

note "a TEXTLOGO too large for memory: one message, then its window says it has no picture"
start_viewer "$ZARPO2_SOURCE/tests/crashers/load/textlogo-window-width-overflow.bin"
answer_dialog Return message-no-memory.png
logo=$(wait_window LOGO) || exit 1
dialog_id >/dev/null && fail "more than one message for one load"
wait_status "$logo" "textlogo-window-width-overflow.bin: no picture in this file"

stop_viewer
echo "viewer files: all checks passed"
