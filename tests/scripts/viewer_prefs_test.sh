#!/bin/bash
# Remembered state, in a real X server with a configuration folder of the test's own: File >
# Open Recent after a restart opens the file, vanished files are dropped; a window size and
# zoom the user set come back at the next start; the Open dialog's folder is remembered and
# its preview draws a logo file; --no-prefs starts clean and writes nothing.
. "$(dirname "$0")/viewer_lib.sh"
unset ZARPO2_NO_PREFS ZARPO2_ZOOM
export XDG_CONFIG_HOME="$WORK/config" HOME="$WORK/home"
mkdir -p "$HOME"
PREFS="$XDG_CONFIG_HOME/zarpo2/zarpo2.prefs"
start_x
python3 "$(dirname "$0")/viewer_fixtures.py" "$WORK/more" more || fail "cannot write the fixtures"
cli_png "$FIX/awbm256-16x16.bin"
main_at() { placed "$MAIN_TITLE" 1200 0; }

note "two files opened, one of them then deleted"
cp "$FIX/standard.epa" "$WORK/more/gone.epa"
start_viewer "$WORK/more/gone.epa"
logo=$(placed "LOGO .* gone.epa" 0 0) || exit 1
quits_with ctrl+q "$logo"
start_viewer "$FIX/awbm256-16x16.bin"
logo=$(placed "LOGO .* awbm256-16x16.bin" 0 0) || exit 1
note "a window size and zoom set by the user: 400 x 380 at 3x"
xdotool windowsize --sync "$logo" 400 380
focus_window "$logo"
xdotool key 3
wait_status "$logo" "zoom 3×"
quits_with ctrl+q "$logo"
grep -q "awbm256-16x16.bin" "$PREFS" || fail "the preferences hold no recent file: $(cat "$PREFS")"
rm "$WORK/more/gone.epa"

note "after a restart: Open Recent lists the file that is left, first, and opens it"
start_viewer
main=$(main_at) || exit 1
not grep -q "gone.epa" "$PREFS" || fail "the vanished file stays in the preferences"
focus_window "$main"
opening_popup xdotool key --delay 80 alt+f
opening_popup xdotool key --delay 80 c
save_artifact "$(xdotool search --onlyvisible --name '' | tail -n1)" open-recent-menu.png
xdotool key --delay 80 1
logo=$(placed "LOGO .* awbm256-16x16.bin" 0 0) || exit 1
note "the remembered window: 400 x 380 at 3x"
[ "$(window_size "$logo")" = "400x380" ] || fail "the window came back $(window_size "$logo")"
wait_status "$logo" "zoom 3×"
save_artifact "$logo" open-recent-restored-window.png
stop_viewer

note "the Open dialog: its preview draws a logo; its folder is remembered"
mkdir "$WORK/pick"
cp "$FIX/awbm256-16x16.bin" "$WORK/pick/"
cd "$WORK/pick" || fail "no folder"
start_viewer
main=$(main_at) || exit 1
focus_window "$main"
xdotool key ctrl+o
chooser=$(wait_window "Load BIOS-LOGO file") || exit 1
wait_for "the chooser never listed its folder" chooser_listed "$chooser"
# Entry 1, below "../": the logo, chosen by one click.
xdotool mousemove --window "$chooser" 60 74 click 1
# The colour of the logo's pixel 8, 8 fills a block of the preview (at least 10 x 10).
colour=$(rgb_of "$WORK/cli/awbm256-16x16.png" 1x1+8+8 | od -An -tx1 | tr -d ' \n' | tr a-f A-F)
previewed() {
    import -window "$chooser" "$WORK/chooser.png" &&
        [ "$(convert "$WORK/chooser.png" -depth 8 txt:- | grep -c "#$colour")" -ge 100 ]
}
wait_for "the preview does not draw the logo" previewed
save_artifact "$chooser" open-dialog-preview.png
xdotool key Return
wait_window "LOGO .* awbm256-16x16.bin" >/dev/null || exit 1
wait_for "the Open dialog's folder is not remembered" grep -q "folder.open:$WORK/pick" "$PREFS"
stop_viewer

note "--no-prefs: the defaults, and nothing written"
cp "$PREFS" "$WORK/prefs-before"
start_viewer --no-prefs "$FIX/awbm256-16x16.bin"
logo=$(placed "LOGO .* awbm256-16x16.bin" 0 0) || exit 1
[ "$(window_size "$logo")" = "256x306" ] || fail "--no-prefs opened a window of $(window_size "$logo")"
xdotool windowsize --sync "$logo" 300 300
quits_with ctrl+q "$logo"
cmp -s "$PREFS" "$WORK/prefs-before" || fail "--no-prefs changed the preferences"
ZARPO2_NO_PREFS=1 start_viewer "$FIX/awbm256-16x16.bin"
logo=$(placed "LOGO .* awbm256-16x16.bin" 0 0) || exit 1
[ "$(window_size "$logo")" = "256x306" ] || fail "ZARPO2_NO_PREFS opened a window of $(window_size "$logo")"

stop_viewer
echo "viewer preferences: all checks passed"
