#!/usr/bin/env python3
"""Splits an animated PNG into one PNG per frame: apng_frames.py ANIMATED FOLDER writes
FOLDER/frame0.png, frame1.png, ... and prints "frames N" and each frame's "delay NUM/DEN"."""
import struct
import sys
import zlib


def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
chunks, pos = [], 8
while pos < len(data):
    length, kind = struct.unpack(">I4s", data[pos:pos + 8])
    chunks.append((kind, data[pos + 8:pos + 8 + length]))
    pos += 12 + length
header = dict(chunks)[b"IHDR"]
print("frames", struct.unpack(">I", dict(chunks)[b"acTL"][:4])[0])
frames = []  # [frame control, image data]
for kind, body in chunks:
    if kind == b"fcTL":
        frames.append([body, b""])
    elif kind == b"IDAT" and frames:
        frames[-1][1] += body
    elif kind == b"fdAT":
        frames[-1][1] += body[4:]  # after the sequence number
for n, (control, image) in enumerate(frames):
    _, width, height, _, _, num, den = struct.unpack(">IIIIIHH", control[:24])
    print("delay %d/%d" % (num, den))
    png = chunk(b"IHDR", struct.pack(">II", width, height) + header[8:]) + chunk(b"IDAT", image)
    open("%s/frame%d.png" % (sys.argv[2], n), "wb").write(data[:8] + png + chunk(b"IEND", b""))
