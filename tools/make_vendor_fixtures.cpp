// Writes the test fixtures of the Phoenix, Intel, AMI GLE, TriGem, Dell and SystemSoft
// pictures: one small picture per decode path, and cut copies of some of them, as a
// damaged firmware dump gives. Usage: make_vendor_fixtures [DATA_DIR] (default
// "tests/data"); files go to its phoenix/, intel/ and vendor/ folders.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fixture_bytes.h"

namespace {

// Colour index 0..15 of pixel (x, y): diagonal bands, with a block of 15 in the top-left
// corner so that a picture drawn upside down or mirrored shows it.
unsigned pattern(unsigned x, unsigned y)
{
    if (x < 8 && y < 4)
        return 15;
    return (x / 4 + y / 2) % 15;
}

// Four bit planes of the pattern, plane 0 first; the first stored row is the top of the
// picture, or its bottom when bottomUp is set.
void planes(Bytes& out, unsigned width, unsigned height, bool bottomUp)
{
    unsigned rowBytes = width / 8;
    for (unsigned p = 0; p < 4; ++p) {
        for (unsigned row = 0; row < height; ++row) {
            unsigned y = bottomUp ? height - 1 - row : row;
            for (unsigned byte = 0; byte < rowBytes; ++byte) {
                unsigned bits = 0;
                for (unsigned b = 0; b < 8; ++b)
                    if ((pattern(byte * 8 + b, y) >> p) & 1)
                        bits |= 0x80u >> b;
                u8(out, bits);
            }
        }
    }
}

// Two pattern pixels per byte, the left one in the high four bits.
void packed_row(Bytes& out, unsigned width, unsigned y)
{
    for (unsigned x = 0; x < width; x += 2)
        u8(out, pattern(x, y) << 4 | pattern(x + 1, y));
}

// PG in the standard colours: the size at 10 and 12, the planes from 18.
Bytes pg_standard()
{
    constexpr unsigned W = 64, H = 24;
    Bytes out;
    text(out, "PG");
    pad_to(out, 10);
    u16(out, W);
    u16(out, H);
    pad_to(out, 18);
    planes(out, W, H, false);
    return out;
}

// PG with its own palette: 16 entries of (0, red, green, blue) as 6-bit values from 12,
// the size at 76, the planes from 84.
Bytes pg_own_palette()
{
    constexpr unsigned W = 48, H = 16;
    Bytes out;
    text(out, "PG");
    u8(out, 0);
    u8(out, 1);
    pad_to(out, 10);
    u16(out, 16);
    for (unsigned i = 0; i < 16; ++i) {
        u8(out, 0);
        u8(out, 63 - i * 4);
        u8(out, i * 4);
        u8(out, 20 + i * 2);
    }
    u16(out, W);
    u16(out, H);
    u16(out, 0);
    u16(out, 0);
    planes(out, W, H, false);
    return out;
}

// GRFX: the data offset less 8 at 12, the size at 18 and 20, 16 entries of red, green,
// blue (6-bit) at 32, rows of packed pixels from 80.
Bytes grfx()
{
    constexpr unsigned W = 40, H = 12;
    Bytes out;
    text(out, "GRFX");
    pad_to(out, 12);
    u16(out, 80 - 8);
    pad_to(out, 18);
    u16(out, W);
    u16(out, H);
    pad_to(out, 32);
    for (unsigned i = 0; i < 16; ++i) {
        u8(out, i * 4);
        u8(out, 63 - i * 3);
        u8(out, (i * 21) % 64);
    }
    pad_to(out, 80);
    for (unsigned y = 0; y < H; ++y)
        packed_row(out, W, y);
    return out;
}

// TEXTLOGO: font size F = 64 (8 glyphs) at 0x8C, 10 columns and 3 rows at 0x90 and 0x92,
// the glyphs from 0x95, then the (character, attribute) pairs.
Bytes textlogo()
{
    constexpr unsigned COLUMNS = 10, ROWS = 3, GLYPHS = 8;
    Bytes out;
    pad_to(out, 0x80);
    text(out, "TEXTLOGO");
    pad_to(out, 0x8C);
    u16(out, GLYPHS * 8);
    pad_to(out, 0x90);
    u16(out, COLUMNS);
    u16(out, ROWS);
    pad_to(out, 0x95);
    for (unsigned g = 0; g < GLYPHS; ++g)
        for (unsigned j = 0; j < 16; ++j)  // glyph g: a frame with g diagonal steps
            u8(out, j == 0 || j == 15 ? 0xFF : (0x81 | (0x80 >> ((j + g) % 8))));
    for (unsigned r = 0; r < ROWS; ++r) {
        for (unsigned c = 0; c < COLUMNS; ++c) {
            u8(out, (r * COLUMNS + c) % GLYPHS);
            u8(out, 0x10 * r | (1 + (r + c) % 15));  // background nibble, not drawn
        }
    }
    return out;
}

// ICON: bits per pixel at 4, the size at 5 and 7, the substitution table at 19, 4-bit
// pixels from 35; 8-bit pixels from 19.
Bytes icon4()
{
    constexpr unsigned W = 32, H = 16;
    Bytes out;
    text(out, "ICON");
    u8(out, 4);
    u16(out, W);
    u16(out, H);
    pad_to(out, 19);
    for (unsigned i = 0; i < 16; ++i)
        u8(out, (i * 3 + 20) % 64);  // palette entries 20 .. 65, some past the 64 loaded
    for (unsigned y = 0; y < H; ++y)
        packed_row(out, W, y);
    return out;
}

// External palette of the 4-bit icon: a 16-byte header, then 64 entries of 6-bit RGB.
Bytes icon4_palette()
{
    Bytes out;
    text(out, "PALETTE 64 RGB  ");
    for (unsigned i = 0; i < 64; ++i) {
        u8(out, i);
        u8(out, 63 - i);
        u8(out, (i * 5) % 64);
    }
    return out;
}

Bytes icon8()
{
    constexpr unsigned W = 16, H = 8;
    Bytes out;
    text(out, "ICON");
    u8(out, 8);
    u16(out, W);
    u16(out, H);
    pad_to(out, 19);
    for (unsigned y = 0; y < H; ++y)
        for (unsigned x = 0; x < W; ++x)
            u8(out, pattern(x, y) * 3);  // bit 4 set for some indexes only
    return out;
}

// AMI GLE: 6 x 2 cells in colour 11; the columns at 4, rows at 5, colour at 6, then 14
// bitmap bytes per cell.
Bytes gle()
{
    constexpr unsigned COLUMNS = 6, ROWS = 2;
    Bytes out;
    text(out, "GLE");
    u8(out, 0);
    u8(out, COLUMNS);
    u8(out, ROWS);
    u8(out, 11);
    u8(out, 0);
    for (unsigned cell = 0; cell < COLUMNS * ROWS; ++cell)
        for (unsigned j = 0; j < 14; ++j)
            u8(out, (0xF0u >> (cell % 4)) ^ (j % 3 ? 0 : 0x18));
    return out;
}

// TriGem: the pixel-data offset at 10, the size at 18 and 22, 16 entries of (R, G, B, 0)
// at 54, then (count, value) runs of the rows, bottom row first.
Bytes trigem()
{
    constexpr unsigned W = 32, H = 8;
    Bytes out;
    text(out, "TM");
    pad_to(out, 10);
    u32(out, 118);
    pad_to(out, 18);
    u16(out, W);
    pad_to(out, 22);
    u16(out, H);
    pad_to(out, 54);
    for (unsigned i = 0; i < 16; ++i) {
        u8(out, i * 16);
        u8(out, 255 - i * 12);
        u8(out, (i * 90) % 256);
        u8(out, 0);
    }
    Bytes rows;
    for (unsigned r = 0; r < H; ++r)
        packed_row(rows, W, H - 1 - r);
    for (std::size_t i = 0; i < rows.size();) {
        unsigned run = 1;
        while (run < 255 && i + run < rows.size() && rows[i + run] == rows[i])
            ++run;
        u8(out, run);
        u8(out, rows[i]);
        i += run;
    }
    return out;
}

// Dell logo version 2: mode at 2, stored width at 3, height at 5, N at 7, N entries of
// (B, G, R, 0) from 9, then the rows of pixels.
Bytes dell2(unsigned mode)
{
    const unsigned storedWidth = mode == 3 ? 29 : 21, height = mode == 3 ? 8 : 6, entries = mode == 3 ? 16 : 32;
    Bytes out = {0, 0};
    u8(out, mode);
    u16(out, storedWidth);
    u16(out, height);
    u16(out, entries);
    for (unsigned i = 0; i < entries; ++i) {
        u8(out, (i * 40) % 256);
        u8(out, i * 8);
        u8(out, 255 - i * 7);
        u8(out, 0);
    }
    const unsigned width = (storedWidth + 7) / 8 * 8;
    for (unsigned y = 0; y < height; ++y) {
        if (mode == 3) {
            packed_row(out, width, y);
        } else {
            for (unsigned x = 0; x < storedWidth; ++x)
                u8(out, pattern(x, y) + 16 * (y % 2));
        }
    }
    return out;
}

// SystemSoft EPA (2): width and height at 0 and 2, one colour byte per pixel from 16.
Bytes systemsoft_epa2()
{
    constexpr unsigned W = 32, H = 8;
    Bytes out;
    u16(out, W);
    u16(out, H);
    pad_to(out, 16);
    for (unsigned y = 0; y < H; ++y)
        for (unsigned x = 0; x < W; ++x)
            u8(out, pattern(x, y));
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : "tests/data";
    const std::string phoenix = dir + "/phoenix/", intel = dir + "/intel/", vendor = dir + "/vendor/";
    for (const std::string& folder : {phoenix, intel, vendor})
        mkdir(folder.c_str(), 0777);

    bool ok = write_file(phoenix + "pg-standard.pg", pg_standard());
    ok = write_file(phoenix + "pg-standard-cut.pg", pg_standard(), 300) && ok;
    ok = write_file(phoenix + "pg-own-palette.pg", pg_own_palette()) && ok;
    ok = write_file(phoenix + "icon4.icn", icon4()) && ok;
    ok = write_file(phoenix + "icon4.icn.pal", icon4_palette()) && ok;
    ok = write_file(phoenix + "icon8.icn", icon8()) && ok;
    ok = write_file(intel + "grfx.bin", grfx()) && ok;
    ok = write_file(intel + "grfx-cut.bin", grfx(), 150) && ok;
    ok = write_file(intel + "textlogo.bin", textlogo()) && ok;
    ok = write_file(intel + "textlogo-cut.bin", textlogo(), 0x95 + 128 + 31) && ok;
    ok = write_file(vendor + "gle.bin", gle()) && ok;
    ok = write_file(vendor + "trigem.bin", trigem()) && ok;
    ok = write_file(vendor + "trigem-cut.bin", trigem(), 160) && ok;
    ok = write_file(vendor + "dell2-mode3.bin", dell2(3)) && ok;
    ok = write_file(vendor + "dell2-mode3-cut.bin", dell2(3), 100) && ok;
    ok = write_file(vendor + "dell2-mode4.bin", dell2(4)) && ok;
    ok = write_file(vendor + "systemsoft-epa2.bin", systemsoft_epa2()) && ok;
    return ok ? 0 : 1;
}
