// Award decoders: EPA character cells, AWBM 16/256 colours with a palette trailer, and
// the compressed AWBM variants with their scrambled run counts.
#include <gtest/gtest.h>

#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

constexpr std::uint32_t BLACK = 0x000000;
constexpr std::uint32_t WHITE = 0xFCFCFC;      // standard colour 15
constexpr std::uint32_t GREY = 0xA8A8A8;       // standard colour 7
constexpr std::uint32_t LIGHT_RED = 0xFC5454;  // standard colour 12
constexpr std::uint32_t BLUE = 0x0000A8;       // standard colour 1

// An EPA file: every cell gets attribute(cell) and the same 14-row glyph.
template <typename Attribute>
Bytes epa_file(unsigned columns, unsigned rows, Attribute attribute, const Bytes& glyph)
{
    ByteBuilder b;
    b.u8(columns).u8(rows);
    for (unsigned cell = 0; cell < columns * rows; ++cell)
        b.u8(attribute(cell));
    for (unsigned cell = 0; cell < columns * rows; ++cell)
        b.bytes(glyph);
    return b.pad_to(15 * columns * rows + 72).data();
}

// Glyph rows: row 0 is 0x80 (leftmost pixel only), row 3 is full, the rest empty.
const Bytes GLYPH = {0x80, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

}  // namespace

TEST(AwardEpa, StandardWhiteCellsInTheThreePanels)
{
    LoadResult r = load_bytes(epa_file(17, 6, [](unsigned) { return 0x0F; }, GLYPH), "white.epa");
    ASSERT_EQ(r.loaded, 1);
    ASSERT_EQ(r.descriptor.formatId, 1);
    const unsigned w = r.descriptor.width;
    ASSERT_EQ(w, 136u);
    // The cell in grid row 1, column 2 starts at pixel (16, 14).
    for (auto [x0, y0] : {std::pair{0u, 0u}, std::pair{16u, 14u}, std::pair{128u, 70u}}) {
        SCOPED_TRACE(x0 * 1000 + y0);
        EXPECT_EQ(r.rgb(x0, y0), WHITE);
        EXPECT_EQ(r.rgb(x0 + 1, y0), BLACK);
        EXPECT_EQ(r.rgb(x0 + 7, y0), BLACK);
        EXPECT_EQ(r.rgb(x0 + 5, y0 + 3), WHITE);
        EXPECT_EQ(r.rgb(x0, y0 + 1), BLACK);

        EXPECT_EQ(pixel_at(r.fontMap, w, x0, y0), GREY);
        EXPECT_EQ(pixel_at(r.fontMap, w, x0 + 1, y0), BLACK);
        EXPECT_EQ(pixel_at(r.fontMap, w, x0 + 7, y0 + 3), LIGHT_RED);  // last column is grid
        EXPECT_EQ(pixel_at(r.fontMap, w, x0 + 2, y0 + 13), LIGHT_RED);  // last row is grid
        EXPECT_EQ(pixel_at(r.fontMap, w, x0 + 6, y0 + 3), GREY);

        EXPECT_EQ(pixel_at(r.colorMap, w, x0 + 1, y0 + 1), WHITE);  // the cell colour, bit or not
        EXPECT_EQ(pixel_at(r.colorMap, w, x0 + 7, y0), BLACK);
        EXPECT_EQ(pixel_at(r.colorMap, w, x0, y0 + 13), BLACK);
    }
    EXPECT_EQ(r.rgb(135, 83), BLACK);  // bottom-right pixel: glyph row 13 is empty
}

TEST(AwardEpa, EachCellTakesItsOwnAttributeInRowMajorOrder)
{
    // 10 x 4 cells, NonStandard; attributes 0..15 cycling, one above 15 at cell 13.
    auto attribute = [](unsigned cell) { return cell == 13 ? 0x1C : cell % 16; };
    LoadResult r = load_bytes(epa_file(10, 4, attribute, GLYPH), "grid.epa");
    ASSERT_EQ(r.loaded, 1);
    ASSERT_EQ(r.descriptor.formatId, 2);
    ASSERT_EQ(r.descriptor.width, 80u);
    ASSERT_EQ(r.descriptor.height, 56u);
    const unsigned w = 80;
    EXPECT_EQ(pixel_at(r.colorMap, w, 8 * 1 + 2, 2), BLUE);          // cell 1
    EXPECT_EQ(pixel_at(r.colorMap, w, 8 * 5 + 2, 14 + 2), WHITE);    // cell 15
    EXPECT_EQ(pixel_at(r.colorMap, w, 8 * 3 + 2, 14 * 1 + 2), LIGHT_RED);  // cell 13: 0x1C uses its low nibble
    EXPECT_EQ(r.rgb(8 * 3, 14 * 1), LIGHT_RED);
    EXPECT_EQ(r.rgb(8 * 9, 14 * 3), GREY);  // cell 39, the last one: colour 7
}

namespace {

// An AWBM16 file with its trailer: W x H (W a multiple of 8), rows of four planes.
Bytes awbm16_file(unsigned w, unsigned h, const Bytes& rows, const Bytes& bgrEntries)
{
    ByteBuilder b;
    b.text("AWBM").u16(w).u16(h).bytes(rows).pad_to(8 + w * h / 2).text("RGB ").bytes(bgrEntries);
    return b.pad_to(8 + w * h / 2 + 52).data();
}

Bytes awbm256_file(unsigned w, unsigned h, const Bytes& pixels, const Bytes& rgbEntries)
{
    ByteBuilder b;
    b.text("AWBM").u16(w).u16(h).bytes(pixels).pad_to(8 + w * h).text("RGB ").bytes(rgbEntries);
    return b.pad_to(8 + w * h + 772).data();
}

// Sixteen entries of which entry i is (i, 2i, 3i) in file order.
Bytes ramp_entries(unsigned count)
{
    Bytes e;
    for (unsigned i = 0; i < count; ++i) {
        e.push_back(static_cast<std::uint8_t>(i & 0x3F));
        e.push_back(static_cast<std::uint8_t>((2 * i) & 0x3F));
        e.push_back(static_cast<std::uint8_t>((3 * i) & 0x3F));
    }
    return e;
}

// 6-bit entry values (a, b, c) as an 8-bit colour, in the given order.
std::uint32_t rgb6(unsigned red, unsigned green, unsigned blue)
{
    return ((red * 4) & 0xFF) << 16 | ((green * 4) & 0xFF) << 8 | ((blue * 4) & 0xFF);
}

}  // namespace

TEST(AwardAwbm, SixteenColourEntriesAreBlueFirst)
{
    Bytes entries = ramp_entries(16);
    entries[3] = 0x3F, entries[4] = 0x00, entries[5] = 0x00;  // entry 1
    // 16 x 1: four planes of two bytes each; pixel 0 has plane 0 only, pixel 1 plane 3
    // only, pixel 9 plane 1 only, pixel 15 every plane.
    Bytes row = {0x80, 0x01, 0x00, 0x41, 0x00, 0x01, 0x40, 0x01};
    LoadResult r = load_bytes(awbm16_file(16, 1, row, entries), "a16.bin");
    ASSERT_EQ(r.descriptor.formatId, 3);
    EXPECT_EQ(r.rgb(0, 0), 0x0000FCu);              // index 1, stored 3F 00 00: blue
    EXPECT_EQ(r.rgb(1, 0), rgb6(3 * 8, 2 * 8, 8));  // index 8
    EXPECT_EQ(r.rgb(9, 0), rgb6(6, 4, 2));          // index 2
    EXPECT_EQ(r.rgb(15, 0), rgb6(45 & 0x3F, 30, 15));
    EXPECT_EQ(r.rgb(2, 0), 0u);  // index 0 is (0, 0, 0)
    ASSERT_EQ(r.palette.size(), 768u);
    EXPECT_TRUE(std::equal(entries.begin(), entries.end(), r.palette.begin()));  // copied as stored
    EXPECT_EQ(r.palette[48], 0);
}

TEST(AwardAwbm, TwoFiftySixColourEntriesAreRedFirst)
{
    Bytes entries = ramp_entries(256);
    entries[3] = 0x3F, entries[4] = 0x00, entries[5] = 0x00;  // entry 1
    Bytes pixels = {1, 2, 0x80, 0xFF, 0, 1, 1, 1, 7, 7, 7, 7, 7, 7, 7, 7};
    LoadResult r = load_bytes(awbm256_file(8, 2, pixels, entries), "a256.bin");
    ASSERT_EQ(r.descriptor.formatId, 9);
    EXPECT_EQ(r.rgb(0, 0), 0xFC0000u);  // index 1, stored 3F 00 00: red
    EXPECT_EQ(r.rgb(1, 0), rgb6(2, 4, 6));
    EXPECT_EQ(r.rgb(2, 0), rgb6(0x80 & 0x3F, 0x100 & 0x3F, 0x180 & 0x3F));
    EXPECT_EQ(r.rgb(3, 0), rgb6(0xFF & 0x3F, (2 * 0xFF) & 0x3F, (3 * 0xFF) & 0x3F));
    EXPECT_EQ(r.rgb(7, 1), rgb6(7, 14, 21));
    EXPECT_EQ(r.palette, Bytes(768, 0));  // the 256-colour decoders keep no palette
}

namespace {

// First outputs of the published rand() example (next = next * 1103515245 + 12345;
// return next / 65536 % 32768) from seed 1.
constexpr unsigned PUBLISHED_RAND[] = {16838, 5758, 10113, 17515, 31051};

// The scramble masks for the first n pairs: bit 7 of r XOR bit 6 of r, in bit 7.
std::vector<std::uint8_t> scramble_masks(unsigned n)
{
    std::vector<std::uint8_t> masks;
    unsigned long long next = 1;
    for (unsigned i = 0; i < n; ++i) {
        next = (next * 1103515245ull + 12345ull) % 4294967296ull;
        unsigned r = static_cast<unsigned>(next / 65536 % 32768);
        masks.push_back(((r >> 7) & 1) != ((r >> 6) & 1) ? 0x80 : 0x00);
    }
    return masks;
}

struct PackedRun {
    std::uint8_t value;
    unsigned copies;  // 1 to 256
};

// Packed pairs for the runs, with the count bytes scrambled as the format stores them.
Bytes pack_runs(const std::vector<PackedRun>& runs)
{
    std::vector<std::uint8_t> masks = scramble_masks(static_cast<unsigned>(runs.size()));
    Bytes out;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        out.push_back(runs[i].value);
        out.push_back(static_cast<std::uint8_t>((runs[i].copies - 1) ^ masks[i]));
    }
    return out;
}

// A compressed AWBM file: header, palette block (the depth flag is byte 11, the last
// byte of the block's tag field), packed pairs.
Bytes compressed_file(unsigned w, unsigned h, bool colors256, const Bytes& entries, const Bytes& packed)
{
    ByteBuilder b;
    b.text("AWBM").u16(w).u16(h).text("RGB").u8(colors256 ? 1 : 0).bytes(entries);
    return b.bytes(packed).data();
}

}  // namespace

TEST(AwardCompressed, ScrambleStreamMatchesThePublishedGenerator)
{
    unsigned long long next = 1;
    for (unsigned expected : PUBLISHED_RAND) {
        next = (next * 1103515245ull + 12345ull) % 4294967296ull;
        EXPECT_EQ(next / 65536 % 32768, expected);
    }
    // 16838 = 0x41C6: bits 7 and 6 both set, no scramble; the next four flip bit 7.
    EXPECT_EQ(scramble_masks(5), (std::vector<std::uint8_t>{0x00, 0x80, 0x80, 0x80, 0x80}));
}

TEST(AwardCompressed, SingleCopyRunsFollowTheScrambleSequence)
{
    // Eight runs of one copy each: a wrong scramble bit turns a count of 0 into 128.
    std::vector<PackedRun> runs;
    for (unsigned i = 0; i < 8; ++i)
        runs.push_back({static_cast<std::uint8_t>(i + 1), 1});
    LoadResult r = load_bytes(compressed_file(8, 1, true, ramp_entries(256), pack_runs(runs)), "c256.bin");
    ASSERT_EQ(r.descriptor.formatId, 28);
    for (unsigned x = 0; x < 8; ++x)
        EXPECT_EQ(r.rgb(x, 0), rgb6(x + 1, 2 * (x + 1), 3 * (x + 1))) << x;
    // The state starts afresh for every picture.
    LoadResult again = load_bytes(compressed_file(8, 1, true, ramp_entries(256), pack_runs(runs)), "c256.bin");
    EXPECT_EQ(again.image, r.image);
}

TEST(AwardCompressed, CountByteFFWritesTheValue256Times)
{
    LoadResult r = load_bytes(compressed_file(16, 32, true, ramp_entries(256), pack_runs({{5, 256}, {6, 256}})),
                              "c256-long.bin");
    ASSERT_EQ(r.descriptor.formatId, 28);
    EXPECT_EQ(r.rgb(15, 15), rgb6(5, 10, 15));  // pixel 255
    EXPECT_EQ(r.rgb(0, 16), rgb6(6, 12, 18));   // pixel 256
    EXPECT_EQ(r.rgb(15, 31), rgb6(6, 12, 18));  // pixel 511
}

TEST(AwardCompressed, SixteenColourPlanesAndBlueFirstPalette)
{
    Bytes entries = ramp_entries(16);
    entries[3] = 0x3F, entries[4] = 0x00, entries[5] = 0x00;  // entry 1
    // 8 x 2: row 0 all planes FF (index 15); row 1 plane 0 is 0x80, planes 1-3 are 0.
    Bytes packed = pack_runs({{0xFF, 4}, {0x80, 1}, {0x00, 3}});
    LoadResult r = load_bytes(compressed_file(8, 2, false, entries, packed), "c16.bin");
    ASSERT_EQ(r.descriptor.formatId, 22);
    EXPECT_EQ(r.rgb(3, 0), rgb6(45 & 0x3F, 30, 15));  // entry 15 = (15, 30, 45) read as b, g, r
    EXPECT_EQ(r.rgb(0, 1), 0x0000FCu);
    EXPECT_EQ(r.rgb(1, 1), 0u);
    EXPECT_TRUE(std::equal(entries.begin(), entries.end(), r.palette.begin()));
}

TEST(AwardCompressed, ShortFileShowsPaletteIndexZero)
{
    Bytes entries = ramp_entries(256);
    entries[0] = 10, entries[1] = 20, entries[2] = 30;
    // A run that ends past the picture is cut, the file then ends early: the pixels no
    // run reached show entry 0.
    LoadResult r = load_bytes(compressed_file(8, 2, true, entries, pack_runs({{3, 3}})), "c256-short.bin");
    ASSERT_EQ(r.descriptor.formatId, 28);
    EXPECT_EQ(r.rgb(2, 0), rgb6(3, 6, 9));
    EXPECT_EQ(r.rgb(3, 0), rgb6(10, 20, 30));
    EXPECT_EQ(r.rgb(7, 1), rgb6(10, 20, 30));

    LoadResult cut = load_bytes(compressed_file(8, 1, true, entries, pack_runs({{9, 256}})), "c256-over.bin");
    EXPECT_EQ(cut.rgb(7, 0), rgb6(9, 18, 27));
}

TEST(AwardCompressed, HugeHeaderSizesAreRefusedWithoutDecoding)
{
    for (unsigned depth : {0u, 1u}) {
        SCOPED_TRACE(depth);
        ByteBuilder b;
        b.text("AWBM").u16(0xFFF1).u16(0xFFFF).text("RGB").u8(depth).fill(772, 7).fill(64, 0);
        LoadResult r = load_bytes(b.data(), "huge.bin");
        EXPECT_EQ(r.descriptor.formatId, depth ? 28 : 22);
        EXPECT_EQ(r.descriptor.width, 0xFFF8);  // 0xFFF1 rounded up to a multiple of 8
        EXPECT_TRUE(r.image.empty());
        EXPECT_EQ(r.stdoutText.find("allocation error"), std::string::npos);
    }
}
