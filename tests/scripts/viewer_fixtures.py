#!/usr/bin/env python3
"""Writes the logo files the viewer scenario tests open, into the folder given:

  awbm256-16x16.bin   AWBM256 EPA, 16 x 16, a diagonal colour ramp
  awbm256-640x480.bin AWBM256 EPA, 640 x 480, bands and a frame
  standard.epa        Standard EPA, 17 x 6 cells (136 x 84), one colour per cell
  notalogo.txt        text that no probe claims
"""
import os
import struct
import sys


def awbm256(width, height, index_of):
    pixels = bytes(index_of(x, y) for y in range(height) for x in range(width))
    # 6-bit red, green, blue: a hue walk so neighbouring indices differ.
    palette = b"".join(bytes(((i * 7) % 64, (i * 13) % 64, (i * 29) % 64)) for i in range(256))
    return b"AWBM" + struct.pack("<HH", width, height) + pixels + b"RGB " + palette


def standard_epa():
    columns, rows = 17, 6
    cells = columns * rows
    attributes = bytes(1 + (c % 15) for c in range(cells))
    glyph = [0x00, 0x18, 0x3C, 0x66, 0xC3, 0xFF, 0x81, 0x81, 0xFF, 0xC3, 0x66, 0x3C, 0x18, 0x00]
    bitmaps = b"".join(bytes(b ^ (0x80 if c % 2 else 0x00) for b in glyph) for c in range(cells))
    data = bytes((columns, rows)) + attributes + bitmaps
    size = 15 * cells + 72
    return data + bytes(size - len(data))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    files = {
        "awbm256-16x16.bin": awbm256(16, 16, lambda x, y: (x * 16 + y * 5) & 0xFF),
        "awbm256-640x480.bin": awbm256(640, 480, lambda x, y: 255 if x < 4 or y < 4 else (x // 40 + (y // 30) * 16) & 0xFF),
        "standard.epa": standard_epa(),
        "notalogo.txt": b"Hello, this is not a logo at all; just some words.\n",
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
