#!/bin/bash
# Writes the PCX, BMP and JPEG test fixtures under tests/data with independent tools
# (netpbm's ppmtopcx and ppmtobmp, ImageMagick, libjpeg's cjpeg), from plasma pictures
# with a fixed seed. The ROM and vendor variants wrap or patch those files; the -cut
# files are prefixes, as a damaged dump gives. Run from the source tree; then update
# tests/data/manifest.txt.
set -euo pipefail

data=tests/data
mkdir -p "$data/pcx" "$data/bmp" "$data/jpeg"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -size 37x23 -seed 7 plasma: +dither -colors 16 -depth 8 "ppm:$work/src16.ppm"
convert -size 37x23 -seed 7 plasma: +dither -colors 200 -depth 8 "ppm:$work/src200.ppm"
convert -size 37x23 -seed 7 plasma: +dither -colors 2 -depth 8 "ppm:$work/src2.ppm"
convert -size 53x31 -seed 5 plasma: -depth 8 "ppm:$work/photo.ppm"

# Patches bytes at an offset: patch FILE OFFSET PRINTF-ESCAPES
patch() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }
# Four bytes of a 32-bit little-endian value, as printf escapes: le32 VALUE
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
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
# 1 bit per pixel (a two-colour palette) and 24 bits per pixel (no palette).
convert "$work/src2.ppm" -type palette -compress None "BMP3:$data/bmp/magick-1bit.bmp"
ppmtobmp -bpp 1 "$work/src2.ppm" > "$data/bmp/netpbm-1bit.bmp" 2>/dev/null
convert "$work/src200.ppm" -type truecolor -compress None "BMP3:$data/bmp/magick-24bit.bmp"
ppmtobmp -bpp 24 "$work/src200.ppm" > "$data/bmp/netpbm-24bit.bmp" 2>/dev/null
cut_to "$data/bmp/magick-1bit.bmp" "$data/bmp/magick-1bit-cut.bmp" 150
cut_to "$data/bmp/magick-24bit.bmp" "$data/bmp/magick-24bit-cut.bmp" 1200
# A plain BMP whose "BM" an Award module overwrote with 20 01; cut, its size no longer fits.
cp "$data/bmp/magick-4bit.bmp" "$data/bmp/signature-2001.bmp"
patch "$data/bmp/signature-2001.bmp" 0 '\x20\x01'
cut_to "$data/bmp/signature-2001.bmp" "$data/bmp/signature-2001-cut.bmp" 400

convert -size 37x23 -seed 3 plasma: -quality 80 "JPEG:$data/jpeg/magick.jpg"
# A start-of-image marker followed by bytes that are not a marker.
printf '\xff\xd8\x00\xc0\x00\x11\x08\x00\x17\x00\x25' > "$data/jpeg/broken-walk.jpg"
cut_to "$data/jpeg/magick.jpg" "$data/jpeg/magick-cut.jpg" 100
# Progressive, greyscale, and CMYK as ImageMagick writes it (Adobe's inverted YCCK); the
# -cut files end inside the scans, so their first rows or scans still decode.
cjpeg -progressive -quality 85 "$work/photo.ppm" > "$data/jpeg/cjpeg-progressive.jpg"
cjpeg -grayscale -quality 75 "$work/photo.ppm" > "$data/jpeg/cjpeg-grey.jpg"
convert "$work/photo.ppm" -colorspace CMYK -quality 85 "JPEG:$data/jpeg/magick-cmyk.jpg"
cut_to "$data/jpeg/cjpeg-progressive.jpg" "$data/jpeg/cjpeg-progressive-cut.jpg" 700
cut_to "$data/jpeg/cjpeg-grey.jpg" "$data/jpeg/cjpeg-grey-cut.jpg" 450
cut_to "$data/jpeg/magick-cmyk.jpg" "$data/jpeg/magick-cmyk-cut.jpg" 1000
# A frame header libjpeg refuses (12-bit samples): the test pattern stands in.
printf '\xff\xd8\xff\xc0\x00\x0b\x0c\x00\x09\x00\x0d\x01\x01\x11\x00\xff\xd9' > "$data/jpeg/precision-12.jpg"
# The Phoenix SCN envelope around magick.jpg: "SCN", its size at 4, one picture (byte 9),
# the JPEG from 16, then the directory's one 5-byte entry pointing at it.
size=$((16 + $(stat -c %s "$data/jpeg/magick.jpg") + 5))
{ printf "SCN\\x00$(le32 $size)\\x00\\x01"; head -c 6 /dev/zero; cat "$data/jpeg/magick.jpg"; printf "\\x00$(le32 16)"; } \
    > "$data/jpeg/scn-envelope.bin"
cut_to "$data/jpeg/scn-envelope.bin" "$data/jpeg/scn-envelope-cut.bin" 400
