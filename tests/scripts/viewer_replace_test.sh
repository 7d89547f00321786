#!/bin/bash
# The ROM list's Replace... in a real X server: a picture dropped on the Replace window is
# encoded for the chosen slot, shown beside the current logo with the room it takes and the
# checks that held; Save As writes the new image, byte for byte what "zarpo2-cli replace"
# writes, never over the opened ROM; the saved image's scan lists the new logo.
. "$(dirname "$0")/viewer_lib.sh"
[ -x "${ZARPO2_XDND:-}" ] || { echo "SKIP: the XDND drop client was not built"; exit 77; }
start_x
LIST="Logos in ROM"
REPLACE="Replace logo"
mkdir "$WORK/roms"
cp "$ZARPO2_SOURCE/tests/data/roms/award-sums.bin" "$WORK/roms/"
convert -size 160x100 xc:navy -fill yellow -draw "rectangle 20,20 140,80" "$WORK/new.png"
"$ZARPO2_CLI" replace --logo 2 "$WORK/roms/award-sums.bin" "$WORK/new.png" "$WORK/cli.rom" >/dev/null ||
    fail "zarpo2-cli replace failed"
replace_text() { xprop -id "$1" -notype _ZARPO2_REPLACE 2>/dev/null; }
text_has() { replace_text "$1" | grep -qF -- "$2"; }

note "Replace... on the second row opens the window for that slot"
start_viewer "$WORK/roms/award-sums.bin"
list=$(placed "$LIST" 0 500) || exit 1
focus_window "$list"
xdotool key Down alt+r
window=$(placed "$REPLACE" 0 0) || exit 1
wait_for "the window does not name the slot" text_has "$window" 'LOGO.BMP'

note "a PNG dropped on it: encoded for the slot, written in memory and verified"
"$ZARPO2_XDND" "$window" 300 100 "$WORK/new.png" || fail "the drop failed"
wait_for "the picture was not verified ($(replace_text "$window"))" text_has "$window" "verified: "
text_has "$window" "packed size: " || fail "no packed size shown"
text_has "$window" "fixed: byte B" || fail "byte B not reported"
save_artifact "$window" rom-replace.png

note "Save As over the opened ROM is refused; to a new file it writes what the command writes"
focus_window "$window"
xdotool key ctrl+s
chooser=$(placed "Save ROM As" 700 0) || exit 1
focus_window "$chooser"
xdotool type --delay 50 award-sums.bin
xdotool key Return
wait_for "saving over the ROM was not refused" text_has "$window" "Not written"
cmp -s "$WORK/roms/award-sums.bin" "$ZARPO2_SOURCE/tests/data/roms/award-sums.bin" || fail "the opened ROM changed"
focus_window "$window"
xdotool key ctrl+s
chooser=$(placed "Save ROM As" 700 0) || exit 1
focus_window "$chooser"
xdotool type --delay 50 saved.rom
xdotool key Return
wait_file "$WORK/roms/saved.rom"
wait_for "the window did not say it wrote the file" text_has "$window" "Wrote $WORK/roms/saved.rom"
cmp -s "$WORK/roms/saved.rom" "$WORK/cli.rom" || fail "the saved image differs from zarpo2-cli replace's"
"$ZARPO2_CLI" scan "$WORK/roms/saved.rom" | grep -q 'LOGO.BMP' || fail "the saved image's scan lost the logo"
stop_viewer
echo "viewer Replace checked"
