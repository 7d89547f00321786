#!/bin/bash
# How a picture fits its window, in a real X server: fit takes the largest whole zoom that
# fits (every pixel an equal square block), says so in the status line and follows a
# resized window without a scroll bar; a logo wider than a 1280 x 800 screen opens at the
# largest zoom that fits inside it; Page Down and Page Up keep the size, place and zoom the
# user gave the window; the picture's edge is drawn round it, and a cut file's missing rows
# are outlined.
. "$(dirname "$0")/viewer_lib.sh"
unset ZARPO2_ZOOM
SCREEN=${FIT_SCREEN:-}
start_x "${SCREEN:-1280x800x24}"
python3 "$(dirname "$0")/viewer_fixtures.py" "$WORK/more" more || fail "cannot write the fixtures"
cli_png "$FIX/awbm256-16x16.bin" "$FIX/awbm256-640x480.bin" "$FIX/textlogo-80x22.bin" "$WORK/more/black-64x48.bin" "$FIX/x-indexed-40x30-cut.bmp"
small="$WORK/cli/awbm256-16x16.png"
# The colour of every pixel of column $1 of the last screenshot, one a line.
column_colours() { convert "$WORK/shot.png" -crop "1x$2+$1+0" +repage -depth 8 txt:- | sed -n 's/.*#\([0-9A-F]\{6\}\).*/\1/p'; }
black_at() { [ "$(convert "$WORK/shot.png" -crop "$1" -format '%[fx:maxima.r+maxima.g+maxima.b]' info:)" = 0 ]; }
# Every second pixel of PNG $1 (the top-left one of each 2 x 2 block): the picture at 50 %.
halved() {
    local size
    size=$(identify -format '%w %h' "$1")
    set -- "$1" $size
    rgb_of "$1" | python3 -c '
import sys
w, h = int(sys.argv[1]), int(sys.argv[2])
data = sys.stdin.buffer.read()
rows = [data[y * w * 3:(y + 1) * w * 3] for y in range(0, h - h % 2, 2)]
sys.stdout.buffer.write(b"".join(b"".join(r[x * 3:x * 3 + 3] for x in range(0, w - w % 2, 2)) for r in rows))' "$2" "$3" |
        convert -size "$(($2 / 2))x$(($3 / 2))" -depth 8 rgb:- "$WORK/halved.png"
    echo "$WORK/halved.png"
}
window_place() { xwininfo -id "$1" | awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4} END {print x "," y}'; }
# The main window out of the way of the picture windows, at the screen's bottom right.
main_aside() { place_window "$(wait_window "$MAIN_TITLE")" 960 600; }

note "fit in a window made 300 x 250: 12x, blocks of 12 pixels, no scroll bar; resized, the fit follows"
start_viewer "$FIX/awbm256-16x16.bin"
logo=$(placed LOGO 0 0) || exit 1
main_aside
xdotool windowsize --sync "$logo" 300 250
focus_window "$logo"
xdotool key f
wait_status "$logo" "fit 1200 %"
# The 200 x 222 layout in the middle of the 300 x 230 view: the picture at 55, 54.
wait_picture "$logo" "$(enlarged "$small" 12)" 192x192+55+54
black_at 16x180+284+45 || fail "a vertical scroll bar while fitting"
black_at 50x16+0+234 || fail "a horizontal scroll bar while fitting"
save_artifact "$logo" fit-12x.png
xdotool windowsize --sync "$logo" 400 400
wait_status "$logo" "fit 1600 %"
wait_picture "$logo" "$(enlarged "$small" 16)" 256x256+72+97
# Smaller than the window's layout at 1x: the picture and its margins still fit, at 4x.
xdotool windowsize --sync "$logo" 150 120
wait_status "$logo" "fit 400 %"
bottom_black() { import -window "$logo" "$WORK/shot.png" && black_at 150x5+0+115; }
wait_for "a scroll bar in a window smaller than the layout" bottom_black
save_artifact "$logo" fit-small-window.png

note "the picture's edge: a grey line one pixel outside a black picture"
ZARPO2_ZOOM=2 start_viewer "$WORK/more/black-64x48.bin"
logo=$(placed LOGO 0 0) || exit 1
main_aside
wait_status "$logo" "zoom 2×"
import -window "$logo" "$WORK/shot.png"
# 128 x 96 at 2x, at x 5: the column left of it grey from the row above to the row below.
edge=$(column_colours 4 175 | grep -c '^808080$')
[ "$edge" -eq 98 ] || fail "the picture's left edge is not outlined ($edge grey pixels)"
save_artifact "$logo" edge-of-black-picture.png

note "a cut file: its missing rows (the top 8 of a bottom-up BMP) marked in orange beside them"
ZARPO2_ZOOM=1 start_viewer "$FIX/x-indexed-40x30-cut.bmp"
logo=$(placed LOGO 0 0) || exit 1
main_aside
wait_status "$logo" "the file ends before the picture is complete"
import -window "$logo" "$WORK/shot.png"
cut=$(column_colours 4 175 | grep -c '^FF4000$')
[ "$cut" -eq 9 ] || fail "the cut rows' mark is $cut pixels high, not 8 rows and the tick below them"
wait_picture "$logo" "$WORK/cli/x-indexed-40x30-cut.png" 40x30+5+$(($(column_colours 4 175 | grep -n '^FF4000$' | head -n1 | cut -d: -f1) - 1))
save_artifact "$logo" edge-of-cut-picture.png

note "a 640 x 352 character-cell logo on a 1280 x 800 screen: at 50 %, inside the screen"
start_viewer "$FIX/textlogo-80x22.bin"
logo=$(wait_window LOGO) || exit 1
main_aside
wait_status "$logo" "fit 50 %"
[ "$(window_size "$logo")" = "1050x238" ] || fail "the logo window is $(window_size "$logo")"
inside_screen() {
    local place size
    place=$(window_place "$1") size=$(window_size "$1")
    [ "${place%,*}" -ge 0 ] && [ "${place#*,}" -ge 0 ] && [ $((${place%,*} + ${size%x*})) -le 1280 ] &&
        [ $((${place#*,} + ${size#*x})) -le 800 ]
}
inside_screen "$logo" || fail "the logo window at $(window_place "$logo") reaches past the screen"
# The file is cut short: its last rows are outlined, so the rows above them are compared.
convert "$(halved "$WORK/cli/textlogo-80x22.png")" -crop 320x160+0+0 +repage "$WORK/halved-top.png"
picture_row "$logo" "$WORK/halved-top.png" 320x160 >/dev/null || fail "the picture at 50 % is not on screen"
save_artifact "$logo" fit-wide-logo-small-screen.png

note "Page Down and Page Up keep a window the user made 500 x 400, its place, and its zoom where it fits"
start_viewer "$FIX/awbm256-16x16.bin" "$WORK/more/blocks-20x12.bin" "$FIX/awbm256-640x480.bin"
logo=$(placed "LOGO .* awbm256-16x16.bin" 100 50) || exit 1
main_aside
xdotool windowsize --sync "$logo" 500 400
focus_window "$logo"
xdotool key 2
wait_status "$logo" "zoom 2×"
kept() {
    logo=$(wait_window "LOGO .* $1") || exit 1
    [ "$(window_size "$logo")" = "500x400" ] || fail "$1 opened in a window of $(window_size "$logo")"
    [ "$(window_place "$logo")" = "100,50" ] || fail "$1 opened at $(window_place "$logo")"
    wait_status "$logo" "$2"
}
xdotool key Next
kept blocks-20x12.bin "zoom 2×"
save_artifact "$logo" page-down-kept-size-and-zoom.png
focus_window "$logo"
xdotool key Next
# 640 x 480 does not fit the window at 2x: it is fitted, at 50 %.
kept awbm256-640x480.bin "fit 50 %"
save_artifact "$logo" page-down-kept-size-fitted.png
focus_window "$logo"
xdotool key Prior
kept blocks-20x12.bin "fit 1600 %"

stop_viewer
echo "viewer fit: all checks passed"
