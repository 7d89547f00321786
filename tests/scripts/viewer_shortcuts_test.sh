#!/bin/bash
# Copy, full screen and the shortcuts shown, in a real X server: Ctrl+C puts the frame on
# screen on the clipboard as a PNG (read back with xclip); F11 puts a picture window on the
# whole screen and Escape takes it back to its size; the frame window's buttons have
# tooltips naming their keys; the View menu names Page Down and Page Up; the frame window's
# smallest size keeps its counter and delay readable; the ROM list keeps its buttons whole
# when narrow.
. "$(dirname "$0")/viewer_lib.sh"
command -v xclip >/dev/null || fail "xclip is not installed (scripts/install-deps.sh installs it)"
start_x
cli_png "$FIX/asus-osb640.bin"
main_aside() { main=$(placed "$MAIN_TITLE" 1200 0) || exit 1; }
clipboard_png() { xclip -selection clipboard -t image/png -o >"$WORK/clip.png" 2>/dev/null && [ -s "$WORK/clip.png" ]; }
tooltip_shown() {
    local id
    for id in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
        [ -z "$(xdotool getwindowname "$id" 2>/dev/null)" ] && [ "$(window_size "$id" | cut -dx -f2)" -le 40 ] &&
            echo "$id" && return 0
    done
    return 1
}

note "Ctrl+C in the frame window: the second frame on the clipboard, as a PNG of its own size"
# At 8x the window (384 wide) is wider than the smallest the row allows.
ZARPO2_ZOOM=8 start_viewer "$FIX/asus-osb640.bin"
frames=$(placed "Frame 00" 0 0) || exit 1
main_aside
focus_window "$frames"
xdotool key Right
wait_title "$frames" "Frame 01"
xdotool key ctrl+c
wait_status "$frames" "Copied 48 × 32 pixels to the clipboard"
wait_for "the clipboard holds no image/png" clipboard_png
cmp -s <(rgb_of "$WORK/clip.png") <(rgb_of "$WORK/cli/asus-osb640-(Frame01).png") ||
    fail "the clipboard holds other pixels than frame 01"
[ "$(identify -format '%wx%h' "$WORK/clip.png")" = 48x32 ] || fail "the clipboard's picture is not 48 x 32"
save_artifact "$frames" clipboard-copied.png

note "the frame window's buttons name their keys in tooltips"
xdotool mousemove --window "$frames" $(($(window_size "$frames" | cut -dx -f1) / 2)) $(($(window_size "$frames" | cut -dx -f2) - 12))
sleep 0.3
xdotool mousemove --window "$frames" $(($(window_size "$frames" | cut -dx -f1) / 2 + 2)) $(($(window_size "$frames" | cut -dx -f2) - 13))
tip=$(wait_for "no tooltip over the play button" tooltip_shown && tooltip_shown) || exit 1
[ "$(window_size "$tip" | cut -dx -f1)" -gt 60 ] || fail "the play button's tooltip is $(window_size "$tip")"
save_artifact "$tip" tooltip-play-button.png
xdotool mousemove 2000 1500

note "the frame window's smallest size fits the counter beside the buttons and the whole delay choice"
min_w=$(xprop -id "$frames" WM_NORMAL_HINTS | sed -n 's/.*minimum size: \([0-9]*\) by.*/\1/p')
[ "${min_w:-0}" -ge 260 ] || fail "the frame window may be made ${min_w:-?} pixels wide"
xdotool windowsize --sync "$frames" "$min_w" 150
save_artifact "$frames" frame-window-smallest.png

note "F11: the logo window on the whole screen; Escape: back to its size"
start_viewer "$FIX/awbm256-640x480.bin"
logo=$(placed LOGO 0 0) || exit 1
main_aside
size=$(window_size "$logo")
screen_windows() {
    local id
    for id in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
        [ "$(window_size "$id")" = 2560x1600 ] && echo "$id"
    done
}
before=$(screen_windows)
focus_window "$logo"
xdotool key F11
# Without a window manager the toolkit maps the window anew, borderless and screen-sized.
full_screen() { [ -n "$(comm -13 <(echo "$before" | sort) <(screen_windows | sort))" ]; }
wait_for "F11 did not make the window full screen" full_screen
full=$(comm -13 <(echo "$before" | sort) <(screen_windows | sort) | head -n1)
save_artifact "$full" full-screen.png
focus_window "$full"
xdotool key Escape
wait_for "Escape did not end the full screen" eval '[ "$(window_size "$(wait_window LOGO)")" = "$size" ]'
has_window LOGO || fail "Escape closed the window it took off the full screen"

note "View menu: Page Down and Page Up named so, Ctrl+C and F11 shown"
focus_window "$main"
opening_popup xdotool key --delay 60 alt+v
popup=$(xdotool search --onlyvisible --name '' 2>/dev/null | while read -r id; do
    size=$(window_size "$id")
    [ -z "$(xdotool getwindowname "$id" 2>/dev/null)" ] && [ "${size#*x}" -gt 200 ] && [ "${size%x*}" -lt 2560 ] && echo "$id"
done | head -n1)
[ -n "$popup" ] || fail "no View menu"
save_artifact "$popup" view-menu.png
# The entries' key column: every entry but the dividers' neighbours has text at its right.
[ "$(window_size "$popup" | cut -dx -f1)" -ge 250 ] || fail "the View menu is $(window_size "$popup"): no room for the keys"
xdotool key Escape

note "the ROM list made narrow keeps its Open button whole"
cp "$ZARPO2_SOURCE/tests/data/roms/award.bin" "$WORK/"
start_viewer "$WORK/award.bin"
list=$(placed "Logos in ROM" 0 0) || exit 1
main_aside
import -window "$list" "$WORK/wide.png"
convert "$WORK/wide.png" -gravity SouthEast -crop 95x30+0+0 +repage "$WORK/open-wide.png"
xdotool windowsize --sync "$list" 320 200
narrow_button() {
    import -window "$list" "$WORK/narrow.png" &&
        convert "$WORK/narrow.png" -gravity SouthEast -crop 95x30+0+0 +repage "$WORK/open-narrow.png" &&
        cmp -s <(rgb_of "$WORK/open-wide.png") <(rgb_of "$WORK/open-narrow.png")
}
wait_for "the Open button changed at 320 pixels wide" narrow_button
save_artifact "$list" rom-list-narrow.png

stop_viewer
echo "viewer shortcuts: all checks passed"
