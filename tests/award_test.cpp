// Award logos: detection, EPA cells in the three panels, AWBM 16/256 colours with a palette
// trailer, and the compressed AWBM variants with their scrambled run counts.
#include <gtest/gtest.h>

#include <array>

#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

// A 0x13 x 0x10 AWBM file with "RGB " tags at the given offsets (0: none).
Bytes awbm(std::size_t tag16, std::size_t tag256, unsigned byte11 = 0)
{
    ByteBuilder b = ByteBuilder().text("AWBM").u16(0x13).u16(0x10).pad_to(0x200).put_u8(11, byte11);
    return b.put_text(tag16, tag16 ? "RGB " : "").put_text(tag256, tag256 ? "RGB " : "").data();
}

// An EPA file: every cell has the attribute and a glyph of row 0 0x80 (one pixel), row 3 full.
Bytes epa(unsigned columns, unsigned rows, unsigned attribute)
{
    ByteBuilder b;
    b.u8(columns).u8(rows).fill(columns * rows, static_cast<std::uint8_t>(attribute));
    for (unsigned cell = 0; cell < columns * rows; ++cell)
        b.u8(0x80).u8(0).u8(0).u8(0xFF).fill(10);
    return b.pad_to(15 * columns * rows + 72).data();
}

// 6-bit palette entries, entry i being (i, 2i, 3i) in file order except entries 0, 0A 14 1E,
// and 1, 3F 00 00; and 6-bit values as an 8-bit colour.
Bytes ramp(unsigned count)
{
    ByteBuilder b;
    for (unsigned i = 0; i < count; ++i)
        b.u8(i & 0x3F).u8((2 * i) & 0x3F).u8((3 * i) & 0x3F);
    return b.put_u8(0, 10).put_u8(1, 20).put_u8(2, 30).put_u8(3, 0x3F).put_u8(4, 0).put_u8(5, 0).data();
}
std::uint32_t rgb6(unsigned red, unsigned green, unsigned blue)
{
    return ((red * 4) & 0xFF) << 16 | ((green * 4) & 0xFF) << 8 | ((blue * 4) & 0xFF);
}

}  // namespace

TEST(AwardDetect, HandMadeHeaders)
{
    auto sized = [](unsigned columns, unsigned rows, std::size_t n) {
        return ByteBuilder().u8(columns).u8(rows).pad_to(n).data();
    };
    const DetectCase cases[] = {
        // Width 0x13 rounds to 0x18: the 16-colour tag at 8 + 0x18 x 0x10 / 2, the 256-colour one at 8 + 0x18 x 0x10.
        {"awbm16 tag", awbm(0xC8, 0), FORMAT_AWBM16, 0x18, 0x10, 16},
        {"awbm256 tag", awbm(0, 0x188), FORMAT_AWBM256, 0x18, 0x10, 256},
        {"awbm both tags", awbm(0xC8, 0x188), FORMAT_AWBM16, 0x18, 0x10, 16},
        {"awbm tags one byte off", awbm(0xC9, 0x187), FORMAT_AWBM16_COMPRESSED, 0x18, 0x10, 16},
        {"awbm no tag, byte 11 is 1", awbm(0, 0, 1), FORMAT_AWBM256_COMPRESSED, 0x18, 0x10, 256},
        {"standard epa", sized(17, 6, 1602), FORMAT_STANDARD_EPA, 136, 84, 16},
        {"nonstandard epa", sized(10, 4, 672), FORMAT_NONSTANDARD_EPA, 80, 56, 16},
        {"epa without columns", sized(0, 5, 72), FORMAT_NONSTANDARD_EPA, 0, 70, 16},
        {"epa one byte long", sized(17, 6, 1603), 0, 0, 0, 0},
    };
    for (const DetectCase& c : cases)
        expect_detected(c);
}

TEST(AwardEpa, CellsInTheThreePanels)
{
    // Attribute 0x0F everywhere: white glyphs on black; grey glyphs and a light-red grid (the
    // cell's last column and row) in the FontMap; white cells with a black grid in the ColorMap.
    LoadResult r = load_bytes(epa(17, 6, 0x0F));
    const std::uint32_t white = standard_rgb(15), grey = standard_rgb(7), red = standard_rgb(12);
    for (auto [x, y] : {std::pair{0u, 0u}, {16u, 14u}, {128u, 70u}}) {  // cells (0, 0), (2, 1), (16, 5)
        expect_pixels(r.image, 136, {{x, y, white}, {x + 1, y, 0}, {x + 5, y + 3, white}, {x, y + 1, 0}});
        expect_pixels(r.fontMap, 136, {{x, y, grey}, {x + 1, y, 0}, {x + 7, y + 3, red}, {x + 2, y + 13, red}});
        expect_pixels(r.colorMap, 136, {{x + 1, y + 1, white}, {x + 7, y, 0}, {x, y + 13, 0}});
    }
}

TEST(AwardAwbm, SixteenColourEntriesAreBlueFirstTwoFiftySixRedFirst)
{
    // 16 x 1, four planes of two bytes: pixel 0 has plane 0 only (index 1, stored 3F 00 00:
    // blue), pixel 1 plane 3 only, pixel 9 plane 1 only, pixel 15 every plane.
    Bytes row = {0x80, 0x01, 0x00, 0x41, 0x00, 0x01, 0x40, 0x01};
    LoadResult r = load_bytes(ByteBuilder().text("AWBM").u16(16).u16(1).bytes(row).text("RGB ").bytes(ramp(16)).data());
    expect_pixels(r.image, 16,
                  {{0, 0, 0x0000FC}, {1, 0, rgb6(24, 16, 8)}, {9, 0, rgb6(6, 4, 2)}, {15, 0, rgb6(45, 30, 15)}});
    // 8 x 2, one byte a pixel: index 1 (3F 00 00: red), 2, 255 and 7.
    Bytes pixels = {1, 2, 0x80, 0xFF, 0, 1, 1, 1, 7, 7, 7, 7, 7, 7, 7, 7};
    r = load_bytes(ByteBuilder().text("AWBM").u16(8).u16(2).bytes(pixels).text("RGB ").bytes(ramp(256)).data());
    expect_pixels(r.image, 8,
                  {{0, 0, 0xFC0000}, {1, 0, rgb6(2, 4, 6)}, {3, 0, rgb6(63, 62, 61)}, {7, 1, rgb6(7, 14, 21)}});
}

// Bit 7 of each count byte is flipped by bit 7 XOR bit 6 of the C standard's example rand()
// from seed 1, whose first outputs are 16838, 5758, 10113, 17515, 31051, 5627, 23010, 7419.
TEST(AwardCompressed, ScrambledRunCounts)
{
    constexpr std::array<std::uint8_t, 8> SCRAMBLE = {0x00, 0x80, 0x80, 0x80, 0x80, 0x00, 0x00, 0x00};
    const struct {
        unsigned w, h, depth;
        std::vector<std::pair<unsigned, unsigned>> runs;  // value, copies (1 to 256)
        std::vector<std::array<std::uint32_t, 3>> pixels;
    } cases[] = {
        // One copy each: a wrong scramble bit turns a count of 0 into 128.
        {8, 1, 1, {{2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 1}, {9, 1}},
         {{0, 0, rgb6(2, 4, 6)}, {4, 0, rgb6(6, 12, 18)}, {7, 0, rgb6(9, 18, 27)}}},
        // Count byte FF writes 256 copies; the pixels no run reaches show entry 0, in the row
        // where the runs end and in the rows after it.
        {16, 33, 1, {{5, 256}, {6, 250}},
         {{15, 15, rgb6(5, 10, 15)}, {9, 31, rgb6(6, 12, 18)}, {10, 31, rgb6(10, 20, 30)}, {0, 32, rgb6(10, 20, 30)}}},
        // 16 colours, 8 x 3, only row 0 packed: rows 1 and 2 show entry 0, blue first.
        {8, 3, 0, {{0xFF, 4}}, {{0, 0, rgb6(45, 30, 15)}, {0, 1, rgb6(30, 20, 10)}, {7, 2, rgb6(30, 20, 10)}}},
        // 16 colours, 8 x 2: row 0 all planes FF (entry 15 read as b, g, r), row 1 plane 0 only.
        {8, 2, 0, {{0xFF, 4}, {0x80, 1}, {0x00, 3}},
         {{3, 0, rgb6(45, 30, 15)}, {0, 1, 0x0000FC}, {1, 1, rgb6(30, 20, 10)}}},
    };
    for (const auto& c : cases) {
        ByteBuilder b;  // the depth flag is byte 11, the last of the palette block's tag field
        b.text("AWBM").u16(c.w).u16(c.h).text("RGB").u8(c.depth).bytes(ramp(c.depth ? 256 : 16));
        for (std::size_t i = 0; i < c.runs.size(); ++i)
            b.u8(c.runs[i].first).u8((c.runs[i].second - 1) ^ SCRAMBLE.at(i));
        LoadResult r = load_bytes(b.data());
        for (auto [x, y, rgb] : c.pixels)
            EXPECT_EQ(r.rgb(x, y), rgb) << c.w << "x" << c.h << " at " << x << "," << y;
        EXPECT_EQ(load_bytes(b.data()).image, r.image) << "the scramble starts afresh for every picture";
    }
}
