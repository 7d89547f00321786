// AMI GLE, TriGem TM, Dell logo version 2 and SystemSoft EPA (2) pictures: detection and
// pixels through the whole load pipeline.
#include <gtest/gtest.h>

#include <array>

#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

const std::uint32_t YELLOW = standard_rgb(14), WHITE = standard_rgb(15);
// Entries 1 and 2 of the TriGem and Dell palettes below: (10, 20, 30) and (200, 100, 50).
constexpr std::uint32_t ONE = 0x0A141E, TWO = 0xC86432;

// GLE: columns at 4, rows at 5, the colour at 6, then 14 bitmap bytes per cell.
Bytes gle(unsigned columns, unsigned color, const Bytes& cells)
{
    return ByteBuilder().text("GLE").u8(0).u8(columns).u8(1).u8(color).u8(0).bytes(cells).data();
}

// TriGem: data offset at 10, size at 18 and 22, (R, G, B, 0) entries at 54, count/value pairs.
Bytes trigem(unsigned width, unsigned height, const Bytes& pairs)
{
    ByteBuilder b;
    b.text("TM").pad_to(10).u32(118).pad_to(18).u16(width).pad_to(22).u16(height).pad_to(58);
    return b.u8(10).u8(20).u8(30).u8(0).u8(200).u8(100).u8(50).pad_to(118).bytes(pairs).data();
}

// Dell version 2: mode at 2, stored width at 3, stored height at 5, 3 entries of (B, G, R, 0)
// at 9 (entry 0 is 090909), then the pixels.
Bytes dell2(unsigned mode, unsigned width, unsigned height, const Bytes& pixels)
{
    ByteBuilder b;
    b.u8(0).u8(0).u8(mode).u16(width).u16(height).u16(3);
    b.fill(3, 9).u8(0).u8(30).u8(20).u8(10).u8(0).u8(50).u8(100).u8(200).u8(0);
    return b.bytes(pixels).data();
}

}  // namespace

TEST(VendorRasters, Detection)
{
    const DetectCase cases[] = {
        {"glb", ByteBuilder().text("GLB").u8(0).u8(10).u8(4).pad_to(700).data(), FORMAT_AMI_GLE, 80, 56, 1},
        {"systemsoft raw", ByteBuilder().u16(4).u16(3).pad_to(28).data(), FORMAT_SYSTEMSOFT_EPA_2, 4, 3, 16},
        {"trigem short", ByteBuilder().text("TM").data(), FORMAT_TRIGEM, 0, 0, 16},
        {"no format's file", ByteBuilder().text("Hello, this is not a logo at all; just words.\n").data(), 0, 0, 0, 0},
    };
    for (const DetectCase& c : cases)
        expect_detected(c);
}

TEST(VendorRasters, PixelsThroughTheWholePipeline)
{
    const std::pair<Bytes, std::vector<std::array<std::uint32_t, 3>>> cases[] = {  // the file; x, y, 0xRRGGBB
        // GLE: two cells, the first with its top row 0x80, the second full; colour 0x1E keeps its low four bits.
        {gle(2, 0x1E, ByteBuilder().u8(0x80).fill(13).fill(14, 0xFF).data()),
         {{0, 0, YELLOW}, {1, 0, 0}, {0, 1, 0}, {15, 13, YELLOW}}},
        // TriGem: the bottom row (3, 0x12) is 1, 2, 1, 2, 1, 2; the top row: a count of 0 writes
        // nothing, then 0x21 three times. A run longer than the picture, a missing value byte.
        {trigem(6, 2, {3, 0x12, 0, 0x33, 3, 0x21}),
         {{0, 1, ONE}, {1, 1, TWO}, {2, 1, ONE}, {5, 1, TWO}, {0, 0, TWO}, {5, 0, ONE}}},
        {trigem(4, 1, {255, 0x22, 7}), {{3, 0, TWO}}},
        {trigem(4, 1, {1, 0x12, 9}), {{1, 0, TWO}, {2, 0, 0}}},
        // TriGem pairs ending after the bottom row: the rows above show entry 0 (5, 6, 7 here).
        {ByteBuilder().bytes(trigem(4, 3, {2, 0x12})).put_u8(54, 5).put_u8(55, 6).put_u8(56, 7).data(),
         {{0, 2, ONE}, {1, 2, TWO}, {0, 1, 0x050607}, {3, 0, 0x050607}}},
        // Dell mode 3, 13 pixels stored (width 16): pixels 0..11 shown, 12..15 black.
        {dell2(3, 13, 1, Bytes(8, 0x12)), {{0, 0, ONE}, {11, 0, TWO}, {12, 0, 0}, {15, 0, 0}}},
        // Dell mode 4, 3 pixels stored per row (width 8), two rows; index 5 is past the 3 entries.
        {dell2(4, 3, 2, {1, 2, 5, 2, 1, 0}), {{0, 0, ONE}, {1, 0, TWO}, {2, 0, 0}, {3, 0, 0}, {0, 1, TWO}}},
        // Data ending inside row 1: the row is completed from zero bytes (entry 0), row 2 black.
        {dell2(4, 2, 3, {0, 0, 0}), {{1, 1, 0x090909}, {0, 2, 0}, {1, 2, 0}}},
        // SystemSoft EPA (2): colour bytes past the table keep their low four bits.
        {ByteBuilder().u16(4).u16(1).pad_to(16).u8(0x0E).u8(0x1E).u8(0x0F).u8(0).data(),
         {{0, 0, YELLOW}, {1, 0, YELLOW}, {2, 0, WHITE}, {3, 0, 0}}},
    };
    for (const auto& [file, pixels] : cases) {
        LoadResult r = load_bytes(file);
        for (auto [x, y, rgb] : pixels)
            EXPECT_EQ(r.rgb(x, y), rgb) << format_name(r.descriptor.formatId) << " at " << x << "," << y;
    }
}
