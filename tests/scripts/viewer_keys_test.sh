#!/bin/bash
# The keys in a real X server, in every window that has them: zoom (1 to 4, + and -,
# Ctrl with plus and minus, f), the menu shortcuts (Ctrl+S, Ctrl+O, Shift+Ctrl+S, Ctrl+A,
# Ctrl+D, Ctrl+Q), F1, p, Page Down and Page Up in the main, logo, palette and frame
# windows, and Left, Right, Home, End and Space in the frame window.
. "$(dirname "$0")/viewer_lib.sh"
start_x
unset ZARPO2HOME  # F1 and Ctrl+D find the guide of the source tree the viewer was built from
GUIDE="zarpo2 User Guide"

# Presses each key in window $1 and waits for the picture window's status line.
zoom_keys() {
    local step
    for step in "2 zoom 2×" "plus zoom 3×" "minus zoom 2×" "ctrl+equal zoom 3×" "ctrl+minus zoom 2×" \
        "4 zoom 4×" "3 zoom 3×" "f fit" "1 zoom 1×"; do
        focus_window "$1"
        xdotool key "${step%% *}"
        wait_status "$picture" "${step#* }"
    done
}

# The menu shortcuts and F1 pressed in window $1; $2 is what Ctrl+S writes, $3 its count.
menu_keys() {
    local step title count
    rm -f "$2"
    focus_window "$1"
    xdotool key ctrl+s
    wait_file "$2"
    wait_status "$picture" "Wrote $3 to $FIX"
    for step in "ctrl+o Load BIOS-LOGO file" "ctrl+shift+s Save As PNG"; do
        title=${step#* }
        focus_window "$1"
        xdotool key "${step%% *}"
        focus_window "$(wait_window "$title")"
        xdotool key Escape
        wait_for "'$title' stays open" not has_window "$title"
    done
    for step in "F1 $GUIDE" "ctrl+d $GUIDE" "ctrl+a About"; do
        title=${step#* }
        count=$(windows "$title" | wc -l)
        focus_window "$1"
        xdotool key "${step%% *}"
        wait_for "${step%% *} opened no '$title'" window_count_is "$title" $((count + 1))
        for window in $(windows "$title"); do place_window "$window" 1400 0; done
    done
}

cd "$FIX" || fail "no fixture folder"

note "the logo window, the main window and the palette window: zoom, menu keys, F1"
start_viewer awbm256-16x16.bin
main=$(wait_window "$MAIN_TITLE") || exit 1
picture=$(placed LOGO 0 260) || exit 1
for window in "$picture" "$main"; do
    zoom_keys "$window"
    menu_keys "$window" "$FIX/awbm256-16x16.png" "awbm256-16x16.png"
done
focus_window "$picture"
xdotool key p
palette=$(placed Palette 400 260) || exit 1
# Swatch 1, at 30, 8: the second colour the picture uses, its index 16 (6-bit 48, 16, 16).
xdotool mousemove --window "$palette" 40 18
wait_status "$palette" "Colour 1: R 192, G 64, B 64"
import -window "$palette" "$WORK/shot.png"
[ "$(pixel 40 18)" = "192,64,64" ] || fail "swatch 1 is not the picture's second colour"
save_artifact "$palette" palette-window.png
zoom_keys "$palette"
menu_keys "$palette" "$FIX/awbm256-16x16.png" "awbm256-16x16.png"

note "Deutsch: the status line in German"
focus_window "$main"
xdotool key --delay 60 alt+e Down Right Down Return
focus_window "$picture"
xdotool key 2
wait_status "$picture" "256-Farben-Palette, 64 verschiedene  |  Zoom 2×"

note "Page Down and Page Up in each window: the next logo file of the folder and back"
# The logo window of file $1, placed, with its palette window open.
shown() {
    picture=$(placed "LOGO .* $1" 0 260) || exit 1
    focus_window "$picture"
    xdotool key p
    palette=$(placed Palette 400 260) || exit 1
}
window_of() { case $1 in main) echo "$main" ;; logo) echo "$picture" ;; palette) echo "$palette" ;; esac; }
shown awbm256-16x16.bin
for kind in main logo palette; do
    focus_window "$(window_of $kind)"
    xdotool key Next
    shown awbm256-640x480.bin
    focus_window "$(window_of $kind)"
    xdotool key Prior
    shown awbm256-16x16.bin
done

note "Ctrl+Q in the palette window ends the viewer with status 0"
quits_with ctrl+q "$palette"

note "the frame window: Right, Left, Home, End step the frames; Space plays and stops"
start_viewer asus-osb640.bin
frames=$(placed "Frame 00" 0 260) || exit 1
picture=$frames
for step in "Right 01" "Right 02" "Right 02" "Home 00" "End 02" "Left 01" "Left 00" "Left 00"; do
    focus_window "$frames"
    xdotool key "${step% *}"
    wait_title "$frames" "Frame ${step#* }"
done
xdotool key space
wait_title "$frames" "Frame 02"
xdotool key space
wait_for "the frames go on after Space" title_stays "$frames"
zoom_keys "$frames"
menu_keys "$frames" "$FIX/asus-osb640-(Frame02).png" "3 files"
focus_window "$frames"
xdotool key Prior
frames=$(wait_window "Frame 00 .* asus-osb640-empty-frame.bin") || exit 1
quits_with ctrl+q "$frames"

echo "viewer keys: all checks passed"
