#!/bin/bash
# The frame window of a multi-frame logo in a real X server: its title and size, the
# picture of each frame compared with the headless decoder's PNG, the back, forward and
# play buttons, I/O > Info, the German frame title, a frame without pixels, and the flush
# when the window is closed. (viewer_save_test.sh checks the frames saved.)
. "$(dirname "$0")/viewer_lib.sh"
start_x
cli_png "$FIX/asus-osb640.bin"
"$ZARPO2_CLI" png --out-dir "$WORK/cli" "$FIX/asus-osb640-empty-frame.bin" >/dev/null 2>&1
# The frame without pixels shows black.
convert -size 48x32 xc:black "$WORK/cli/asus-osb640-empty-frame-(Frame01).png"

# Window 200 x 175 (the 48 x 32 frames get the 200 x 125 minimum); the frame box starts at
# (200 - 48) / 4 = 38 and is 200 wide, 32 + 25 high; the picture is centred in it. The
# buttons: x 200 / 2 - 50 (back), - 12 (play) and + 25 (forward), each 25 wide, at y 125 + 25.
PICTURE=48x32+114+12
BACK_X=62 PLAY_X=100 FORWARD_X=137

NAME=asus-osb640
frame_png() { printf '%s/cli/%s-(Frame%02d).png' "$WORK" "$NAME" "$1"; }
click() { xdotool mousemove --window "$frames" "$1" 162 click 1; }

# Clicks the button at x $1, then waits for the title and picture of frame $2, if given.
step() {
    click "$1"
    [ $# -lt 2 ] && return 0
    wait_title "$frames" "Frame 0$2"
    wait_picture "$frames" "$(frame_png "$2")" "$PICTURE"
}

note "a three-frame logo opens the frame window on frame 0, still"
start_viewer -verbose "$FIX/asus-osb640.bin"
main=$(wait_window "$MAIN_TITLE") || exit 1
frames=$(placed "Frame 00" 0 300) || exit 1
[ "$(window_size "$frames")" = "200x175" ] || fail "frame window is $(window_size "$frames")"
wait_picture "$frames" "$(frame_png 0)" "$PICTURE"
save_artifact "$frames" frame-window.png
grep -qxF "====>>> PROPERTIES (WxHxF): (30 px) x (20 px), 3 frame(s)" "$WORK/out" || fail "no PROPERTIES trace"

note "forward to the last frame and no further, back to the first and no further"
step $FORWARD_X 1
step $FORWARD_X 2
step $FORWARD_X
step $BACK_X 1
step $BACK_X 0
step $BACK_X
step $FORWARD_X 1

note "play cycles 2, 0, 1 at two frames a second; play again stops"
click $PLAY_X
for f in 2 0 1; do
    wait_title "$frames" "Frame 0$f"
    wait_picture "$frames" "$(frame_png $f)" "$PICTURE"
done
save_artifact "$frames" frame-window-playing.png
click $PLAY_X
# Stopped: the title shows the next frame at one more tick, then stays.
wait_for "frames still change after stop" title_stays "$frames"
still=$(xdotool getwindowname "$frames")

note "I/O > Info shows the frame count"
focus_window "$main"
xdotool key ctrl+n
answer_dialog Return frame-info-message.png

note "Deutsch: the title reads Bildlage from the next tick on"
focus_window "$main"
xdotool key --delay 60 alt+e Down Right Down Return
wait_title "$frames" "Bildlage ${still#Frame }"

note "closing the frame window flushes the logo"
focus_window "$frames"
xdotool key Escape
wait_output "===>>> MEMORY: Dynamic Buffers Flushed"
wait_for "frame window still shown" not eval 'xwininfo -id "$frames" | grep -q "Map State: IsViewable"'

note "a frame without pixels shows nothing and does not stop the others"
NAME=asus-osb640-empty-frame
start_viewer "$FIX/$NAME.bin"
frames=$(placed "Frame 00" 0 300) || exit 1
wait_picture "$frames" "$(frame_png 0)" "$PICTURE"
step $FORWARD_X 1
step $FORWARD_X 2

stop_viewer
echo "viewer frames: all checks passed"
