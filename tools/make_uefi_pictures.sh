#!/bin/bash
# Writes the PNG and GIF pictures the synthetic UEFI images carry (tests/data/uefi/pictures)
# with ImageMagick, from plasma pictures with fixed seeds; make_uefi_fixtures plants them.
# Run from the source tree; then update tests/data/manifest.txt.
set -euo pipefail
out=tests/data/uefi/pictures
mkdir -p "$out"
convert-im6.q16 -size 48x32 -seed 3 plasma: -depth 8 -strip "PNG24:$out/logo.png"
convert-im6.q16 -size 40x24 -seed 4 plasma: +dither -colors 32 -strip "$out/logo.gif"
convert-im6.q16 -delay 20 \( -size 32x20 -seed 1 plasma: \) \( -size 32x20 -seed 2 plasma: \) \
    \( -size 32x20 -seed 6 plasma: \) +dither -colors 16 -strip -loop 0 "$out/anim.gif"
