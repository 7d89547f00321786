// Phoenix PG and ICON, Intel GRFX, GRFXLOGO and TEXTLOGO: detection of the uncompressed
// files, then the decoders on hand-made pictures whose colours follow from the layouts.
#include <gtest/gtest.h>

#include "decode/decoders.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

// 8-bit RGB of the standard colours used below.
constexpr std::uint32_t BLACK = 0x000000;
constexpr std::uint32_t BLUE = 0x0000A8;        // 1
constexpr std::uint32_t GREY = 0xA8A8A8;        // 7
constexpr std::uint32_t LIGHT_BLUE = 0x5454FC;  // 9
constexpr std::uint32_t LIGHT_RED = 0xFC5454;   // 12
constexpr std::uint32_t YELLOW = 0xFCFC54;      // 14
constexpr std::uint32_t WHITE = 0xFCFCFC;       // 15

// PG picture in the standard colours: the size at 10 and 12, planes from 18.
Bytes pg_standard(unsigned width, unsigned height, const Bytes& planes)
{
    return ByteBuilder().text("PG").u8(0).u8(0).pad_to(10).u16(width).u16(height).pad_to(18).bytes(planes).data();
}

// PG picture with its own palette: 16 entries of (reserved, R, G, B) from 12, entry i being
// (0, i, 2i, 3i) except entry 1, which is (0, 0x3F, 0, 0); the size at 76 and 78, planes from 84.
Bytes pg_own_palette(unsigned width, unsigned height, const Bytes& planes)
{
    ByteBuilder b;
    b.text("PG").u8(0).u8(1).pad_to(10).u16(16);
    for (unsigned i = 0; i < 16; ++i)
        b.u8(0).u8(i == 1 ? 0x3F : i).u8(i == 1 ? 0 : 2 * i).u8(i == 1 ? 0 : 3 * i);
    return b.u16(width).u16(height).u16(0).u16(0).bytes(planes).data();
}

// GRFX picture: "GRFX", the data offset less 8 at 12, the size at 18 and 20, the palette of
// 6-bit R, G, B at 32, the pixels at 80.
Bytes grfx(const char* tag, unsigned width, unsigned height, const Bytes& palette, const Bytes& pixels)
{
    ByteBuilder b;
    b.text(tag).pad_to(12).u16(80 - 8).pad_to(18).u16(width).u16(height).pad_to(32).bytes(palette).pad_to(80);
    return b.bytes(pixels).data();
}

// ICON: bits per pixel at 4, size at 5 and 7; a 4-bit icon has its substitution table at
// 19 and pixels at 35, the others pixels at 19.
Bytes icon(unsigned bitsPerPixel, unsigned width, unsigned height, const Bytes& rest)
{
    return ByteBuilder().text("ICON").u8(bitsPerPixel).u16(width).u16(height).pad_to(19).bytes(rest).data();
}

// Dell version 2 header: mode, stored width, height and palette entries, then room.
Bytes dell_header(unsigned mode, unsigned width, unsigned height, unsigned entries)
{
    return ByteBuilder().u8(0).u8(0).u8(mode).u16(width).u16(height).u16(entries).pad_to(200).data();
}

}  // namespace

TEST(PhoenixIntelDetect, HandMadeHeaders)
{
    const Bytes plain = ByteBuilder().pad_to(0x80).text("TEXTLOGO").pad_to(0x90).u16(3).u16(2).pad_to(300).data();
    const std::vector<DetectCase> cases = {
        {"pg", ByteBuilder().text("PG").u8(0).u8(0).pad_to(10).u16(640).u16(480).pad_to(40).data(), 6, 640, 480, 16},
        // With its own table the value at 10 counts entries: 3 x 4 + 12 = 24.
        {"pg own table of 3",
         ByteBuilder().text("PG").u8(0).u8(1).pad_to(10).u16(3).put_u16(24, 72).put_u16(26, 9).pad_to(40).data(), 6,
         72, 9, 16},
        {"pg own table of 16", pg_own_palette(64, 4, Bytes(128)), 6, 64, 4, 16},
        {"pg table beyond the file", ByteBuilder().text("PG").u8(0).u8(1).pad_to(10).u16(0xFFFF).data(), 6, 0, 0, 16},
        {"grfx", grfx("GRFX", 40, 20, Bytes(48), Bytes(400)), 8, 40, 20, 16},
        {"xfrg", grfx("XFRG", 40, 20, Bytes(48), Bytes(400)), 8, 40, 20, 16},
        {"textlogo", plain, 11, 24, 32, 16},
        {"textlogo 16-bit columns",
         ByteBuilder().pad_to(0x80).text("TEXTLOGO").pad_to(0x90).u16(0x2001).u16(0x1001).data(), 11, 8, 16, 16},
        {"dell v2 mode 3", dell_header(3, 0x13, 7, 16), 37, 0x18, 7, 16},
        {"dell v2 mode 4", dell_header(4, 0x20, 2, 256), 37, 0x20, 2, 256},
        {"dell v2 width 65535 wraps", dell_header(3, 0xFFFF, 1, 0), 37, 0, 1, 0},
        {"icon 4-bit", icon(4, 32, 16, Bytes(16)), 12, 32, 16, 16},
        {"icon 8-bit", icon(8, 32, 16, Bytes()), 12, 32, 16, 256},
    };
    for (const DetectCase& c : cases) {
        expect_detected(c);
    }
    // Near misses go on down the chain.
    const std::pair<Bytes, unsigned> misses[] = {
        {ByteBuilder().text("TEXT").bytes(Bytes(plain.begin() + 4, plain.end())).data(), 11},
        {ByteBuilder().u8(0).u8(0).u8(5).pad_to(100, 7).data(), 37},
        {ByteBuilder().u8(0).u8(1).u8(3).pad_to(100, 7).data(), 37},
    };
    for (const auto& [bytes, notId] : misses)
        EXPECT_NE(detect_bytes(bytes).formatId, notId);
}

TEST(PhoenixPg, OwnPaletteOrStandardColours)
{
    Bytes planes = {0x55, 0x33, 0x0F, 0x00};  // pixel x has index x
    LoadResult r = load_bytes(pg_own_palette(8, 1, planes));
    ASSERT_EQ(r.descriptor.formatId, 6);
    // Entries 0, 1 = (0x00, 0x3F, 0x00, 0x00) and 7 = (0, 7, 14, 21).
    expect_pixels(r.image, 8, {{0, 0, BLACK}, {1, 0, 0xFC0000}, {7, 0, 0x1C3854}});
    EXPECT_EQ(Bytes(&r.palette[3], &r.palette[6]), (Bytes{0x00, 0x00, 0x3F}));  // entry 1 kept unscaled, blue first

    r = load_bytes(pg_standard(8, 1, planes));
    ASSERT_EQ(r.descriptor.formatId, 6);
    expect_pixels(r.image, 8, {{1, 0, BLUE}, {7, 0, GREY}});
    EXPECT_EQ(Bytes(&r.palette[3], &r.palette[6]), (Bytes{0x2A, 0x00, 0x00}));  // standard colour 1, blue first
    EXPECT_EQ(r.palette[15 * 3], 0x3F);
}

TEST(PhoenixPg, PixelNineAndRowOrderInPgAndGrfxlogo)
{
    // 16 x 3, two bytes per plane row. Stored row 0: pixel 9 has index 9 (bit 6 of byte 1 of
    // planes 0 and 3); pixel 0 has index 1 in stored row 1 and index 12 in stored row 2.
    Bytes planes(4 * 2 * 3, 0);
    planes[0 * 6 + 1] = planes[3 * 6 + 1] = 0x40;
    planes[0 * 6 + 2] = planes[2 * 6 + 4] = planes[3 * 6 + 4] = 0x80;
    LoadResult pg = load_bytes(pg_standard(16, 3, planes));
    // GRFXLOGO as detection leaves it unpacked: the height at 4, the width at 6, planes at 8;
    // its first stored row is the bottom one.
    Bytes logo = decode_bytes_with(decode_GRFXLOGO, ByteBuilder().pad_to(4).u16(3).u16(16).bytes(planes).data(), 16, 3);
    for (auto [image, first] : {std::pair{pg.image, 0u}, std::pair{logo, 2u}}) {
        const unsigned last = 2 - first;  // where stored rows 0 and 2 are shown
        expect_pixels(image, 16, {{9, first, LIGHT_BLUE}, {8, first, BLACK}, {10, first, BLACK}, {0, 1, BLUE},
                                  {0, last, LIGHT_RED}, {9, last, BLACK}});
    }
}

TEST(PhoenixPg, WidthNotAMultipleOfEightTakesItsLastPixelsFromTheNextRow)
{
    // Width 12: one byte a stored row, so pixels 8..11 of row 0 are bits 7..4 of row 1's
    // byte; those of the last row lie past the plane and take index 0.
    Bytes planes = {0x00, 0xA0, 0xF0, 0x00, 0x00, 0x00, 0x00, 0x00};  // plane 0 and plane 1, rows 0 and 1
    LoadResult r = load_bytes(pg_standard(12, 2, planes));
    ASSERT_EQ(r.descriptor.width, 12);
    expect_pixels(r.image, 12, {{8, 0, BLUE}, {9, 0, BLACK}, {10, 0, BLUE}, {0, 1, BLUE}, {8, 1, BLACK}});
}

TEST(IntelGrfx, PackedPixelsHighNibbleFirst)
{
    Bytes palette(48, 0);
    palette[3] = 1, palette[4] = 2, palette[5] = 3;              // entry 1
    palette[45] = 0x3F, palette[46] = 0x20, palette[47] = 0x10;  // entry 15
    const Bytes file = grfx("GRFX", 4, 2, palette, {0x1F, 0xF1, 0x00, 0x10});
    LoadResult r = load_file(write_temp_file(file, "grfx.bin"), "", true);
    ASSERT_EQ(r.descriptor.formatId, 8);
    expect_pixels(r.image, 4, {{0, 0, 0x04080C}, {1, 0, 0xFC8040}, {2, 0, 0xFC8040}, {3, 1, BLACK}});
    EXPECT_NE(r.stdoutText.find("===>>> IMAGE: (4 px) x (2 px)\n===>>> IMAGE SEEK: 50\n"), std::string::npos)
        << r.stdoutText;
}

TEST(IntelTextlogo, GlyphsAttributesAndPanels)
{
    // Font size F at 0x8C, columns at 0x90, rows at 0x92, the font at 0x95, the screen at
    // 0x95 + 16 x (F / 8). Two glyphs of 16 rows: glyph 0 empty, glyph 1 the left half of
    // every row. Screen: glyph 1 with attribute 0x1E (yellow on blue), glyph 0 with 0x07.
    ByteBuilder b;
    b.pad_to(0x80).text("TEXTLOGO").pad_to(0x8C).u16(16).pad_to(0x90).u16(2).u16(1).pad_to(0x95).fill(16);
    LoadResult r = load_bytes(b.fill(16, 0xF0).u8(1).u8(0x1E).u8(0).u8(0x07).data());
    ASSERT_EQ(r.descriptor.formatId, 11);
    ASSERT_EQ(r.descriptor.width, 16);
    ASSERT_EQ(r.descriptor.height, 16);
    // The background half of the attribute is not drawn; column 7 and row 15 are grid.
    expect_pixels(r.image, 16, {{0, 0, YELLOW}, {4, 0, BLACK}, {3, 15, YELLOW}});
    expect_pixels(r.colorMap, 16, {{4, 3, YELLOW}, {7, 3, BLACK}, {2, 15, BLACK}, {8, 0, GREY}});
    expect_pixels(r.fontMap, 16, {{0, 14, GREY}, {0, 15, LIGHT_RED}});
}

namespace {

// A 4-bit icon whose substitution entry 3 names palette entry 0x20, then pixel bytes; and
// its palette file, whose entries start at 16.
Bytes icon4(unsigned width, const Bytes& pixels)
{
    return icon(4, width, 1, ByteBuilder().pad_to(3).u8(0x20).pad_to(16).bytes(pixels).data());
}

std::string icon_palette()
{
    ByteBuilder palette;
    palette.pad_to(16, 0xEE).u8(1).u8(2).u8(3).fill(3).u8(4).u8(5).u8(6);  // entries 0 to 2
    palette.pad_to(16 + 32 * 3).u8(0x10).u8(0x20).u8(0x3F).pad_to(16 + 64 * 3);
    return write_temp_file(palette.data(), "icon.pal");
}

}  // namespace

TEST(PhoenixIcon, SubstitutedColoursAndOtherDepths)
{
    // Pixels 3, 3, 3, 0.
    const std::string file = write_temp_file(icon4(4, {0x33, 0x30}), "icon.bin");
    LoadResult r = load_file(file, icon_palette(), true);
    ASSERT_EQ(r.descriptor.formatId, 12);
    expect_pixels(r.image, 4, {{0, 0, 0x4080FC}, {2, 0, 0x4080FC}, {3, 0, 0x04080C}});
    for (const char* line : {"====>>>[20].R{10}.G{20}.B{3F}\n", "Substituted Colors:\n[00] => {00}\n", "[03] => {20}\n",
                             "[03]: {10}{20}{3F}\n"})
        EXPECT_NE(r.stdoutText.find(line), std::string::npos) << line;

    // No palette file, or one that cannot be read: every pixel is black.
    for (auto [palette, message] : {std::pair{std::string(), "===>>> PALETTE: External Palette not valid!\n"},
                                    std::pair{file + ".missing", "===>>> PALETTE: FATAL Error in read_Palette();"}}) {
        r = load_file(file, palette);
        EXPECT_NE(r.stdoutText.find(message), std::string::npos) << r.stdoutText;
        expect_pixels(r.image, 4, {{0, 0, BLACK}, {3, 0, BLACK}});
    }

    // 8 bits per pixel: only bit 4 counts, drawn white.
    r = load_bytes(icon(8, 4, 1, {0x10, 0x0F, 0xFF, 0xEF}));
    expect_pixels(r.image, 4, {{0, 0, WHITE}, {1, 0, BLACK}, {2, 0, WHITE}, {3, 0, BLACK}});
    // Any other depth: 4-bit pixels from 19, colour i from palette entry i.
    r = load_file(write_temp_file(icon(1, 2, 1, {0x02}), "icon1.bin"), icon_palette());
    expect_pixels(r.image, 2, {{0, 0, 0x04080C}, {1, 0, 0x101418}});
}

TEST(PhoenixIcon, CliTakesThePaletteFile)
{
    if (!have_program("convert"))
        GTEST_SKIP() << "convert missing";
    const std::string file = write_temp_file(icon4(2, {0x33}), "icon.bin"), dir = file.substr(0, file.rfind('/'));
    ASSERT_EQ(run_command("'" + cli_path() + "' png --palette '" + icon_palette() + "' --out-dir '" + dir + "' '" +
                          file + "'"),
              0);
    Bytes rgb;
    ASSERT_TRUE(convert_to_rgb(dir + "/icon.png", rgb));
    EXPECT_EQ(pixel_at(rgb, 2, 0, 0), 0x4080FCu);
}
