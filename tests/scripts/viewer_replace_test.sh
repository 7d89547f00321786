#!/bin/bash
# The ROM list's Replace... in a real X server: a picture dropped on the Replace window or
# chosen in its chooser (a PNG, a JPEG, a PCX or an AWBM logo file) is encoded for the
# chosen slot, shown beside the current logo with the room it takes and the checks that
# held; Save As writes the new image, byte for byte what "zarpo2-cli replace" writes for
# the same picture, never over the opened ROM; the saved image's scan lists the new logo.
# A file that is no picture is refused with its name and reason, and nothing is written.
# In German the window, its report and its messages are German.
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
DATA="$ZARPO2_SOURCE/tests/data"
CHOOSER="Choose a picture or logo file"
# What zarpo2-cli replace writes into slot 2 for picture $1, as $WORK/cli-NAME.rom, and the
# PNG of the logo the new image holds there, as $WORK/cli-NAME/*LOGO_BMP.png.
cli_replace() {
    local name
    name=$(basename "$1")
    "$ZARPO2_CLI" replace --logo 2 "$WORK/roms/award-sums.bin" "$1" "$WORK/cli-$name.rom" >/dev/null ||
        fail "zarpo2-cli replace failed on $name"
    "$ZARPO2_CLI" scan --png "$WORK/cli-$name" "$WORK/cli-$name.rom" >/dev/null || fail "cannot scan cli-$name.rom"
}
# Ctrl+S in the Replace window $1, the name $2 typed in the chooser titled $3.
save_as() {
    focus_window "$1"
    xdotool key ctrl+s
    chooser=$(placed "$3" 700 0) || exit 1
    focus_window "$chooser"
    xdotool type --delay 50 "$2"
    xdotool key Return
}
# The picture $2 chosen through the Picture... button (alt+p) of window $1: its name typed
# in the chooser, which opens in the folder of the last picture ($WORK, where they are).
choose_picture() {
    focus_window "$1"
    xdotool key alt+p
    chooser=$(placed "$CHOOSER" 700 0) || exit 1
    focus_window "$chooser"
    xdotool type --delay 50 "$(basename "$2")"
    xdotool key Return
    wait_for "the picture chooser stays" not has_window "$CHOOSER"
}
# Picture $2, a file the command took, previewed in window $1, saved as $WORK/roms/$3: the
# preview shows what the command's image holds in the slot (128 x 48, centred in the
# right-hand box of 342 x 250 at 352, 5), the saved image is the command's.
previewed_and_saved() {
    local name
    name=$(basename "$2")
    wait_for "$name was not verified ($(replace_text "$1"))" text_has "$1" "verified: "
    wait_picture "$1" "$(echo "$WORK/cli-$name"/*LOGO_BMP.png)" 128x48+459+106
    save_as "$1" "$3" "Save ROM As"
    wait_file "$WORK/roms/$3"
    wait_for "the window did not say it wrote $3" text_has "$1" "Wrote $3 to $WORK/roms"
    cmp -s "$WORK/roms/$3" "$WORK/cli-$name.rom" || fail "the image saved for $name differs from zarpo2-cli replace's"
    "$ZARPO2_CLI" scan "$WORK/roms/$3" | grep -q 'LOGO.BMP' || fail "the scan of the image saved for $name lost the logo"
}

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
wait_for "the window did not say it wrote the file" text_has "$window" "Wrote saved.rom to $WORK/roms"
cmp -s "$WORK/roms/saved.rom" "$WORK/cli.rom" || fail "the saved image differs from zarpo2-cli replace's"
"$ZARPO2_CLI" scan "$WORK/roms/saved.rom" | grep -q 'LOGO.BMP' || fail "the saved image's scan lost the logo"

note "a file that is no picture: refused with its name and reason in the window and a message box"
printf 'no picture here\n' >"$WORK/notes.txt"
cp "$DATA/jpeg/magick.jpg" "$DATA/award/awbm16.bin" "$WORK/"
ls "$WORK/roms" >"$WORK/roms-before"
choose_picture "$window" "$WORK/notes.txt"
wait_for "the refusal was not shown ($(replace_text "$window"))" text_has "$window" \
    "Cannot use $WORK/notes.txt as the new logo: LOGO type is unknown"
answer_dialog Return replace-refused.png
save_artifact "$window" rom-replace-refused.png
focus_window "$window"
xdotool key ctrl+s
sleep 1
has_window "Save ROM As" && fail "Save As was offered after a refusal"
"$ZARPO2_XDND" "$window" 300 100 "$WORK/cli" || fail "the drop of a folder failed"
wait_for "the folder was not refused ($(replace_text "$window"))" text_has "$window" \
    "Cannot use $WORK/cli as the new logo: not a regular file"
answer_dialog Return
ls "$WORK/roms" | cmp -s - "$WORK/roms-before" || fail "a refusal wrote a file"

note "a JPEG chosen in the chooser: previewed, saved, the command's image"
cli_replace "$WORK/magick.jpg"
choose_picture "$window" "$WORK/magick.jpg"
previewed_and_saved "$window" "$WORK/magick.jpg" jpeg.rom
save_artifact "$window" rom-replace-jpeg.png

note "an AWBM logo file chosen, a PCX logo file dropped: the same as the command's"
cli_replace "$WORK/awbm16.bin"
choose_picture "$window" "$WORK/awbm16.bin"
previewed_and_saved "$window" "$WORK/awbm16.bin" awbm.rom
cli_replace "$DATA/pcx/biostar.pcx"
"$ZARPO2_XDND" "$window" 300 100 "$DATA/pcx/biostar.pcx" || fail "the drop failed"
previewed_and_saved "$window" "$DATA/pcx/biostar.pcx" pcx.rom
stop_viewer

note "Deutsch: the list's button, the window's title, report, messages and chooser"
start_viewer
main=$(placed "$MAIN_TITLE" 0 0) || exit 1
focus_window "$main"
xdotool key --delay 60 alt+e Down Right Down Return
"$ZARPO2_XDND" "$main" 100 60 "$WORK/roms/award-sums.bin" || fail "the drop of the ROM failed"
list=$(placed "Logos im ROM" 0 500) || exit 1
focus_window "$list"
xdotool key Down alt+e
window=$(placed "Logo ersetzen" 0 0) || exit 1
wait_for "the slot is not named in German ($(replace_text "$window"))" text_has "$window" 'Platz: Award LHA'
"$ZARPO2_XDND" "$window" 300 100 "$WORK/notes.txt" || fail "the drop failed"
wait_for "the refusal is not German ($(replace_text "$window"))" text_has "$window" \
    "$WORK/notes.txt taugt nicht als neues Logo: Logo-Typ ist unbekannt"
answer_dialog Return
"$ZARPO2_XDND" "$window" 300 100 "$WORK/new.png" || fail "the drop failed"
wait_for "the report is not German ($(replace_text "$window"))" text_has "$window" "Bytes; Raum "
text_has "$window" "korrigiert: byte B" || fail "the fixed checksums are not reported in German"
text_has "$window" "Pr\xc3\xbcfungen bestanden" || text_has "$window" "Prüfungen bestanden" ||
    fail "the verification is not reported in German"
save_artifact "$window" rom-replace-german.png
save_as "$window" saved-de.rom "ROM speichern als"
wait_file "$WORK/roms/saved-de.rom"
wait_for "the window did not say in German that it wrote the file" text_has "$window" "saved-de.rom nach $WORK/roms geschrieben"
cmp -s "$WORK/roms/saved-de.rom" "$WORK/cli.rom" || fail "the image saved in German differs from zarpo2-cli replace's"
stop_viewer
echo "viewer Replace checked"
