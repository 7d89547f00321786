#!/bin/bash
# Writes the pictures the whole-process benchmark converts, into DIR (default
# ./bench-pictures), skipping those already there:
#   pcx4-WxH.pcx, pcx8-WxH.pcx  4-plane and 8-bit PCX, written by netpbm's ppmtopcx
#   bmp4-WxH.bmp, bmp8-WxH.bmp  4-bit and 8-bit BMP, written by ImageMagick
# at 640x480, 1024x768 and 4096x4096, from a blurred plasma cut to 16 or 256 colours
# (flat areas and soft edges, as a palette-drawn logo has);
#   bmp8-640x480-64MiB-tail.bmp  the 640x480 8-bit BMP followed by 64 MiB of zeros, as a
#                                logo at the start of a large dump: memory must not grow
# and own/, the project's
# own formats at the sizes their logos have, copied from the committed fixtures and the
# bundled samples, and a 150-byte PCX declaring 8192 x 8192; batch/, 1,000 small logos
# under distinct names.
# Usage: make_pictures.sh SOURCE_TREE [DIR]
set -euo pipefail

src=$1
dir=${2:-bench-pictures}
convert=${ZARPO2_BENCH_CONVERT:-convert}
mkdir -p "$dir/own" "$dir/batch"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for size in 640x480 1024x768 4096x4096; do
    [ -s "$dir/bmp8-$size.bmp" ] && continue
    echo "making the $size pictures..." >&2
    # Plasma costs time at the largest size: draw it at a quarter and enlarge it smoothly.
    w=${size%x*}; h=${size#*x}
    "$convert" -size $((w / 4))x$((h / 4)) -seed 7 plasma:fractal -resize "${size}!" -blur 0x2 \
        -depth 8 "ppm:$work/plasma.ppm"
    "$convert" "$work/plasma.ppm" +dither -colors 16 -depth 8 "ppm:$work/16.ppm"
    "$convert" "$work/plasma.ppm" +dither -colors 256 -depth 8 "ppm:$work/256.ppm"
    ppmtopcx -planes=4 "$work/16.ppm" > "$dir/pcx4-$size.pcx" 2>/dev/null
    ppmtopcx -8bit "$work/256.ppm" > "$dir/pcx8-$size.pcx" 2>/dev/null
    "$convert" "$work/16.ppm" -type palette -colors 16 -depth 4 -compress None "BMP3:$dir/bmp4-$size.bmp"
    "$convert" "$work/256.ppm" -type palette -compress None "BMP3:$dir/bmp8-$size.bmp"
done

tail=$dir/bmp8-640x480-64MiB-tail.bmp
if [ ! -s "$tail" ]; then
    { cat "$dir/bmp8-640x480.bmp"; head -c 64M /dev/zero; } > "$tail"
fi

# The project's own formats, one logo of each family as it is found in firmware.
own="$src/samples/award-standard.epa $src/samples/awbm16.bin $src/samples/awbm256-compressed.bin
$src/tests/data/phoenix/pg-standard.pg $src/tests/data/phoenix/icon8.icn $src/tests/data/intel/grfx.bin
$src/tests/data/intel/textlogo.bin $src/tests/data/vendor/gle.bin $src/tests/data/vendor/trigem.bin
$src/tests/data/vendor/dell2-mode4.bin $src/tests/data/containers/osb-pcx.bin
$src/tests/data/containers/scrn.bin $src/tests/data/codecs/compressed-pg.bin
$src/tests/data/codecs/grfxlogo.bin $src/tests/data/codecs/dell-nvram.bin"
for f in $own; do
    [ -f "$f" ] && cp "$f" "$dir/own/"
done
# A damaged file of 150 bytes whose PCX header declares 8192 x 8192: the time must follow
# the bytes of input, not the picture the header claims.
python3 -c 'import sys; b = bytearray(open(sys.argv[1], "rb").read()[:150]); b[8:12] = b"\xff\x1f\xff\x1f"; b[66:68] = b"\x00\x20"; open(sys.argv[2], "wb").write(b)' \
    "$src/tests/data/pcx/netpbm-8bit.pcx" "$dir/own/tiny-pcx-8192x8192.pcx"

# 1,000 small logos: the own-format files over and over, each under its own name so
# that no two write the same PNG.
if [ "$(ls "$dir/batch" | wc -l)" -ne 1000 ]; then
    rm -f "$dir/batch"/*
    files=()
    for f in "$dir"/own/*; do
        [[ $(basename "$f") == tiny-* ]] || files+=("$f")  # the damaged file is not a logo
    done
    for i in $(seq 0 999); do
        f=${files[$((i % ${#files[@]}))]}
        cp "$f" "$dir/batch/$(printf %04d "$i")-$(basename "$f")"
    done
fi
