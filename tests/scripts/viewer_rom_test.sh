#!/bin/bash
# ROM images in a real X server: a ROM named on the command line opens the list of its
# logos, the rows those of "zarpo2-cli scan"; the second logo, chosen with Enter, shows the
# picture "scan --png" writes, and its title, status line and PNG file are named after the
# ROM, the offset and the member; a double click chooses another and the list stays; a ROM
# dropped on the list replaces its rows; a UEFI image's rows show their section paths and
# its PNG picture opens; File > Open ROM lists a logo file as the one logo it holds.
. "$(dirname "$0")/viewer_lib.sh"
[ -x "${ZARPO2_XDND:-}" ] || { echo "SKIP: the XDND drop client was not built"; exit 77; }
start_x
LIST="Logos in ROM"
mkdir "$WORK/roms" "$WORK/open-rom"
cp "$ZARPO2_SOURCE/tests/data/roms/award.bin" "$ZARPO2_SOURCE/tests/data/roms/phoenix.bin" \
    "$ZARPO2_SOURCE/tests/data/uefi/synthetic.bin" "$WORK/roms/"
cp "$FIX/awbm256-16x16.bin" "$WORK/open-rom/"
for rom in award phoenix synthetic; do
    "$ZARPO2_CLI" scan --json "$WORK/roms/$rom.bin" >"$WORK/$rom.json" &&
        "$ZARPO2_CLI" scan --png "$WORK/cli" "$WORK/roms/$rom.bin" >"$WORK/$rom.scan" || fail "zarpo2-cli scan $rom.bin failed"
done
cli_png "$FIX/awbm256-16x16.bin"

# The list window's rows, its _ZARPO2_ROWS property as xprop prints it in a UTF-8 locale.
rows_of() { LC_ALL=C.UTF-8 xprop -id "$1" -notype _ZARPO2_ROWS 2>/dev/null; }
# The rows are those the scan printed as JSON.
rows_match() {
    rows_of "$1" | python3 -c '
import json, sys
text = sys.stdin.buffer.read().decode()
rows = text[text.index("\"") + 1:text.rindex("\"")].replace("\\t", "\t").replace("\\n", "\n").replace("\\\"", "\"")
def row(logo):
    place = "%s \"%s\"" % (logo["container"], logo["name"]) + (" (%s)" % logo["detail"] if logo["detail"] else "")
    if logo["container"] == "UEFI":
        place = "UEFI " + logo["detail"]
    return "\t".join([logo["hexOffset"], place, logo["compression"], logo["formatName"],
                      "%u \u00d7 %u" % (logo["width"], logo["height"]), str(max(logo["frameCount"], 1))]) + "\n"
records = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8")]
sys.exit(rows != "".join(row(r) for r in records if "skipped" not in r))' "$2"
}
wait_rows() { wait_for "the list of $2 does not show the logos zarpo2-cli scan finds" rows_match "$1" "$WORK/$2.json"; }

# The stem of the PNG file "scan --png" wrote for logo $2 (counted from 1) of ROM $1.
png_stem() { sed -n "$2p" "$WORK/$1.scan" | sed 's/.* -> //; s/\.png$//; s|.*/||'; }

note "a ROM on the command line: the list of its logos, no LOGO window, no message"
start_viewer "$WORK/roms/award.bin"
list=$(placed "$LIST" 0 500) || exit 1
title_is "$list" "$LIST — award.bin" || fail "the list is titled $(xdotool getwindowname "$list")"
wait_rows "$list" award
has_window LOGO && fail "the ROM opened a LOGO window"
dialog_id >/dev/null && fail "the ROM gave a message"
save_artifact "$list" rom-list-award.png

note "Enter on the second row: its picture, named after the ROM, the offset and the member"
stem=$(png_stem award 2)
[ "$stem" = "award_bin-00005d3e-AWARDEPA_BIN" ] || fail "zarpo2-cli scan named the second logo $stem"
focus_window "$list"
xdotool key Down Return
logo=$(placed "LOGO .* $stem" 0 260) || exit 1
wait_for "the chosen logo is not the picture zarpo2-cli scan --png wrote" picture_row "$logo" "$WORK/cli/$stem.png" 136x84
wait_status "$logo" 'award.bin, 0x00005d3e: Award LHA \"AWARDEPA.BIN\" (4002:0000)  |  Standard EPA  |  136 '
save_artifact "$logo" rom-logo-chosen.png
focus_window "$logo"
xdotool key ctrl+s
wait_file "$WORK/roms/$stem.png"
wait_status "$logo" "Wrote $stem.png to $WORK/roms"
save_artifact "$logo" status-after-save.png
cmp -s <(rgb_of "$WORK/roms/$stem.png") <(rgb_of "$WORK/cli/$stem.png") || fail "Save as PNG differs from scan --png"

note "a double click on the first row: the list stayed, the first logo replaces the second"
has_window "$LIST" || fail "the list closed when a logo was chosen"
stem=$(png_stem award 1)
xdotool mousemove --window "$list" 100 34 click --repeat 2 --delay 100 1
logo=$(placed "LOGO .* $stem" 0 260) || exit 1
window_count_is LOGO 1 || fail "two LOGO windows"
wait_picture "$logo" "$WORK/cli/$stem.png" 40x23+5+50

note "a ROM dropped on the list: its rows replace the others; the second logo, a PG picture"
"$ZARPO2_XDND" "$list" 100 100 "$WORK/roms/phoenix.bin" || fail "the drop on the list failed"
wait_title "$list" "$LIST — phoenix.bin"
wait_rows "$list" phoenix
save_artifact "$list" rom-list-phoenix.png
stem=$(png_stem phoenix 2)
focus_window "$list"
xdotool key Down Return
logo=$(placed "LOGO .* $stem" 0 260) || exit 1
wait_picture "$logo" "$WORK/cli/$stem.png" 64x24+5+50
wait_status "$logo" 'phoenix.bin, 0x00002642: Phoenix module \"L1\" (f000:0000)'

note "a UEFI image dropped on the list: its pictures by section path; the third, a PNG in a Tiano section"
"$ZARPO2_XDND" "$list" 100 100 "$WORK/roms/synthetic.bin" || fail "the drop on the list failed"
wait_title "$list" "$LIST — synthetic.bin"
wait_rows "$list" synthetic
save_artifact "$list" rom-list-uefi.png
stem=$(png_stem synthetic 3)
[ "$stem" = "synthetic_bin-00010ad8-5A5A5A5A-0002-4000-8000-00000000CAFE" ] || fail "zarpo2-cli scan named the PNG $stem"
focus_window "$list"
xdotool key Down Down Return
logo=$(placed "LOGO .* $stem" 0 260) || exit 1
wait_picture "$logo" "$WORK/cli/$stem.png" 48x32+5+50
wait_status "$logo" 'synthetic.bin, 0x00010ad8: UEFI FV 0x10000 > file 5A5A5A5A-0002-4000-8000-00000000CAFE > Tiano > raw'

note "File > Open ROM on a logo file: the list of the one logo it holds, raw at 0"
cd "$WORK/open-rom" || fail "no folder"
start_viewer
main=$(wait_window "$MAIN_TITLE") || exit 1
focus_window "$main"
xdotool key shift+ctrl+o
chooser=$(placed "Open ROM image" 700 0) || exit 1
# The chooser lists "../" then awbm256-16x16.bin; a double click opens the file without
# typing into the name field, which races with the chooser's completion.
wait_for "the Open ROM chooser never listed its folder" chooser_listed "$chooser"
xdotool mousemove --window "$chooser" 60 74 click --repeat 2 --delay 100 1
list=$(placed "$LIST" 0 500) || exit 1
title_is "$list" "$LIST — awbm256-16x16.bin" || fail "the list is titled $(xdotool getwindowname "$list")"
[ "$(rows_of "$list")" = '_ZARPO2_ROWS = "0x00000000\traw \"AWBM\"\tnone\tAWBM256 EPA\t16 × 16\t1\n"' ] ||
    fail "Open ROM lists: $(rows_of "$list")"
has_window LOGO && fail "Open ROM loaded the logo file as a logo"
focus_window "$list"
xdotool key Return
logo=$(placed "LOGO .* awbm256-16x16_bin-00000000-AWBM" 0 260) || exit 1
wait_picture "$logo" "$WORK/cli/awbm256-16x16.png" 16x16+5+50

stop_viewer
echo "viewer ROM: all checks passed"
