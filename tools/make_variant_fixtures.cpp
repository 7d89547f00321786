// Writes the test fixtures of the vendor layouts that carry no signature of their own or
// hide their size: the Phoenix PG with a size sub-header, the AWBM16 picture without a
// palette, the Intel TEXTLOGO "LOGO" block without its container (beside a container
// that fills in every header field, the same bytes with 0x84 more in front) and the
// 70-byte Award mini logo, each with a damaged copy (cut short, as a dump gives).
// Usage: make_variant_fixtures [DATA_DIR] (default "tests/data"); files go to its
// phoenix/, award/ and intel/ folders.
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

// The 8 pattern pixels from x as one bit-plane byte of plane p, leftmost in bit 7.
unsigned plane_byte(unsigned p, unsigned x, unsigned y)
{
    unsigned bits = 0;
    for (unsigned b = 0; b < 8; ++b)
        if ((pattern(x + b, y) >> p) & 1)
            bits |= 0x80u >> b;
    return bits;
}

// PG with the size sub-header: 00 80 at 4, the size at 10 and 12 left 0, R at 17 (the
// rows, bit 15 for one more byte per plane row), N at 19 (16-pixel words per row), the
// screen placement at 21, then four planes of rows x P bytes, P = 2N (+1), from 28.
Bytes pg_subheader(unsigned words, unsigned rows, bool extraByte)
{
    const unsigned rowBytes = 2 * words + (extraByte ? 1 : 0);
    Bytes out;
    text(out, "PG");
    u8(out, 0);
    u8(out, 0);
    u8(out, 0x00);
    u8(out, 0x80);
    pad_to(out, 16);
    u8(out, extraByte ? 0xDF : 0x0F);  // not used
    u16(out, rows | (extraByte ? 0x8000 : 0));
    u16(out, words);
    for (unsigned v : {0x20u, 0x00u, 0x10u, 0x00u, 0x01u, 0x00u, 0x0Fu})  // screen placement
        u8(out, v);
    for (unsigned p = 0; p < 4; ++p)
        for (unsigned y = 0; y < rows; ++y)
            for (unsigned j = 0; j < rowBytes; ++j)
                u8(out, plane_byte(p, 8 * j, y));
    return out;
}

// AWBM16 without a palette: the header, then rows of four planes of W / 8 bytes, and
// nothing after them. The stored width 45 rounds up to 48.
Bytes awbm16_no_palette()
{
    constexpr unsigned STORED_WIDTH = 45, W = 48, H = 16;
    Bytes out;
    text(out, "AWBM");
    u16(out, STORED_WIDTH);
    u16(out, H);
    for (unsigned y = 0; y < H; ++y)
        for (unsigned p = 0; p < 4; ++p)
            for (unsigned j = 0; j < W / 8; ++j)
                u8(out, plane_byte(p, 8 * j, y));
    return out;
}

// A TEXTLOGO container with every header field filled in: "TEXTLOGO" at 0x80, 21 at
// 0x88, the screen's offset M from 0x80 at 0x8A, F at 0x8C, columns and rows at 0x90 and
// 0x92, the glyphs from 0x95, then the screen at 0x80 + M.
Bytes textlogo_container()
{
    constexpr unsigned COLUMNS = 9, ROWS = 4, GLYPHS = 12;
    Bytes out;
    for (unsigned i = 0; i < 0x80; ++i)
        u8(out, 0xE9 ^ i);  // the code before the logo
    text(out, "TEXTLOGO");
    u16(out, 21);
    u16(out, 21 + 16 * GLYPHS);
    u16(out, GLYPHS * 8);
    u16(out, 0);
    u16(out, COLUMNS);
    u16(out, ROWS);
    pad_to(out, 0x95);
    for (unsigned g = 0; g < GLYPHS; ++g)
        for (unsigned j = 0; j < 16; ++j)  // glyph g: a slanted bar of width 1 + g % 4
            u8(out, j == 15 ? 0 : ((0xF0u << (g % 4)) & 0xF0u) >> ((j + g) % 5));
    for (unsigned r = 0; r < ROWS; ++r) {
        for (unsigned c = 0; c < COLUMNS; ++c) {
            u8(out, (r * 5 + c * 7) % GLYPHS);
            u8(out, 0x70 | (1 + (r * COLUMNS + c) % 15));  // background nibble, not drawn
        }
    }
    return out;
}

// The same container less its first 0x84 bytes: the bare block, starting "LOGO".
Bytes logo_block()
{
    Bytes container = textlogo_container();
    return Bytes(container.begin() + 0x84, container.end());
}

// The Award mini logo: five 8 x 14 glyphs, one byte a row, bottom rows clear.
Bytes mini_logo()
{
    // The letters Z, A, R, P and O, 13 rows each.
    constexpr std::uint8_t LETTERS[5][13] = {
        {0xFE, 0xFE, 0x06, 0x0C, 0x18, 0x18, 0x30, 0x60, 0x60, 0xC0, 0xC0, 0xFE, 0xFE},
        {0x38, 0x6C, 0xC6, 0xC6, 0xC6, 0xFE, 0xFE, 0xC6, 0xC6, 0xC6, 0xC6, 0xC6, 0xC6},
        {0xFC, 0xC6, 0xC6, 0xC6, 0xFC, 0xF8, 0xD8, 0xCC, 0xCC, 0xC6, 0xC6, 0xC3, 0xC3},
        {0xFC, 0xC6, 0xC6, 0xC6, 0xC6, 0xFC, 0xC0, 0xC0, 0xC0, 0xC0, 0xC0, 0xC0, 0xC0},
        {0x7C, 0xC6, 0xC6, 0xC6, 0xC6, 0xC6, 0xC6, 0xC6, 0xC6, 0xC6, 0xC6, 0xC6, 0x7C},
    };
    Bytes out;
    for (const auto& letter : LETTERS) {
        for (std::uint8_t row : letter)
            u8(out, row);
        u8(out, 0);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : "tests/data";
    const std::string phoenix = dir + "/phoenix/", award = dir + "/award/", intel = dir + "/intel/";
    for (const std::string& folder : {phoenix, award, intel})
        mkdir(folder.c_str(), 0777);

    const Bytes pg = pg_subheader(4, 20, false);
    bool ok = write_file(phoenix + "pg-subheader.pg", pg);
    ok = write_file(phoenix + "pg-subheader-cut.pg", pg, pg.size() - 7) && ok;  // as a real cut is
    ok = write_file(phoenix + "pg-subheader-odd.pg", pg_subheader(2, 12, true)) && ok;
    ok = write_file(award + "awbm16-no-palette.bin", awbm16_no_palette()) && ok;
    ok = write_file(award + "awbm16-no-palette-cut.bin", awbm16_no_palette(), 300) && ok;
    ok = write_file(intel + "textlogo-map.bin", textlogo_container()) && ok;
    ok = write_file(intel + "logo-block.bin", logo_block()) && ok;
    ok = write_file(intel + "logo-block-cut.bin", logo_block(), 200) && ok;
    ok = write_file(award + "mini-logo.bin", mini_logo()) && ok;
    ok = write_file(award + "mini-logo-cut.bin", mini_logo(), 69) && ok;
    return ok ? 0 : 1;
}
