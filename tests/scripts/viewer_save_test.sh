#!/bin/bash
# Saving in a real X server: Save As writes the name typed in its chooser and asks before
# it replaces a file; a multi-frame logo gives an animated PNG whose frames are the frame
# PNGs, with the frame delay chosen in the frame window; the status line tells where the
# files went after Save As, and why a file was not written.
. "$(dirname "$0")/viewer_lib.sh"
start_x
cli_png "$FIX/awbm256-16x16.bin" "$FIX/asus-osb640.bin"
CHOOSER="Save As PNG"

# Shift+Ctrl+S in window $1, the name $2 typed over the suggested one (which is selected;
# a name no file begins with keeps the chooser from completing it), then Return.
save_as() {
    local chooser
    focus_window "$1"
    xdotool key ctrl+shift+s
    chooser=$(placed "$CHOOSER" 700 0) || exit 1
    focus_window "$chooser"
    xdotool type --delay 50 "$2"
    xdotool key Return
    wait_for "the Save As chooser stays" not has_window "$CHOOSER"
}

note "Ctrl+S with a folder in the way: the status line says why the file was not written"
start_viewer "$FIX/awbm256-16x16.bin"
logo=$(placed LOGO 0 260) || exit 1
mkdir "$FIX/awbm256-16x16.png"
focus_window "$logo"
xdotool key ctrl+s
wait_status "$logo" "Cannot write awbm256-16x16.png: Is a directory"
save_artifact "$logo" status-after-failed-save.png

note "Save As: the name typed; asked again, Cancel keeps the file and Replace writes it"
save_as "$logo" zz-picked
wait_file "$FIX/zz-picked.png"
wait_status "$logo" "Wrote zz-picked.png to $FIX"
cmp -s <(rgb_of "$FIX/zz-picked.png") <(rgb_of "$WORK/cli/awbm256-16x16.png") || fail "Save As wrote other pixels"
echo old >"$FIX/zz-picked.png"
save_as "$logo" zz-picked.png
answer_dialog Escape save-as-replace-question.png
[ "$(cat "$FIX/zz-picked.png")" = old ] || fail "Cancel replaced the file"
save_as "$logo" zz-picked.png
answer_dialog Return
wait_for "Replace did not write the PNG" cmp -s <(rgb_of "$FIX/zz-picked.png") <(rgb_of "$WORK/cli/awbm256-16x16.png")

note "Save As of three frames: an animated PNG of the frame PNGs at 0.5 s, then at the 1 s chosen"
start_viewer "$FIX/asus-osb640.bin"
frames=$(placed "Frame 00" 0 260) || exit 1
save_as "$frames" zz-anim
wait_status "$frames" "Wrote 4 files to $FIX"
mkdir "$WORK/split"
python3 "$(dirname "$0")/apng_frames.py" "$FIX/zz-anim.png" "$WORK/split" >"$WORK/apng" || fail "zz-anim.png is no APNG"
[ "$(cat "$WORK/apng")" = "$(printf 'frames 3\ndelay 500/1000\ndelay 500/1000\ndelay 500/1000')" ] ||
    fail "animated PNG: $(cat "$WORK/apng")"
for f in 0 1 2; do
    frame=$(printf 'asus-osb640-(Frame%02d).png' "$f")
    cmp -s <(rgb_of "$WORK/split/frame$f.png") <(rgb_of "$WORK/cli/$frame") || fail "animated frame $f differs"
    cmp -s <(rgb_of "$FIX/zz-anim-(Frame0$f).png") <(rgb_of "$WORK/cli/$frame") || fail "frame file $f differs"
done
# The delay choice right of the forward button: one down from 0.5s is 1s.
opening_popup xdotool mousemove --window "$frames" 170 162 click 1
xdotool key Down Return
xdotool mousemove 2500 1500  # away from the choice and its tooltip
save_as "$frames" zz-anim.png
answer_dialog Return
wait_for "the new delay was not written" grep -q "delay 1000/1000" <(python3 "$(dirname "$0")/apng_frames.py" "$FIX/zz-anim.png" "$WORK/split")
save_artifact "$frames" frame-window-after-save-as.png

stop_viewer
echo "viewer save: all checks passed"
