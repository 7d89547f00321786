#!/bin/bash
# Writes the PCX, BMP and JPEG test fixtures under tests/data with independent tools
# (netpbm's ppmtopcx, ImageMagick), from a plasma picture with a fixed seed. The ROM and
# vendor variants wrap or patch those files; the -cut files are prefixes, as a damaged
# dump gives. Run from the source tree; then update tests/data/manifest.txt.
set -euo pipefail

data=tests/data
mkdir -p "$data/pcx" "$data/bmp" "$data/jpeg"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -size 37x23 -seed 7 plasma: +dither -colors 16 -depth 8 "ppm:$work/src16.ppm"
convert -size 37x23 -seed 7 plasma: +dither -colors 200 -depth 8 "ppm:$work/src200.ppm"

# Patches bytes at an offset: patch FILE OFFSET PRINTF-ESCAPES
patch() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }
# Writes the first N bytes of a file: cut FROM TO N
cut_to() { head -c "$3" "$1" > "$2"; }
# An option ROM: its four signature bytes, zero filler up to OFFSET, then the picture.
rom() { { printf "$2"; head -c $(($3 - 4)) /dev/zero; cat "$1"; } > "$4"; }

ppmtopcx -planes=4 "$work/src16.ppm" > "$data/pcx/netpbm-4plane.pcx" 2>/dev/null
ppmtopcx -8bit "$work/src200.ppm" > "$data/pcx/netpbm-8bit.pcx" 2>/dev/null
convert "$work/src200.ppm" -type palette "PCX:$data/pcx/magick-8bit.pcx"
cp "$data/pcx/netpbm-8bit.pcx" "$data/pcx/biostar.pcx"
patch "$data/pcx/biostar.pcx" 2 '\x00'
rom "$data/pcx/netpbm-4plane.pcx" '\x55\xaa\x00\xe9' 1024 "$data/pcx/ami-option-rom.bin"
rom "$data/pcx/netpbm-8bit.pcx" '\x55\xaa\x10\x00' 4660 "$data/pcx/systemsoft-rom.bin"
cut_to "$data/pcx/netpbm-4plane.pcx" "$data/pcx/netpbm-4plane-cut.pcx" 400
cut_to "$data/pcx/netpbm-8bit.pcx" "$data/pcx/netpbm-8bit-cut.pcx" 700

convert "$work/src16.ppm" -type palette -colors 16 -depth 4 -compress None "BMP3:$data/bmp/magick-4bit.bmp"
convert "$work/src200.ppm" -type palette -compress None "BMP3:$data/bmp/magick-8bit.bmp"
convert -size 30x7 -seed 7 plasma: +dither -type palette -colors 256 -compress None "BMP3:$data/bmp/magick-8bit-30.bmp"
cp "$data/bmp/magick-8bit.bmp" "$data/bmp/qdi.bmp"
patch "$data/bmp/qdi.bmp" 0 '\x00\x00'
cut_to "$data/bmp/magick-8bit.bmp" "$data/bmp/magick-8bit-cut.bmp" 1500
cut_to "$data/bmp/magick-4bit.bmp" "$data/bmp/magick-4bit-cut.bmp" 300

convert -size 37x23 -seed 3 plasma: -quality 80 "JPEG:$data/jpeg/magick.jpg"
# A start-of-image marker followed by bytes that are not a marker.
printf '\xff\xd8\x00\xc0\x00\x11\x08\x00\x17\x00\x25' > "$data/jpeg/broken-walk.jpg"
cut_to "$data/jpeg/magick.jpg" "$data/jpeg/magick-cut.jpg" 100
