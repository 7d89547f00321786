#!/bin/bash
# Zoom in a real X server: a small picture opens enlarged; the zoom keys, Ctrl and the
# wheel, and fit show the picture scaled pixel for pixel; a window made smaller gets
# scroll bars and scrolls, a larger one keeps the pictures in its middle; a character-cell
# logo and the frame window zoom alike.
. "$(dirname "$0")/viewer_lib.sh"
unset ZARPO2_ZOOM
start_x
cli_png "$FIX/awbm256-16x16.bin" "$FIX/awbm256-640x480.bin" "$FIX/standard.epa" "$FIX/asus-osb640.bin"
small="$WORK/cli/awbm256-16x16.png" large="$WORK/cli/awbm256-640x480.png"
black_at() { [ "$(convert "$WORK/shot.png" -crop "$1" -format '%[fx:maxima.r+maxima.g+maxima.b]' info:)" = 0 ]; }

note "a 16 x 16 logo opens at 16x, within a quarter of the 2560 x 1600 screen"
start_viewer "$FIX/awbm256-16x16.bin"
logo=$(placed LOGO 400 0) || exit 1
[ "$(window_size "$logo")" = "256x306" ] || fail "16 x 16 logo window is $(window_size "$logo")"
wait_picture "$logo" "$(enlarged "$small" 16)" 256x256+0+50
wait_status "$logo" "zoom 16×"
save_artifact "$logo" zoom-16x.png

note "1 to 4, + and -: the picture at that zoom, its 200 x 155 layout in the middle of the view"
focus_window "$logo"
for step in "1 1" "2 2" "3 3" "4 4" "plus 5" "minus 4"; do
    set -- $step
    xdotool key "$1"
    wait_picture "$logo" "$(enlarged "$small" "$2")" "$((16 * $2))x$((16 * $2))+33+115"
    wait_status "$logo" "zoom $2×"
done
save_artifact "$logo" zoom-4x.png

note "Ctrl and the wheel zoom in and out; f fits the picture to the window"
xdotool mousemove --window "$logo" 128 150 keydown ctrl click 4 keyup ctrl
wait_status "$logo" "zoom 5×"
xdotool keydown ctrl click 5 click 5 keyup ctrl
wait_status "$logo" "zoom 3×"
xdotool key f
wait_picture "$logo" "$(enlarged "$small" 16)" 256x256+0+50
wait_status "$logo" "fit 1600 %"

note "640 x 480 at 1x in a window made 340 x 300: scroll bars, the wheel scrolls"
start_viewer "$FIX/awbm256-640x480.bin"
logo=$(placed LOGO 0 260) || exit 1
xdotool windowsize --sync "$logo" 340 300
convert "$large" -crop 324x234+0+0 +repage "$WORK/top-left.png"
wait_picture "$logo" "$WORK/top-left.png" 324x234+0+50
not black_at 16x200+324+60 || fail "no vertical scroll bar"
not black_at 300x16+0+284 || fail "no horizontal scroll bar"
save_artifact "$logo" zoom-scroll-bars.png
xdotool mousemove --window "$logo" 150 150 click 5
convert "$large" -crop 324x200+0+16 +repage "$WORK/scrolled.png"
wait_picture "$logo" "$WORK/scrolled.png" 324x200+0+50

note "fit in the small window: 50 % (every second pixel), no scroll bars; 1 and a larger window: the picture in its middle"
focus_window "$logo"
xdotool key f
wait_status "$logo" "fit 50 %"
import -window "$logo" "$WORK/shot.png"
black_at 2x200+338+60 || fail "scroll bars stay when fitting"
save_artifact "$logo" zoom-fit.png
xdotool key 1
xdotool windowsize --sync "$logo" 800 600
wait_picture "$logo" "$large" 640x480+80+85

note "a character-cell logo opens at 3x: three pictures 408 x 252"
start_viewer "$FIX/standard.epa"
logo=$(placed LOGO 0 260) || exit 1
[ "$(window_size "$logo")" = "1314x314" ] || fail "Standard EPA window at 3x is $(window_size "$logo")"
wait_status "$logo" "zoom 3×"
top=$(picture_row "$logo" "$(enlarged "$WORK/cli/standard.png" 3)" 408x252) || fail "the Original picture at 3x is not on screen"
# ColorMap at x 2 * 408 + 65: cell 0 has attribute 1, blue.
[ "$(pixel 881 "$top")" = "0,0,168" ] || fail "ColorMap at 3x does not start blue"
save_artifact "$logo" zoom-character-cell-3x.png

note "the frame window of 48 x 32 frames opens at 16x; 2 shows them at 2x"
start_viewer "$FIX/asus-osb640.bin"
frames=$(placed "Frame 00" 0 260) || exit 1
[ "$(window_size "$frames")" = "768x562" ] || fail "frame window at 16x is $(window_size "$frames")"
save_artifact "$frames" zoom-frame-window-16x.png
frame0="$WORK/cli/asus-osb640-(Frame00).png"
wait_picture "$frames" "$(enlarged "$frame0" 16)" 768x512+0+12
focus_window "$frames"
xdotool key 2
wait_picture "$frames" "$(enlarged "$frame0" 2)" 96x64+362+205
wait_status "$frames" "zoom 2×"

stop_viewer
echo "viewer zoom: all checks passed"
