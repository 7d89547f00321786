#!/bin/bash
# The viewer's menus driven from the keyboard in a real X server: Open LOGO (load, flush,
# cancel), the Verbose toggle, Export As on refused and accepted formats, the German
# menus, About and Documentation, and Exit.
. "$(dirname "$0")/viewer_lib.sh"
need python3
start_x
FIX="$WORK/fixtures"
python3 "$(dirname "$0")/viewer_fixtures.py" "$FIX"
rm -f "$FIX"/asus-*  # the chooser's list below holds the other three logos only
MAIN_TITLE="Tallisk, ZARPO-G2"
CHOOSER_TITLE="Load BIOS-LOGO file"
WARNING_256='===>>> WARNING: Encoding from "AWBM256 EPA" Isn'"'"'t Available'

# Keys sent to the main window.
keys() {
    focus_window "$main"
    xdotool key --delay 60 "$@"
}

# The chooser fills its file name field when it has listed the folder; typing before that
# would mix the two. Waits until the list (white when empty) shows files.
wait_file_list() {
    for _ in $(seq $((WAIT_SECONDS * 5))); do
        import -window "$1" "$WORK/chooser.png" 2>/dev/null &&
            [ "$(convert "$WORK/chooser.png" -crop 460x200+15+50 -format '%[fx:mean<0.99]' info:)" = 1 ] && return 0
        sleep 0.2
    done
    fail "the chooser never listed the fixture folder"
}

# File > Open LOGO on a file of the fixture folder (the chooser starts in the working
# folder), double-clicked in the chooser's list: typing into its name field races with the
# completion the chooser runs as each key arrives. The list is sorted, "../" first, then
# awbm256-16x16.bin, awbm256-640x480.bin, standard.epa.
LIST_ROW_TOP=55
LIST_ROW_PITCH=19
open_logo() {
    keys ctrl+o
    local chooser
    chooser=$(wait_window "$CHOOSER_TITLE") || exit 1
    wait_file_list "$chooser"
    xdotool mousemove --window "$chooser" 60 $((LIST_ROW_TOP + LIST_ROW_PITCH * $1)) click --repeat 2 --delay 100 1
}

visible_count() {
    xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l
}

wait_count() {
    for _ in $(seq $((WAIT_SECONDS * 10))); do
        [ "$(visible_count "$1")" -eq "$2" ] && return 0
        sleep 0.1
    done
    fail "$(visible_count "$1") windows titled '$1', expected $2"
}

menu_bar_rgb() {
    import -window "$main" "$WORK/menubar.png"
    rgb_of "$WORK/menubar.png" 300x25+0+0
}

mkdir -p "$WORK/home%d%s/Documentation"
cp "$ZARPO2_SOURCE/docs/Documentation/index.html" "$WORK/home%d%s/Documentation/"
cd "$FIX" || fail "no fixture folder"
ls >"$WORK/files-before"

note "-verbose with two file names: nothing loaded, verbose stays off"
ZARPO2HOME="$WORK/home%d%s" start_viewer -verbose awbm256-16x16.bin standard.epa
main=$(wait_window "$MAIN_TITLE") || exit 1
has_window LOGO && fail "two file names loaded a logo"
english_bar="$WORK/english.rgb"
save_artifact "$main" main-window-english.png
menu_bar_rgb >"$english_bar"

note "Export As with nothing loaded is silent"
keys ctrl+e Down Right Return

note "File > Open LOGO loads the chosen file"
open_logo 1
logo=$(wait_window LOGO) || exit 1
place_window "$logo" 0 300
[ "$(window_size "$logo")" = "200x175" ] || fail "logo window is $(window_size "$logo")"
grep -q '>>>' "$WORK/out" && fail "verbose is on: $(cat "$WORK/out")"

note "Export As: AWBM16 refuses an AWBM256 logo, AWBM256PLIN takes it, AWBM256 refuses it"
keys ctrl+e Down Right Return
keys ctrl+e Down Right Down Down Down Return
keys ctrl+e Down Right Down Return
for _ in $(seq $((WAIT_SECONDS * 10))); do
    [ "$(grep -c '' "$WORK/out")" -ge 2 ] && break
    sleep 0.1
done
[ "$(cat "$WORK/out")" = "$(printf '%s\n%s' "$WARNING_256" "$WARNING_256")" ] ||
    fail "Export As printed: $(cat "$WORK/out")"
ls >"$WORK/files-after"
cmp -s "$WORK/files-before" "$WORK/files-after" || fail "Export As wrote files: $(diff "$WORK/files-before" "$WORK/files-after")"

note "Extras > Verbose turns the trace on; Open LOGO flushes the loaded logo first"
keys alt+e Down Down Return
open_logo 3
wait_output "===>>> MEMORY: Static Buffers Flushed"
wait_output "====>>> SYMBOLIC NAME: Standard EPA, ID: 1"
wait_count LOGO 1
logo=$(wait_window LOGO) || exit 1
place_window "$logo" 0 300
[ "$(window_size "$logo")" = "690x187" ] || fail "the new logo window is $(window_size "$logo")"

note "cancelling Open LOGO keeps the loaded logo"
keys ctrl+o
chooser=$(wait_window "$CHOOSER_TITLE") || exit 1
focus_window "$chooser"
xdotool key Escape
for _ in $(seq $((WAIT_SECONDS * 10))); do
    has_window "$CHOOSER_TITLE" || break
    sleep 0.1
done
has_window "$CHOOSER_TITLE" && fail "the chooser did not close"
has_window LOGO || fail "cancelling the chooser closed the logo"
keys ctrl+s
wait_file "$FIX/standard.png"

note "Deutsch: the menus change, Ctrl+E still opens Export As"
keys alt+e Down Right Down Return
for _ in $(seq $((WAIT_SECONDS * 10))); do
    menu_bar_rgb | cmp -s - "$english_bar" || break
    sleep 0.1
done
menu_bar_rgb | cmp -s - "$english_bar" && fail "the menu bar did not change for Deutsch"
save_artifact "$main" main-window-german.png
menu_bar_rgb >"$WORK/german.rgb"
keys ctrl+e Down Right Return
wait_output 'Encoding from "Standard EPA"'
menu_bar_rgb | cmp -s - "$WORK/german.rgb" || fail "Ctrl+E changed the German menus"

note "About, twice: two dialogs (German texts)"
keys ctrl+a
about=$(wait_window About) || exit 1
[ "$(window_size "$about")" = "520x420" ] || fail "About is $(window_size "$about")"
place_window "$about" 700 0
save_artifact "$about" about-german.png
keys ctrl+a
wait_count About 2
for about in $(xdotool search --onlyvisible --name '^About$'); do
    place_window "$about" 700 0
done

note "back to English"
keys alt+e Down Right Return
for _ in $(seq $((WAIT_SECONDS * 10))); do
    menu_bar_rgb | cmp -s - "$english_bar" && break
    sleep 0.1
done
save_artifact "$main" main-window-english-again.png
menu_bar_rgb | cmp -s - "$english_bar" || fail "the English menu bar did not come back"
keys ctrl+a
wait_count About 3
about=$(xdotool search --onlyvisible --name '^About$' | tail -n1)
place_window "$about" 1300 0
save_artifact "$about" about-english.png

note "Documentation opens the guide under ZARPO2HOME (a name with percent signs)"
keys ctrl+d
guide=$(wait_window "zarpo2 User Guide") || exit 1
place_window "$guide" 0 500
save_artifact "$guide" documentation.png

note "File > Exit ends with status 0"
keys ctrl+q
wait "$VIEWER_PID"
status=$?
VIEWER_PID=""
[ "$status" -eq 0 ] || fail "Exit ended with status $status"

echo "viewer menus: all checks passed"
