// Award decoders: EPA character cells, AWBM 16/256 colours with a palette trailer, and
// the compressed AWBM variants with their scrambled run counts.
#include <gtest/gtest.h>

#include <array>

#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

constexpr std::uint32_t BLACK = 0x000000;
constexpr std::uint32_t WHITE = 0xFCFCFC;      // standard colour 15
constexpr std::uint32_t GREY = 0xA8A8A8;       // standard colour 7
constexpr std::uint32_t LIGHT_RED = 0xFC5454;  // standard colour 12
constexpr std::uint32_t BLUE = 0x0000A8;       // standard colour 1

// An EPA file: every cell gets attribute(cell) and the same 14-row glyph, whose row 0 is
// 0x80 (leftmost pixel only), row 3 full and the rest empty.
template <typename Attribute>
Bytes epa_file(unsigned columns, unsigned rows, Attribute attribute)
{
    ByteBuilder b;
    b.u8(columns).u8(rows);
    for (unsigned cell = 0; cell < columns * rows; ++cell)
        b.u8(attribute(cell));
    for (unsigned cell = 0; cell < columns * rows; ++cell)
        b.u8(0x80).u8(0).u8(0).u8(0xFF).fill(10);
    return b.pad_to(15 * columns * rows + 72).data();
}

}  // namespace

TEST(AwardEpa, StandardWhiteCellsInTheThreePanels)
{
    LoadResult r = load_bytes(epa_file(17, 6, [](unsigned) { return 0x0F; }), "white.epa");
    ASSERT_EQ(r.descriptor.formatId, 1);
    const unsigned w = r.descriptor.width;
    ASSERT_EQ(w, 136u);
    // The cell in grid row 1, column 2 starts at pixel (16, 14).
    for (auto [x0, y0] : {std::pair{0u, 0u}, std::pair{16u, 14u}, std::pair{128u, 70u}}) {
        SCOPED_TRACE(x0 * 1000 + y0);
        expect_pixels(r.image, w, {{x0, y0, WHITE}, {x0 + 1, y0, BLACK}, {x0 + 5, y0 + 3, WHITE}, {x0, y0 + 1, BLACK}});
        // The last column and the last row of a cell are grid.
        expect_pixels(r.fontMap, w,
                      {{x0, y0, GREY}, {x0 + 1, y0, BLACK}, {x0 + 7, y0 + 3, LIGHT_RED}, {x0 + 2, y0 + 13, LIGHT_RED}});
        // Every pixel of a cell takes the cell colour, bit or not.
        expect_pixels(r.colorMap, w, {{x0 + 1, y0 + 1, WHITE}, {x0 + 7, y0, BLACK}, {x0, y0 + 13, BLACK}});
    }
}

TEST(AwardEpa, EachCellTakesItsOwnAttributeInRowMajorOrder)
{
    // 10 x 4 cells, NonStandard; attributes 0..15 cycling, one above 15 at cell 13.
    LoadResult r = load_bytes(epa_file(10, 4, [](unsigned cell) { return cell == 13 ? 0x1C : cell % 16; }), "g.epa");
    ASSERT_EQ(r.descriptor.formatId, 2);
    ASSERT_EQ(r.descriptor.width, 80u);
    ASSERT_EQ(r.descriptor.height, 56u);
    // Cells 1, 15, 13 (0x1C uses its low nibble) and 39, the last one.
    expect_pixels(r.colorMap, 80, {{8 + 2, 2, BLUE}, {40 + 2, 16, WHITE}, {24 + 2, 16, LIGHT_RED}, {72 + 2, 44, GREY}});
}

namespace {

// 6-bit palette entries, entry i being (i, 2i, 3i) in file order except entry 1, 3F 00 00.
Bytes ramp_entries(unsigned count)
{
    ByteBuilder b;
    for (unsigned i = 0; i < count; ++i)
        b.u8(i & 0x3F).u8((2 * i) & 0x3F).u8((3 * i) & 0x3F);
    return b.put_u8(3, 0x3F).put_u8(4, 0).put_u8(5, 0).data();
}

// 6-bit entry values (a, b, c) as an 8-bit colour, in the given order.
std::uint32_t rgb6(unsigned red, unsigned green, unsigned blue)
{
    return ((red * 4) & 0xFF) << 16 | ((green * 4) & 0xFF) << 8 | ((blue * 4) & 0xFF);
}

}  // namespace

TEST(AwardAwbm, SixteenColourEntriesAreBlueFirstTwoFiftySixRedFirst)
{
    // 16 x 1, four planes of two bytes each: pixel 0 has plane 0 only, pixel 1 plane 3
    // only, pixel 9 plane 1 only, pixel 15 every plane. The trailer follows the W x H / 2 bytes.
    Bytes entries = ramp_entries(16);
    Bytes row = {0x80, 0x01, 0x00, 0x41, 0x00, 0x01, 0x40, 0x01};
    LoadResult r = load_bytes(ByteBuilder().text("AWBM").u16(16).u16(1).bytes(row).text("RGB ").bytes(entries).data());
    ASSERT_EQ(r.descriptor.formatId, 3);
    // Index 1 (stored 3F 00 00: blue), 8, 2, 15 and 0.
    expect_pixels(r.image, 16, {{0, 0, 0x0000FC}, {1, 0, rgb6(24, 16, 8)}, {9, 0, rgb6(6, 4, 2)},
                                {15, 0, rgb6(45 & 0x3F, 30, 15)}, {2, 0, 0}});
    ASSERT_EQ(r.palette.size(), 768u);
    EXPECT_TRUE(std::equal(entries.begin(), entries.end(), r.palette.begin()));  // copied as stored
    EXPECT_EQ(r.palette[48], 0);

    entries = ramp_entries(256);
    Bytes pixels = {1, 2, 0x80, 0xFF, 0, 1, 1, 1, 7, 7, 7, 7, 7, 7, 7, 7};
    r = load_bytes(ByteBuilder().text("AWBM").u16(8).u16(2).bytes(pixels).text("RGB ").bytes(entries).data());
    ASSERT_EQ(r.descriptor.formatId, 9);
    // Index 1 (stored 3F 00 00: red), 2, 255 and 7.
    expect_pixels(r.image, 8,
                  {{0, 0, 0xFC0000}, {1, 0, rgb6(2, 4, 6)}, {3, 0, rgb6(63, 62, 61)}, {7, 1, rgb6(7, 14, 21)}});
    EXPECT_EQ(r.palette, Bytes(768, 0));  // the 256-colour decoders keep no palette
}

namespace {

// Bit 7 of each count byte is flipped by bit 7 XOR bit 6 of the C standard's example rand()
// from seed 1, whose first outputs are 16838, 5758, 10113, 17515, 31051, 5627, 23010, 7419.
constexpr std::array<std::uint8_t, 8> SCRAMBLE = {0x00, 0x80, 0x80, 0x80, 0x80, 0x00, 0x00, 0x00};

using PackedRun = std::pair<std::uint8_t, unsigned>;  // value, copies (1 to 256)

// A compressed AWBM file: header, palette block (the depth flag is byte 11, the last byte
// of the block's tag field), then the runs as scrambled (value, copies - 1) pairs.
Bytes compressed_file(unsigned w, unsigned h, bool colors256, const Bytes& entries, const std::vector<PackedRun>& runs)
{
    ByteBuilder b;
    b.text("AWBM").u16(w).u16(h).text("RGB").u8(colors256 ? 1 : 0).bytes(entries);
    for (std::size_t i = 0; i < runs.size(); ++i)
        b.u8(runs[i].first).u8((runs[i].second - 1) ^ SCRAMBLE.at(i));
    return b.data();
}

}  // namespace

TEST(AwardCompressed, RunCountsAndShortFiles)
{
    Bytes entries = ramp_entries(256);
    entries[0] = 10, entries[1] = 20, entries[2] = 30;
    auto colour = [&](unsigned i) { return rgb6(entries[3 * i], entries[3 * i + 1], entries[3 * i + 2]); };
    struct Case {
        const char* what;
        unsigned w, h;
        std::vector<PackedRun> runs;
        std::vector<std::array<unsigned, 3>> pixels;  // x, y, palette index
    };
    const Case cases[] = {
        // A wrong scramble bit turns a count of 0 into 128.
        {"single copies", 8, 1, {{2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 1}, {9, 1}},
         {{0, 0, 2}, {1, 0, 3}, {2, 0, 4}, {3, 0, 5}, {4, 0, 6}, {5, 0, 7}, {6, 0, 8}, {7, 0, 9}}},
        {"count byte FF writes 256 copies", 16, 32, {{5, 256}, {6, 256}}, {{15, 15, 5}, {0, 16, 6}, {15, 31, 6}}},
        // The rest of the row where the runs end shows entry 0 (the rows after it stay black).
        {"file ends early", 8, 2, {{3, 3}}, {{2, 0, 3}, {3, 0, 0}, {7, 0, 0}}},
        {"run past the picture", 8, 1, {{9, 256}}, {{7, 0, 9}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes file = compressed_file(c.w, c.h, true, entries, c.runs);
        LoadResult r = load_bytes(file, "c256.bin");
        ASSERT_EQ(r.descriptor.formatId, 28);
        for (auto [x, y, index] : c.pixels)
            EXPECT_EQ(r.rgb(x, y), colour(index)) << x << "," << y;
        EXPECT_EQ(load_bytes(file, "c256.bin").image, r.image) << "the scramble starts afresh for every picture";
    }
}

TEST(AwardCompressed, SixteenColourPlanesAndBlueFirstPalette)
{
    // 8 x 2: row 0 all planes FF (index 15); row 1 plane 0 is 0x80, planes 1-3 are 0.
    Bytes entries = ramp_entries(16);
    LoadResult r = load_bytes(compressed_file(8, 2, false, entries, {{0xFF, 4}, {0x80, 1}, {0x00, 3}}), "c16.bin");
    ASSERT_EQ(r.descriptor.formatId, 22);
    // Entry 15 = (15, 30, 45) read as b, g, r; entry 1 (3F 00 00) blue.
    expect_pixels(r.image, 8, {{3, 0, rgb6(45 & 0x3F, 30, 15)}, {0, 1, 0x0000FC}, {1, 1, 0}});
    EXPECT_TRUE(std::equal(entries.begin(), entries.end(), r.palette.begin()));
}

TEST(AwardCompressed, HugeHeaderSizesAreRefusedWithoutDecoding)
{
    for (unsigned depth : {0u, 1u}) {
        SCOPED_TRACE(depth);
        LoadResult r = load_bytes(compressed_file(0xFFF1, 0xFFFF, depth, Bytes(772, 7), {{0, 33}}), "huge.bin");
        EXPECT_EQ(r.descriptor.formatId, depth ? 28 : 22);
        EXPECT_EQ(r.descriptor.width, 0xFFF8);  // 0xFFF1 rounded up to a multiple of 8
        EXPECT_TRUE(r.image.empty());
        EXPECT_EQ(r.stdoutText.find("allocation error"), std::string::npos);
    }
}
