#!/usr/bin/env python3
"""Writes the logo files the viewer scenario tests open into the folder given."""
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


def osb640(sizes):
    # Head: "ASUS" at 2, then at 0x40 the instruction "add esi, imm32" (66 81 C6) whose
    # operand is the offset of the record chain.
    chain = 0x50
    head = bytearray(chain)
    head[2:6] = b"ASUS"
    head[0x40:0x47] = bytes((0x66, 0x81, 0xC6)) + struct.pack("<HH", chain, 0)
    records = b""
    for f, (width, height) in enumerate(sizes):
        palette = b"".join(bytes(((n * 16 + f * 80) & 0xFF, (255 - n * 12) & 0xFF, (n * 40 + f * 60) & 0xFF))
                           for n in range(16))
        rows = []
        for y in reversed(range(height)):  # stored bottom-up, two pixels a byte
            index = lambda x: ((x // 6) + (y // 4) * (f + 1)) & 0x0F
            rows.append(bytes(index(x) << 4 | index(x + 1) for x in range(0, width, 2)))
        body = struct.pack("<HHH", 0, width, height) + palette + b"".join(rows)
        records += struct.pack("<I", 4 + len(body)) + body
    return bytes(head) + records + struct.pack("<I", 0) + bytes(60)


def textlogo(columns, rows):
    # "TEXTLOGO" at 0x80, the glyph bytes (16 a glyph) as a 16-bit value at 0x8C, the grid
    # at 0x90 and 0x92, the glyphs from 0x95, then a (glyph, attribute) pair a cell.
    glyphs = 8
    out = bytearray(0x95)
    out[0x80:0x88] = b"TEXTLOGO"
    out[0x8C:0x8E] = struct.pack("<H", glyphs * 16)
    out[0x90:0x94] = struct.pack("<HH", columns, rows)
    for g in range(glyphs):
        out += bytes(0xFF if j in (0, 15) else 0x81 | (0x80 >> ((j + g) % 8)) for j in range(16))
    for r in range(rows):
        for c in range(columns):
            out += bytes(((r * columns + c) % glyphs, 1 + (r + c) % 15))
    return bytes(out)


def bmp8(width, height):
    # BITMAPFILEHEADER, BITMAPINFOHEADER, 256 BGRX palette entries, rows bottom-up padded to 4.
    stride = (width + 3) & ~3
    palette = b"".join(bytes((i, 255 - i, (i * 5) & 0xFF, 0)) for i in range(256))
    pixels = b"".join(bytes((x * 6 + y * 8) & 0xFF for x in range(width)) + bytes(stride - width)
                      for y in reversed(range(height)))
    offset = 14 + 40 + len(palette)
    head = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    return head + info + palette + pixels


# The usual set; "more" writes the pictures the window-polish tests add, kept apart so
# that the usual folder (and what its chooser and Page Down walk) stays as it is.
FILES = {
    "awbm256-16x16.bin": awbm256(16, 16, lambda x, y: (x * 16 + y * 5) & 0xFF),
    "awbm256-640x480.bin": awbm256(640, 480, lambda x, y: 255 if x < 4 or y < 4 else (x // 40 + (y // 30) * 16) & 0xFF),
    "standard.epa": standard_epa(),  # 17 x 6 cells (136 x 84), one colour per cell
    "asus-osb640.bin": osb640([(48, 32)] * 3),
    "asus-osb640-empty-frame.bin": osb640([(48, 32), (0, 0), (48, 32)]),
    "textlogo-80x22.bin": textlogo(80, 22),  # 640 x 352
    "notalogo.txt": b"Hello, this is not a logo at all; just some words.\n",
    # Sorted after standard.epa: the menus test picks files by their place in the chooser.
    "x-empty-0x0.bin": b"AWBM" + struct.pack("<HH", 0, 0) + b"RGB " + bytes(768),  # no picture at all
    "x-indexed-40x30.bmp": bmp8(40, 30),
    "x-indexed-40x30-cut.bmp": bmp8(40, 30)[:-300],  # the last 300 of 1200 pixel bytes missing
}
MORE = {
    "black-64x48.bin": awbm256(64, 48, lambda x, y: 0),  # palette entry 0 is black: a blank picture
    "blocks-20x12.bin": awbm256(20, 12, lambda x, y: (x * 3 + y * 40) & 0xFF),
}

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
for name, data in (MORE if sys.argv[2:] == ["more"] else FILES).items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
