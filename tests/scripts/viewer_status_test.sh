#!/bin/bash
# What the status line and the title tell, in a real X server: warnings for a JPEG libjpeg
# rejects, a cut file and a blank picture (a line and a mark in the title); the colour
# count as the format's palette and the picture's distinct colours; the pixel under the
# mouse at two zooms; the one file a save wrote; the system's reason for a file that
# cannot be opened; the frame counter numbering frames as the title does.
. "$(dirname "$0")/viewer_lib.sh"
unset ZARPO2_ZOOM
start_x
python3 "$(dirname "$0")/viewer_fixtures.py" "$WORK/more" more || fail "cannot write the fixtures"
cp "$ZARPO2_SOURCE/tests/data/jpeg/precision-12.jpg" "$WORK/more/rejected.jpg"
cli_png "$FIX/awbm256-16x16.bin"
small="$WORK/cli/awbm256-16x16.png"
MARK="⚠"
# "#RRGGBB" of pixel $2, $3 of PNG $1.
hex_of() { printf '#%s' "$(rgb_of "$1" "1x1+$2+$3" | od -An -tx1 | tr -d ' \n' | tr a-f A-F)"; }
title_has_mark() { xdotool getwindowname "$1" | grep -qF " $MARK"; }

note "warnings: a line in the status line and a mark in the title"
for case in "$WORK/more/rejected.jpg|the JPEG data could not be decoded: showing a test pattern" \
    "$FIX/x-indexed-40x30-cut.bmp|the file ends before the picture is complete" \
    "$WORK/more/black-64x48.bin|the picture is all one colour" \
    "$FIX/x-empty-0x0.bin|no picture in this file"; do
    file=${case%%|*} warning=${case#*|}
    start_viewer "$file"
    logo=$(placed "LOGO .* $(basename "$file")" 400 0) || exit 1
    wait_status "$logo" "$(basename "$file"): $warning  |"
    title_has_mark "$logo" || fail "no mark in the title of $(basename "$file"): $(xdotool getwindowname "$logo")"
    save_artifact "$logo" "warning-$(basename "$file").png"
done
start_viewer "$FIX/awbm256-16x16.bin"
logo=$(placed "LOGO .* awbm256-16x16.bin" 400 0) || exit 1
wait_status "$logo" "awbm256-16x16.bin  |"
not title_has_mark "$logo" || fail "a mark in the title of a sound logo"

note "colours: the format's 256-colour palette and the distinct colours ImageMagick counts"
distinct=$(identify -format '%k' "$small")
wait_status "$logo" "256-colour palette, $distinct distinct  |"

note "the pixel under the mouse at 16x and at 4x: its place, its palette window number, #RRGGBB"
# At 16x the picture fills the 256 x 256 below the 50 rows of tabs and status line.
xdotool mousemove --window "$logo" $((3 * 16 + 8)) $((50 + 5 * 16 + 8))
wait_status "$logo" "x 3, y 5  colour "
wait_status "$logo" "$(hex_of "$small" 3 5)  |"
save_artifact "$logo" pixel-under-mouse-16x.png
focus_window "$logo"
xdotool key 4
wait_status "$logo" "zoom 4×"
# At 4x the 64 x 64 picture starts at 33, 115 (the 200 x 155 layout in the middle).
xdotool mousemove --window "$logo" $((33 + 12 * 4 + 1)) $((115 + 9 * 4 + 2))
wait_status "$logo" "x 12, y 9  colour "
wait_status "$logo" "$(hex_of "$small" 12 9)  |"
save_artifact "$logo" pixel-under-mouse-4x.png
xdotool mousemove --window "$logo" 5 200
wait_for "the pixel stays in the status line off the picture" not status_has "$logo" "x 12, y 9"

note "Save as PNG of one file names it"
cd "$WORK/more" || fail "no fixture folder"
cp "$FIX/awbm256-16x16.bin" "$WORK/more/a-rather-long-name-taken-from-a-rom-00005d3e-AWARDEPA_BIN.bin"
start_viewer a-rather-long-name-taken-from-a-rom-00005d3e-AWARDEPA_BIN.bin blocks-20x12.bin
logo=$(placed "LOGO .* a-rather-long-name.*" 400 0) || exit 1
focus_window "$logo"
xdotool key ctrl+s
wait_status "$logo" "Wrote a-rather-long-name-taken-from-a-rom-00005d3e-AWARDEPA_BIN.png to $WORK/more"
save_artifact "$logo" status-wrote-one-file.png

note "a file that cannot be opened: the alert as before, the reason in the status line"
rm blocks-20x12.bin
focus_window "$logo"
xdotool key Next
answer_dialog Return
wait_status "$logo" "Cannot open blocks-20x12.bin: No such file or directory"
save_artifact "$logo" status-cannot-open.png

note "the frame counter names the frame the title names, and its place counted from 1"
counter_of() { xprop -id "$1" -notype _ZARPO2_COUNTER 2>/dev/null | sed -n 's/^[^"]*"\(.*\)"$/\1/p'; }
start_viewer "$FIX/asus-osb640.bin"
frames=$(placed "Frame 00" 400 0) || exit 1
focus_window "$frames"
xdotool key Right
wait_title "$frames" "Frame 01"
wait_for "the counter never said 'Frame 01 (2 of 3)' (it says '$(counter_of "$frames")')" \
    eval '[ "$(counter_of "$frames")" = "Frame 01 (2 of 3)" ]'
save_artifact "$frames" frame-counter.png

stop_viewer
echo "viewer status: all checks passed"
