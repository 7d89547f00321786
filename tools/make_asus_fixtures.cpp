// Writes the test fixtures of the ASUS logos: one small multi-frame file per layout
// (Composite 4OSB, 4OSB V2, OSB640, Dynamic LOGO, Dynamic LOGO (2) and (3)), and cut
// copies of some of them, as a damaged firmware dump gives.
// Usage: make_asus_fixtures [DATA_DIR] (default "tests/data"); files go to its asus/ folder.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fixture_bytes.h"

namespace {

// Colour index 0..15 of pixel (x, y) of frame f: diagonal bands that shift with the frame,
// with a block of 15 in the top-left corner so that a picture drawn upside down shows it.
unsigned pattern(unsigned x, unsigned y, unsigned f)
{
    if (x < 4 && y < 2)
        return 15;
    return (x / 2 + y + f) % 15;
}

// 6-bit red, green, blue of entry n: the 16 text-mode colours.
unsigned six_bit(unsigned n, unsigned channel)
{
    unsigned bit = n >> (2 - channel) & 1;
    return bit * 42 + (n & 8 ? 21 : 0);
}

unsigned round8(unsigned w)
{
    return (w + 7) / 8 * 8;
}

// Palettes: 8-bit values (the 6-bit ones times 4) with a fourth byte, or 3-byte entries;
// blue first or red first. A shift rotates the entries, so frames can differ by palette.
void palette(Bytes& out, unsigned entrySize, bool blueFirst, bool sixBit, unsigned shift = 0)
{
    for (unsigned e = 0; e < 16; ++e) {
        unsigned n = (e + shift) % 16;
        for (unsigned c = 0; c < 3; ++c) {
            unsigned v = six_bit(n, blueFirst ? 2 - c : c);
            u8(out, sixBit ? v : v * 4);
        }
        if (entrySize == 4)
            u8(out, 0x5A);
    }
}

// Two pixels a byte, high nibble left, bottom row first.
void nibbles(Bytes& out, unsigned width, unsigned height, unsigned f)
{
    for (unsigned r = 0; r < height; ++r) {
        unsigned y = height - 1 - r;
        for (unsigned x = 0; x < round8(width); x += 2)
            u8(out, pattern(x, y, f) << 4 | pattern(x + 1, y, f));
    }
}

// Four bit planes a row, plane 0 first, top row first.
void planes(Bytes& out, unsigned width, unsigned height, unsigned f)
{
    for (unsigned y = 0; y < height; ++y)
        for (unsigned p = 0; p < 4; ++p)
            for (unsigned col = 0; col < round8(width) / 8; ++col) {
                unsigned byte = 0;
                for (unsigned k = 0; k < 8; ++k)
                    byte |= (pattern(col * 8 + k, y, f) >> p & 1) << (7 - k);
                u8(out, byte);
            }
}

// "4OSB" record; dataFromEnd: the V2 data offset counts from the end of the head.
// sizeAfter: width 0 in the head, the size in the 4 bytes after it.
void osb4(Bytes& out, unsigned width, unsigned height, unsigned f, bool dataFromEnd, bool sizeAfter = false)
{
    std::size_t head = out.size();
    text(out, "4OSB");
    u32(out, 0);
    u16(out, 0);
    u16(out, 0);
    u16(out, sizeAfter ? 0 : width);
    u16(out, sizeAfter ? 1 : height);
    if (sizeAfter) {
        u16(out, width);
        u16(out, height);
    }
    palette(out, 4, true, false, f);
    if (sizeAfter)
        pad_to(out, out.size() + 12, 0xEE);  // the data offset steps over these
    put_u16(out, head + 10, static_cast<unsigned>(out.size() - head - (dataFromEnd ? 16 : 0)));
    nibbles(out, width, height, f);
    pad_to(out, (out.size() + 31) / 32 * 32, 0xEE);
    put_u32(out, head + 4, static_cast<std::uint32_t>(out.size() - head));
}

void stda(Bytes& out)
{
    text(out, "STDA");
    pad_to(out, out.size() + 12, 0x11);
}

void img(Bytes& out, const char* tag, unsigned width, unsigned height, unsigned f, bool planar)
{
    std::size_t head = out.size();
    text(out, tag);
    pad_to(out, head + 4);
    u16(out, width);
    u16(out, height);
    if (planar)
        planes(out, width, height, f);
    else
        nibbles(out, width, height, f);
    pad_to(out, head + (out.size() - head + 15) / 16 * 16);
}

Bytes composite()
{
    Bytes out;
    u16(out, 0);
    text(out, "ASUS2");
    pad_to(out, 12);
    u32(out, 32);
    u8(out, 1);
    pad_to(out, 32);
    osb4(out, 20, 6, 0, false);
    stda(out);
    osb4(out, 12, 4, 1, false, true);
    osb4(out, 16, 5, 2, false);
    return out;
}

Bytes composite_v2()
{
    Bytes out;
    u16(out, 0);
    text(out, "ASUS");
    text(out, "V");
    pad_to(out, 12);
    u32(out, 48);
    pad_to(out, 48);
    stda(out);
    osb4(out, 20, 6, 0, true);
    osb4(out, 24, 3, 3, true);
    return out;
}

Bytes osb640()
{
    Bytes out;
    u16(out, 0);
    text(out, "ASUS");
    pad_to(out, 0x40);
    // add esi, 0x80: the chain's offset
    u8(out, 0x66);
    u8(out, 0x81);
    u8(out, 0xC6);
    u32(out, 0x80);
    pad_to(out, 0x80, 0x90);
    for (unsigned f = 0; f < 2; ++f) {
        std::size_t head = out.size();
        unsigned width = f ? 16 : 19;
        u32(out, 0);
        u16(out, 0);
        u16(out, width);
        u16(out, 5);
        palette(out, 3, false, false, f * 5 + 3);  // entry 0 of frame 0 is not black: the fill shows
        nibbles(out, width, 5, f);
        put_u32(out, head, static_cast<std::uint32_t>(out.size() - head));
    }
    u32(out, 0);  // the chain's end
    pad_to(out, out.size() + 6);
    return out;
}

Bytes dynamic_v3()
{
    Bytes out;
    palette(out, 4, false, false);  // entry 0 is black: the three zero bytes
    img(out, "IMG", 20, 6, 0, false);
    img(out, "IMG", 20, 6, 1, false);
    img(out, "IMG", 20, 6, 2, false);
    return out;
}

Bytes dynamic_logo()
{
    Bytes out;
    text(out, "LOGO");
    pad_to(out, 0x30);
    std::size_t susa = out.size();
    text(out, "SUSA");
    u16(out, 24);
    u16(out, 8);
    planes(out, 24, 8, 0);
    text(out, "PAL:");
    palette(out, 3, true, true);
    pad_to(out, susa + (out.size() - susa + 15) / 16 * 16);
    img(out, "IMG", 13, 4, 1, true);
    img(out, "IMG", 16, 4, 2, true);
    return out;
}

Bytes dynamic_ami()
{
    Bytes out;
    u16(out, 0);
    text(out, "ASUS2");
    u16(out, 0);
    u16(out, 0x20);  // where the code with the palette pointer starts
    pad_to(out, 0x20, 0x90);
    u8(out, 0xBE);  // mov si, 0x40: the palette
    u16(out, 0x40);
    pad_to(out, 0x40, 0x90);
    palette(out, 3, true, true);
    img(out, "IMG", 19, 6, 0, true);
    img(out, "IMG", 19, 6, 1, true);
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string folder = std::string(argc > 1 ? argv[1] : "tests/data") + "/asus/";
    mkdir(folder.c_str(), 0777);
    bool ok = write_file(folder + "composite-4osb.bin", composite());
    ok = write_file(folder + "composite-4osb-cut.bin", composite(), 250) && ok;
    ok = write_file(folder + "composite-4osb-v2.bin", composite_v2()) && ok;
    ok = write_file(folder + "osb640.bin", osb640()) && ok;
    ok = write_file(folder + "osb640-cut.bin", osb640(), 0xC0) && ok;
    ok = write_file(folder + "dynamic-v3.bin", dynamic_v3()) && ok;
    ok = write_file(folder + "dynamic-v3-cut.bin", dynamic_v3(), 150) && ok;
    ok = write_file(folder + "dynamic-logo.bin", dynamic_logo()) && ok;
    ok = write_file(folder + "dynamic-ami.bin", dynamic_ami()) && ok;
    ok = write_file(folder + "dynamic-ami-cut.bin", dynamic_ami(), 0xA0) && ok;
    return ok ? 0 : 1;
}
