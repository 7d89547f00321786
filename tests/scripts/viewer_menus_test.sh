#!/bin/bash
# The viewer's menus driven from the keyboard in a real X server: Open LOGO (load, flush,
# cancel), the Verbose toggle, Export As on refused and accepted formats, the German
# menus and back, About and Documentation. (viewer_keys_test.sh presses the same
# shortcuts in every window and ends the viewer.)
. "$(dirname "$0")/viewer_lib.sh"
start_x
rm -f "$FIX"/asus-*  # the chooser's list below holds the other three logos only
CHOOSER_TITLE="Load BIOS-LOGO file"
WARNING_256='===>>> WARNING: Encoding from "AWBM256 EPA" Isn'"'"'t Available'

keys() { focus_window "$main"; xdotool key --delay 60 "$@"; }

# File > Open LOGO on entry $1 of the chooser's list, double-clicked once it is listed:
# typing into its name field races with the completion the chooser runs as each key
# arrives. The chooser starts in the working folder, sorted: "../", awbm256-16x16.bin,
# awbm256-640x480.bin, standard.epa.
open_logo() {
    keys ctrl+o
    local chooser
    chooser=$(wait_window "$CHOOSER_TITLE") || exit 1
    wait_for "the chooser never listed the fixture folder" chooser_listed "$chooser"
    xdotool mousemove --window "$chooser" 60 $((55 + 19 * $1)) click --repeat 2 --delay 100 1
}

menu_bar_is() {
    import -window "$main" "$WORK/menubar.png" && cmp -s <(rgb_of "$WORK/menubar.png" 300x25+0+0) "$1"
}

mkdir -p "$WORK/home%d%s/Documentation"
cp "$ZARPO2_SOURCE/docs/Documentation/index.html" "$WORK/home%d%s/Documentation/"
cd "$FIX" || fail "no fixture folder"
ls >"$WORK/files-before"

note "-verbose with two file names: nothing loaded, verbose stays off"
ZARPO2HOME="$WORK/home%d%s" start_viewer -verbose awbm256-16x16.bin standard.epa
main=$(wait_window "$MAIN_TITLE") || exit 1
has_window LOGO && fail "two file names loaded a logo"
[ -s "$WORK/out" ] && fail "two file names printed: $(cat "$WORK/out")"
save_artifact "$main" main-window-english.png
rgb_of "$WORK/settle.png" 300x25+0+0 >"$WORK/english.rgb"

note "Export As with nothing loaded is silent"
keys ctrl+e Down Right Return

note "File > Open LOGO loads the chosen file"
open_logo 1
logo=$(placed LOGO 0 300) || exit 1
[ "$(window_size "$logo")" = "200x175" ] || fail "logo window is $(window_size "$logo")"
grep -q '>>>' "$WORK/out" && fail "verbose is on: $(cat "$WORK/out")"

note "Export As: AWBM16 and AWBM256 refuse an AWBM256 logo, in the status line too"
keys ctrl+e Down Right Return
keys ctrl+e Down Right Down Return
wait_for "Export As printed fewer than two lines" eval '[ "$(grep -c "" "$WORK/out")" -ge 2 ]'
[ "$(cat "$WORK/out")" = "$(printf '%s\n%s' "$WARNING_256" "$WARNING_256")" ] ||
    fail "Export As printed: $(cat "$WORK/out")"
wait_for "the warning is not in the status line" status_has "$logo" "Isn't Available"
cmp -s "$WORK/files-before" <(ls) || fail "Export As wrote files: $(ls)"

note "Export As AWBM256PLIN takes it: the proposed name beside the input, a file that opens as such"
keys ctrl+e Down Right Down Down Down Return
chooser=$(wait_window "Export As AWBM256PLIN") || exit 1
focus_window "$chooser"
xdotool key Return
wait_file "$FIX/awbm256-16x16.awbm"
"$ZARPO2_CLI" identify awbm256-16x16.awbm | grep -qF "AWBM256 EPA (Compressed), 16x16" ||
    fail "the exported file reads as $("$ZARPO2_CLI" identify awbm256-16x16.awbm 2>&1)"
wait_for "the status line does not tell the file written" status_has "$logo" "1"
rm -f awbm256-16x16.awbm  # the chooser below lists the fixtures alone

note "Extras > Verbose turns the trace on; Open LOGO flushes the loaded logo first"
keys alt+e Down Down Return
open_logo 3
wait_output "===>>> MEMORY: Static Buffers Flushed"
wait_output "====>>> SYMBOLIC NAME: Standard EPA, ID: 1"
wait_for "more than one LOGO window" window_count_is LOGO 1
logo=$(placed LOGO 0 300) || exit 1
[ "$(window_size "$logo")" = "690x187" ] || fail "the new logo window is $(window_size "$logo")"

note "cancelling Open LOGO keeps the loaded logo"
keys ctrl+o
chooser=$(wait_window "$CHOOSER_TITLE") || exit 1
focus_window "$chooser"
xdotool key Escape
wait_for "the chooser did not close" not has_window "$CHOOSER_TITLE"
has_window LOGO || fail "cancelling the chooser closed the logo"
keys ctrl+s
wait_file "$FIX/standard.png"

note "Deutsch: the menus change, Ctrl+E still opens Export As"
keys alt+e Down Right Down Return
wait_for "the menu bar did not change for Deutsch" not menu_bar_is "$WORK/english.rgb"
save_artifact "$main" main-window-german.png
rgb_of "$WORK/settle.png" 300x25+0+0 >"$WORK/german.rgb"
keys ctrl+e Down Right Return
wait_output 'Encoding from "Standard EPA"'
menu_bar_is "$WORK/german.rgb" || fail "Ctrl+E changed the German menus"

note "About, 520 x 420 (German texts)"
keys ctrl+a
# Out of the menu bar's way: screenshots show whatever lies over the window.
about=$(placed About 700 0) || exit 1
[ "$(window_size "$about")" = "520x420" ] || fail "About is $(window_size "$about")"
save_artifact "$about" about-german.png

note "back to English"
keys alt+e Down Right Return
wait_for "the English menu bar did not come back" menu_bar_is "$WORK/english.rgb"

note "Documentation opens the guide under ZARPO2HOME (a name with percent signs)"
keys ctrl+d
guide=$(placed "zarpo2 User Guide" 0 500) || exit 1
save_artifact "$guide" documentation.png

stop_viewer

echo "viewer menus: all checks passed"
