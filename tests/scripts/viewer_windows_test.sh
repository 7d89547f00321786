#!/bin/bash
# The viewer in a real X server: the main window and its picture, logo windows of a small
# picture, character-cell logos and a 256-colour logo compared pixel for pixel with the
# headless decoder's PNG, the Info tab and Escape. Screenshots are kept under gui-artifacts/
# in the build folder.
. "$(dirname "$0")/viewer_lib.sh"
start_x
cli_png "$FIX/awbm256-16x16.bin" "$FIX/awbm256-640x480.bin" "$FIX/standard.epa" "$FIX/textlogo-80x22.bin"

note "no arguments: banner on stdout, the main window with its picture"
start_viewer
main=$(wait_window "$MAIN_TITLE") || exit 1
[ "$(window_size "$main")" = "300x180" ] || fail "main window is $(window_size "$main")"
grep -qF -- "-=Tallisk, ZARPO-G2, version 0.16 (Pelbrook)=-" "$WORK/out" || fail "no banner"
# The picture, 280 x 150, sits centred in the area below the menu bar.
(echo "/* XPM */ static char *logo[] = {" && sed -n '/^    "/p' "$ZARPO2_SOURCE/ui/logo_pixmap.h" && echo "};") >"$WORK/logo.xpm"
convert "$WORK/logo.xpm" "$WORK/logo.png"
wait_picture "$main" "$WORK/logo.png" 280x150+10+25
save_artifact "$main" main-window.png
has_window LOGO && fail "a LOGO window opened with nothing to load"

note "a 16 x 16 logo: 200 x 175 window, picture at 5, 50, no banner; the info tab hides the picture"
start_viewer "$FIX/awbm256-16x16.bin"
logo=$(placed LOGO 0 260) || exit 1
[ "$(window_size "$logo")" = "200x175" ] || fail "16 x 16 logo window is $(window_size "$logo")"
wait_picture "$logo" "$WORK/cli/awbm256-16x16.png" 16x16+5+50
grep -q "Tallisk" "$WORK/out" && fail "a logo on the command line printed the banner"
save_artifact "$logo" logo-16x16.png
xdotool mousemove --window "$logo" 15 10 click 1
wait_for "the info tab still shows the picture" not shows "$logo" "$WORK/cli/awbm256-16x16.png" 16x16+5+50

note "a character-cell logo: three pictures in a 690 x 187 window"
start_viewer -verbose "$FIX/standard.epa"
logo=$(placed LOGO 0 260) || exit 1
[ "$(window_size "$logo")" = "690x187" ] || fail "Standard EPA window is $(window_size "$logo")"
save_artifact "$logo" character-cell-logo.png
top=$(picture_row "$logo" "$WORK/cli/standard.png" 136x84) || fail "the Original picture is not on screen"
# FontMap (at x 136 + 35): a light-red grid on each cell's last column and row.
# ColorMap (at x 2 * 136 + 65): cell 0 has attribute 1, blue; its grid pixels are black.
for check in "178 $top 252,84,84" "171 $((top + 13)) 252,84,84" "337 $top 0,0,168" "344 $top 0,0,0"; do
    set -- $check
    [ "$(pixel "$1" "$2")" = "$3" ] || fail "panel pixel $1,$2 is $(pixel "$1" "$2"), expected $3"
done
for line in '===>>> LOGO: FileIO for "'"$FIX"'/standard.epa" Opened' \
    "====>>> SYMBOLIC NAME: Standard EPA, ID: 1" \
    "====>>> PROPERTIES (WxHxF): (88 px) x (54 px), 0 frame(s)" \
    '===>>> LOGO: FileIO for "'"$FIX"'/standard.epa" Closed'; do
    grep -qxF -- "$line" "$WORK/out" || fail "verbose line missing: $line"
done

note "Escape closes the logo window and unloads the logo"
focus_window "$logo"
xdotool key Escape
wait_output "===>>> MEMORY: Static Buffers Flushed"
has_window LOGO && fail "the LOGO window is still shown"

note "a 640 x 352 TEXTLOGO: three pictures side by side, 2010 wide"
start_viewer "$FIX/textlogo-80x22.bin"
logo=$(placed LOGO 0 260) || exit 1
[ "$(window_size "$logo")" = "2010x414" ] || fail "TEXTLOGO window is $(window_size "$logo")"
save_artifact "$logo" character-cell-640-wide.png
picture_row "$logo" "$WORK/cli/textlogo-80x22.png" 640x352 >/dev/null || fail "the Original TEXTLOGO is not on screen"

note "a 640 x 480 256-colour logo, shown whole in its 640 x 530 window"
start_viewer "$FIX/awbm256-640x480.bin"
logo=$(placed LOGO 0 260) || exit 1
[ "$(window_size "$logo")" = "640x530" ] || fail "640 x 480 logo window is $(window_size "$logo")"
wait_picture "$logo" "$WORK/cli/awbm256-640x480.png" 640x480+0+50

stop_viewer
echo "viewer windows: all checks passed"
