#!/usr/bin/env python3
"""Writes the fixtures of the compressed logo containers and the seed corpora of the two
decompression fuzz targets.

The lh5 streams come from jlha (an independent LHA implementation): each picture is
archived with `jlha ao5` (or `ao6` for a 32 KiB window) and its raw stream is taken out
of the level-2 header. The Dell NVRAM payload is packed by the small LZ77 coder below.

    python3 tools/make_codec_fixtures.py [REPO_ROOT]

Writes tests/data/codecs/*.bin, fuzz/corpus/lzh/* and fuzz/corpus/dell_lz77/*.
The inner pictures are committed fixtures of the plain formats, so a compressed fixture
must show exactly what its plain twin shows.
"""
import os
import struct
import subprocess
import sys
import tempfile

ROOT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
DATA = os.path.join(ROOT, "tests", "data")
OUT = os.path.join(DATA, "codecs")
LZH_SEEDS = os.path.join(ROOT, "fuzz", "corpus", "lzh")
DELL_SEEDS = os.path.join(ROOT, "fuzz", "corpus", "dell_lz77")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def jlha_stream(data, method="5"):
    """Raw stream of data packed by jlha, with its method name."""
    with tempfile.TemporaryDirectory() as work:
        write(os.path.join(work, "inner"), data)
        subprocess.run(["jlha", "aqo" + method, "inner.lzh", "inner"], cwd=work, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        archive = read(os.path.join(work, "inner.lzh"))
    header_size = struct.unpack_from("<H", archive, 0)[0]  # level 2: the whole header
    method_name = archive[2:7].decode()
    packed_size, original_size = struct.unpack_from("<II", archive, 7)
    assert archive[20] == 2, "not a level-2 header"
    assert original_size == len(data)
    return method_name, archive[header_size:header_size + packed_size]


def lh5(data):
    method, stream = jlha_stream(data)
    assert method == "-lh5-", "jlha stored the picture instead of compressing it"
    return stream


def grfxlogo_picture(width, height):
    """Height at 4, width at 6, then four bit planes, plane row 0 the bottom row."""
    row = width // 8
    planes = bytearray(4 * row * height)
    for p in range(4):
        for r in range(height):
            for x in range(width):
                index = 15 if (x < 8 and r >= height - 4) else (x // 4 + r // 2) % 15
                if (index >> p) & 1:
                    planes[(p * height + r) * row + x // 8] |= 0x80 >> (x % 8)
    return bytes(4) + struct.pack("<HH", height, width) + bytes(planes)


def pad_to(data, size):
    return data + bytes(size - len(data))


def grfxlogo_container(inner):
    stream = lh5(inner)
    head = pad_to(b"", 0x80) + b"GRFXLOGO" + struct.pack("<HHHH", len(stream), 0, len(inner), 0)
    return head + stream


def compressed_pg_container(inner):
    stream = lh5(inner)
    head = pad_to(b"", 0xA0) + bytes([0xED, 0xAC, 0xED, 0xAC])
    head = pad_to(head, 0xAF) + struct.pack("<II", len(inner), len(stream))
    return pad_to(head, 0xBF) + stream


def compressed_grfx_container(inner):
    stream = lh5(inner)
    # Packed size (byte 0x84 + byte 0x85) x 65,536: one unit covers these small streams;
    # the four bytes after "GRFX" must each differ from "LOGO".
    head = pad_to(b"", 0x80) + b"GRFX" + bytes([0x00, 0x01, 0x00, 0x00]) + struct.pack("<I", len(inner))
    return head + stream


def dell_pack(data):
    """Greedy LZ77 in Dell's tokens: literal runs of 1..16 bytes, references of 2..16
    bytes from 1..4096 back that never overlap the bytes they write."""
    out = bytearray()
    literals = bytearray()

    def flush_literals():
        for at in range(0, len(literals), 16):
            chunk = literals[at:at + 16]
            out.append(0x00 if len(chunk) == 1 else (len(chunk) - 1) << 4)
            out.extend(chunk)
        literals.clear()

    i = 0
    while i < len(data):
        best_len, best_dist = 0, 0
        for dist in range(1, min(i, 4096) + 1):
            n = 0
            while n < 16 and n < dist and i + n < len(data) and data[i - dist + n] == data[i + n]:
                n += 1
            if n > best_len:
                best_len, best_dist = n, dist
        if best_len >= 3:
            flush_literals()
            d = best_dist - 1
            out.append(((d >> 8) << 4) | (best_len - 1))
            out.append(d & 0xFF)
            i += best_len
        else:
            literals.append(data[i])
            i += 1
    flush_literals()
    return bytes(out)


def dell_container(inner):
    payload = dell_pack(inner)
    return b"NVRAM" + bytes(7) + struct.pack("<H", len(payload) + 14) + payload


def lzh_seed(stream, unpacked, flags=0):
    return struct.pack("<IB", unpacked, flags) + stream


def main():
    pg = read(os.path.join(DATA, "phoenix", "pg-standard.pg"))
    pg_palette = read(os.path.join(DATA, "phoenix", "pg-own-palette.pg"))
    grfx = read(os.path.join(DATA, "intel", "grfx.bin"))
    bmp = read(os.path.join(DATA, "bmp", "magick-8bit.bmp"))
    logo = grfxlogo_picture(64, 24)

    fixtures = {
        "grfxlogo.bin": grfxlogo_container(logo),
        "compressed-pg.bin": compressed_pg_container(pg),
        "compressed-pg-palette.bin": compressed_pg_container(pg_palette),
        "compressed-grfx.bin": compressed_grfx_container(grfx),
        "dell-nvram.bin": dell_container(bmp),
    }
    # Damaged dumps: the stream cut short (the container's sizes still claim it whole).
    whole = fixtures["compressed-pg.bin"]
    fixtures["compressed-pg-cut.bin"] = whole[:0xBF + (len(whole) - 0xBF) // 2]
    fixtures["dell-nvram-cut.bin"] = fixtures["dell-nvram.bin"][:600]
    for name, data in fixtures.items():
        write(os.path.join(OUT, name), data)

    text = b"".join(b"logo %d of the firmware, picture %d\n" % (i, i * 7 % 13) for i in range(120))
    seeds = {
        "grfxlogo": lzh_seed(lh5(logo), len(logo)),
        "pg": lzh_seed(lh5(pg), len(pg)),
        "grfx": lzh_seed(lh5(grfx), len(grfx)),
        "text": lzh_seed(lh5(text), len(text)),
        "text-claims-more": lzh_seed(lh5(text), len(text), 0x02),
        "text-half": lzh_seed(lh5(text), len(text), 0x04),
        "text-lh6": lzh_seed(jlha_stream(text * 30, "6")[1], len(text) * 30, 0x10),
    }
    for name, data in seeds.items():
        write(os.path.join(LZH_SEEDS, name), data)
    write(os.path.join(DELL_SEEDS, "bmp"), fixtures["dell-nvram.bin"])
    write(os.path.join(DELL_SEEDS, "runs"), dell_container(b"ab" * 300 + bytes(range(256)) * 3))


if __name__ == "__main__":
    main()
