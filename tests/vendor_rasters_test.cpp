// AMI GLE, TriGem TM, Dell logo version 2 and SystemSoft EPA (2) pictures through the
// whole load pipeline, and malformed headers of these and of the Phoenix and Intel files.
#include <gtest/gtest.h>

#include <array>

#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

constexpr std::uint32_t BLACK = 0x000000;
constexpr std::uint32_t GREY = 0xA8A8A8;
constexpr std::uint32_t LIGHT_RED = 0xFC5454;
constexpr std::uint32_t YELLOW = 0xFCFC54;
constexpr std::uint32_t WHITE = 0xFCFCFC;
// Entries 1 and 2 of the TriGem and Dell palettes below: (10, 20, 30) and (200, 100, 50).
constexpr std::uint32_t ONE = 0x0A141E;
constexpr std::uint32_t TWO = 0xC86432;

// GLE: columns at 4, rows at 5, the colour at 6, then 14 bitmap bytes per cell.
Bytes gle(unsigned columns, unsigned rows, unsigned color, const Bytes& cells)
{
    return ByteBuilder().text("GLE").u8(0).u8(columns).u8(rows).u8(color).u8(0).bytes(cells).data();
}

// TriGem: the pixel-data offset at 10, the size at 18 and 22, 16 entries of (R, G, B, 0)
// at 54, count/value pairs at 118.
Bytes trigem(unsigned width, unsigned height, const Bytes& pairs, std::uint32_t dataOffset = 118)
{
    ByteBuilder b;
    b.text("TM").pad_to(10).u32(dataOffset).pad_to(18).u16(width).pad_to(22).u16(height).pad_to(54);
    b.fill(4).u8(10).u8(20).u8(30).u8(0).u8(200).u8(100).u8(50).u8(0).u8(1).u8(2).u8(3).u8(0);
    return b.pad_to(118).bytes(pairs).data();
}

// Dell version 2: mode at 2, stored width at 3, stored height at 5, N at 7, N entries of
// (B, G, R, 0) at 9, then the pixels.
Bytes dell2(unsigned mode, unsigned width, unsigned height, const Bytes& pixels)
{
    ByteBuilder b;
    b.u8(0).u8(0).u8(mode).u16(width).u16(height).u16(3);
    b.fill(4).u8(30).u8(20).u8(10).u8(0).u8(50).u8(100).u8(200).u8(0);
    return b.bytes(pixels).data();
}

}  // namespace

TEST(AmiGle, OneColourForEveryCell)
{
    // Two cells of 14 rows: the first has its top row 0x80, the second is full.
    LoadResult r = load_bytes(gle(2, 1, 0x0F, ByteBuilder().u8(0x80).fill(13).fill(14, 0xFF).data()));
    ASSERT_EQ(r.descriptor.formatId, 10);
    ASSERT_EQ(r.descriptor.width, 16);
    ASSERT_EQ(r.descriptor.height, 14);
    expect_pixels(r.image, 16, {{0, 0, WHITE}, {1, 0, BLACK}, {0, 1, BLACK}, {15, 13, WHITE}});
    expect_pixels(r.fontMap, 16, {{0, 13, LIGHT_RED}, {8, 12, GREY}});  // grid on row 13
    expect_pixels(r.colorMap, 16, {{1, 1, WHITE}, {1, 13, BLACK}});
}

TEST(VendorRasters, PixelsThroughTheWholePipeline)
{
    const struct {
        const char* what;
        Bytes file;
        unsigned formatId;
        std::vector<std::array<std::uint32_t, 3>> pixels;  // x, y, 0xRRGGBB
    } cases[] = {
        // A colour past the table keeps its low four bits: 0x1E draws yellow.
        {"gle colour 0x1E", gle(1, 1, 0x1E, Bytes(14, 0xFF)), 10, {{0, 0, YELLOW}}},
        // Row 0 (the bottom): three times 0x12; row 1 (the top): a count of 0 writes nothing,
        // then 0x21 three times.
        {"trigem", trigem(6, 2, {3, 0x12, 0, 0x33, 3, 0x21}), 21,
         {{0, 1, ONE}, {1, 1, TWO}, {2, 1, ONE}, {3, 1, TWO}, {4, 1, ONE}, {5, 1, TWO}, {0, 0, TWO}, {5, 0, ONE}}},
        {"trigem run longer than the picture", trigem(4, 1, {255, 0x22, 7}), 21, {{3, 0, TWO}}},
        {"trigem value byte missing at the end", trigem(4, 1, {1, 0x12, 9}), 21, {{1, 0, TWO}, {2, 0, BLACK}}},
        // Mode 3, 13 pixels stored (width 16): pixels 0..11 shown, 12..15 black.
        {"dell mode 3", dell2(3, 13, 1, Bytes(8, 0x12)), 37,
         {{0, 0, ONE}, {11, 0, TWO}, {12, 0, BLACK}, {15, 0, BLACK}}},
        // Mode 4, 3 pixels stored per row (width 8), two rows; index 5 is past the 3 entries.
        {"dell mode 4", dell2(4, 3, 2, {1, 2, 5, 2, 1, 0}), 37,
         {{0, 0, ONE}, {1, 0, TWO}, {2, 0, BLACK}, {3, 0, BLACK}, {0, 1, TWO}, {1, 1, ONE}}},
        // Data ending inside row 1: that row is completed from zero bytes (entry 0, not black),
        // and row 2, after the end, stays black.
        {"dell mode 4 cut short",
         ByteBuilder().u8(0).u8(0).u8(4).u16(2).u16(3).u16(1).u8(200).u8(100).u8(50).u8(0).u8(0).u8(0).u8(0).data(), 37,
         {{1, 0, 0x3264C8}, {1, 1, 0x3264C8}, {0, 2, BLACK}, {1, 2, BLACK}}},
        // Colour bytes past the table keep their low four bits.
        {"systemsoft epa2", ByteBuilder().u16(4).u16(1).pad_to(16).u8(0x0E).u8(0x1E).u8(0x0F).u8(0).data(), 38,
         {{0, 0, YELLOW}, {1, 0, YELLOW}, {2, 0, WHITE}, {3, 0, BLACK}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoadResult r = load_bytes(c.file);
        ASSERT_EQ(r.descriptor.formatId, c.formatId);
        for (auto [x, y, rgb] : c.pixels)
            EXPECT_EQ(r.rgb(x, y), rgb) << x << "," << y;
    }
}

TEST(DellVersion2, TraceLines)
{
    LoadResult r = load_file(write_temp_file(dell2(3, 13, 1, Bytes(8, 0x12)), "dell.bin"), "", true);
    EXPECT_NE(r.stdoutText.find("==>>>DETECT: DELL LOGO (V2)\n"), std::string::npos) << r.stdoutText;
    EXPECT_NE(r.stdoutText.find("===>>> DATA IMAGE: (D) x (1)\n===>>> DATA IMAGE: 0015h\n"), std::string::npos);
}

// Headers promising more than the file holds, or sizes no buffer takes: a partial picture or a message.
TEST(VendorMalformed, LoadsEndCleanly)
{
    auto textlogo = [](unsigned fontSize, unsigned columns, unsigned rows) {
        ByteBuilder b;
        return b.pad_to(0x80).text("TEXTLOGO").pad_to(0x8C).u16(fontSize).pad_to(0x90).u16(columns).u16(rows).data();
    };
    const std::pair<const char*, Bytes> cases[] = {
        {"pg width under 8", ByteBuilder().text("PG").u8(0).u8(0).pad_to(10).u16(7).u16(2).pad_to(18).data()},
        {"grfx 65535 x 65535", ByteBuilder().text("GRFX").pad_to(18).u16(0xFFFF).u16(0xFFFF).data()},
        {"grfx data beyond the file",
         ByteBuilder().text("GRFX").pad_to(12).u16(0xFFFF).pad_to(18).u16(64).u16(64).data()},
        {"textlogo font beyond the file", textlogo(0xFFFF, 200, 3)},
        {"textlogo 0 columns", textlogo(0, 0x100, 4)},
        {"icon 65535 x 65535", ByteBuilder().text("ICON").u8(4).u16(0xFFFF).u16(0xFFFF).data()},
        {"gle cells beyond the file", ByteBuilder().text("GLE").u8(0).u8(255).u8(255).u8(3).data()},
        {"trigem data beyond the file", trigem(64, 64, {}, 0xFFFFFFFF)},
        {"trigem 65535 x 65535", trigem(0xFFFF, 0xFFFF, {255, 0x11})},
        {"trigem only zero counts", trigem(8, 8, Bytes(4000, 0))},
        {"dell width x height x 3 past 32 bits", dell2(4, 0xFFF0, 0xFFFF, {1, 2})},
        {"dell palette beyond the file", ByteBuilder().u8(0).u8(0).u8(3).u16(16).u16(16).u16(0xFFFF).data()},
        {"dell width 0", dell2(3, 0, 5, {})},
        {"systemsoft 0 x 5", ByteBuilder().u16(0).u16(5).pad_to(16).data()},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        LoadResult r = load_bytes(bytes);
        EXPECT_NE(r.descriptor.formatId, 0);
        EXPECT_EQ(r.loaded, 1);
    }
    // Own-table PG with 3 entries: detection takes the size at 24 (8 x 1), the decoder the one
    // at 76, here far beyond the picture limits.
    ByteBuilder hugePlanes;
    hugePlanes.text("PG").u8(0).u8(1).pad_to(10).u16(3).put_u16(24, 8).put_u16(26, 1);
    LoadResult r = load_bytes(hugePlanes.put_u16(76, 0xFFFF).put_u16(78, 0xFFFF).pad_to(100).data());
    EXPECT_EQ(r.loaded, 1);
    EXPECT_NE(r.stdoutText.find("decode_PGBM() img buffer allocation error\n"), std::string::npos) << r.stdoutText;
}
