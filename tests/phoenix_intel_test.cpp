// Phoenix PG and ICON, Intel GRFX, GRFXLOGO and TEXTLOGO: detection of the uncompressed
// files, then the decoders on hand-made pictures whose colours follow from the layouts.
#include <gtest/gtest.h>

#include <functional>

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

// Four bit planes of a width x height picture, plane 0 first, stored rows in order.
Bytes planes_of(unsigned width, unsigned height, const std::function<unsigned(unsigned, unsigned)>& index)
{
    unsigned rowBytes = width / 8;
    Bytes planes(4u * rowBytes * height, 0);
    for (unsigned p = 0; p < 4; ++p)
        for (unsigned row = 0; row < height; ++row)
            for (unsigned x = 0; x < width; ++x)
                if ((index(x, row) >> p) & 1)
                    planes[(p * height + row) * rowBytes + x / 8] |= 0x80 >> (x % 8);
    return planes;
}

// PG picture in the standard colours: the size at 10 and 12, planes from 18.
Bytes pg_standard(unsigned width, unsigned height, const Bytes& planes)
{
    return ByteBuilder().text("PG").u8(0).u8(0).pad_to(10).u16(width).u16(height).pad_to(18).bytes(planes).data();
}

// PG picture with its own palette: 16 entries of (reserved, R, G, B) from 12, the size at
// 76 and 78, planes from 84.
Bytes pg_own_palette(unsigned width, unsigned height, const Bytes& planes)
{
    ByteBuilder b;
    b.text("PG").u8(0).u8(1).pad_to(10).u16(16);
    for (unsigned i = 0; i < 16; ++i)
        b.u8(0).u8(i * 4).u8(i * 2).u8(i);
    b.u16(width).u16(height).u16(0).u16(0).bytes(planes);
    return b.data();
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
}

TEST(PhoenixIntelDetect, NearMissesGoDownTheChain)
{
    Bytes textFirst =
        ByteBuilder().text("TEXT").pad_to(0x80).text("TEXTLOGO").pad_to(0x90).u16(3).u16(2).pad_to(300).data();
    EXPECT_NE(detect_bytes(textFirst).formatId, 11);
    EXPECT_NE(detect_bytes(ByteBuilder().u8(0).u8(0).u8(5).pad_to(100, 7).data()).formatId, 37);
    EXPECT_NE(detect_bytes(ByteBuilder().u8(0).u8(1).u8(3).pad_to(100, 7).data()).formatId, 37);
    EXPECT_NE(detect_bytes(ByteBuilder().text("GRFY").pad_to(100).data()).formatId, 8);
    EXPECT_NE(detect_bytes(ByteBuilder().text("IC0N").pad_to(100).data()).formatId, 12);
}

TEST(PhoenixIntelDetect, DellVersion2TracesItsName)
{
    Bytes dell = ByteBuilder().u8(0).u8(0).u8(3).u16(8).u16(1).u16(0).pad_to(13).data();
    LoadResult quiet = load_bytes(dell);
    EXPECT_EQ(quiet.stdoutText.find("DELL"), std::string::npos);
    LoadResult loud = load_file(write_temp_file(dell, "dell.bin"), "", true);
    EXPECT_NE(loud.stdoutText.find("==>>>DETECT: DELL LOGO (V2)\n"), std::string::npos) << loud.stdoutText;
}

TEST(PhoenixPg, OwnPaletteOrStandardColours)
{
    // Entry 1 is (reserved 0x00, red 0x3F, green 0, blue 0); every pixel has index 1.
    auto ones = [](unsigned, unsigned) { return 1u; };
    ByteBuilder own;
    own.text("PG").u8(0).u8(1).pad_to(10).u16(16).u8(0).u8(0).u8(0).u8(0).u8(0x00).u8(0x3F).u8(0).u8(0);
    own.pad_to(76).u16(8).u16(2).u16(0).u16(0).bytes(planes_of(8, 2, ones));
    LoadResult r = load_bytes(own.data());
    ASSERT_EQ(r.descriptor.formatId, 6);
    EXPECT_EQ(r.rgb(0, 0), 0xFC0000u);
    EXPECT_EQ(r.rgb(7, 1), 0xFC0000u);
    // The palette buffer keeps the entries unscaled, blue first.
    EXPECT_EQ(r.palette[3], 0x00);
    EXPECT_EQ(r.palette[5], 0x3F);

    r = load_bytes(pg_standard(8, 2, planes_of(8, 2, ones)));
    ASSERT_EQ(r.descriptor.formatId, 6);
    EXPECT_EQ(r.rgb(0, 0), BLUE);
    EXPECT_EQ(r.rgb(7, 1), BLUE);
    EXPECT_EQ(r.palette[3], 0x2A);  // standard colour 1, blue first
    EXPECT_EQ(r.palette[5], 0x00);
    EXPECT_EQ(r.palette[15 * 3], 0x3F);
}

TEST(PhoenixPg, PixelNineTakesBitSixOfByteOne)
{
    // Planes 0 and 3 carry 0x40 in byte 1 of the first row: pixel 9 has index 9, in PG and
    // in GRFXLOGO (as detection leaves it unpacked: the height at 4, the width at 6, planes at 8).
    Bytes planes(4 * 2, 0);
    planes[0 * 2 + 1] = 0x40;
    planes[3 * 2 + 1] = 0x40;
    LoadResult r = load_bytes(pg_standard(16, 1, planes));
    Bytes logo = decode_bytes_with(decode_GRFXLOGO, ByteBuilder().pad_to(4).u16(1).u16(16).bytes(planes).data(), 16, 1);
    for (const Bytes& image : {r.image, logo}) {
        EXPECT_EQ(pixel_at(image, 16, 9, 0), LIGHT_BLUE);
        EXPECT_EQ(pixel_at(image, 16, 8, 0), BLACK);
        EXPECT_EQ(pixel_at(image, 16, 10, 0), BLACK);
    }
}

TEST(PhoenixPg, WidthNotAMultipleOfEightTakesItsLastPixelsFromTheNextRow)
{
    // Width 12: one byte a stored row, so pixels 8..11 of row 0 are bits 7..4 of row 1's
    // byte; those of the last row lie past the plane and take index 0.
    Bytes planes = {0x00, 0xA0, 0xF0, 0x00, 0x00, 0x00, 0x00, 0x00};  // plane 0 and plane 1, rows 0 and 1
    LoadResult r = load_bytes(pg_standard(12, 2, planes));
    ASSERT_EQ(r.descriptor.width, 12);
    EXPECT_EQ(r.rgb(8, 0), BLUE);
    EXPECT_EQ(r.rgb(9, 0), BLACK);
    EXPECT_EQ(r.rgb(10, 0), BLUE);
    EXPECT_EQ(r.rgb(0, 1), BLUE);
    EXPECT_EQ(r.rgb(8, 1), BLACK);
}

TEST(PhoenixPg, StoredRowsRunTopDownForPgAndBottomUpForGrfxlogo)
{
    // Stored row 0 has index 1, row 1 index 7, row 2 index 12; columns 4..7 of every row 15.
    auto index = [](unsigned x, unsigned row) { return x >= 4 ? 15u : (row == 0 ? 1u : row == 1 ? 7u : 12u); };
    Bytes planes = planes_of(8, 3, index);
    LoadResult pg = load_bytes(pg_standard(8, 3, planes));
    EXPECT_EQ(pg.rgb(0, 0), BLUE);
    EXPECT_EQ(pg.rgb(0, 1), GREY);
    EXPECT_EQ(pg.rgb(0, 2), LIGHT_RED);
    EXPECT_EQ(pg.rgb(5, 2), WHITE);

    Bytes logo = ByteBuilder().pad_to(4).u16(3).u16(8).bytes(planes).data();
    Bytes image = decode_bytes_with(decode_GRFXLOGO, logo, 8, 3);
    EXPECT_EQ(pixel_at(image, 8, 0, 2), BLUE);
    EXPECT_EQ(pixel_at(image, 8, 0, 1), GREY);
    EXPECT_EQ(pixel_at(image, 8, 0, 0), LIGHT_RED);
    EXPECT_EQ(pixel_at(image, 8, 5, 0), WHITE);
}

TEST(PhoenixPg, UnpackedCompressedPg)
{
    // A PG picture with its own table, sized at 0x4C and 0x4E; entry i is (4i, 2i, i) in 6 bits.
    Bytes pg = pg_own_palette(8, 1, planes_of(8, 1, [](unsigned x, unsigned) { return x; }));
    Bytes image = decode_bytes_with(decode_PGBM, pg, 8, 1);
    for (unsigned x = 0; x < 8; ++x)
        EXPECT_EQ(pixel_at(image, 8, x, 0), ((16 * x) << 16 | (8 * x) << 8 | (4 * x))) << x;
}

TEST(IntelGrfx, PackedPixelsHighNibbleFirst)
{
    Bytes palette(48, 0);
    palette[3] = 1, palette[4] = 2, palette[5] = 3;                  // entry 1
    palette[45] = 0x3F, palette[46] = 0x20, palette[47] = 0x10;      // entry 15
    Bytes file = grfx("GRFX", 4, 2, palette, {0x1F, 0xF1, 0x00, 0x10});
    LoadResult r = load_file(write_temp_file(file, "grfx.bin"), "", true);
    ASSERT_EQ(r.descriptor.formatId, 8);
    EXPECT_EQ(r.rgb(0, 0), 0x04080Cu);
    EXPECT_EQ(r.rgb(1, 0), 0xFC8040u);
    EXPECT_EQ(r.rgb(2, 0), 0xFC8040u);
    EXPECT_EQ(r.rgb(3, 1), BLACK);
    EXPECT_NE(r.stdoutText.find("===>>> IMAGE: (4 px) x (2 px)\n===>>> IMAGE SEEK: 50\n"), std::string::npos)
        << r.stdoutText;

    r = load_bytes(grfx("XFRG", 4, 2, palette, {0x1F}));
    EXPECT_EQ(r.rgb(1, 0), 0xFC8040u);
}

TEST(IntelTextlogo, GlyphsAttributesAndPanels)
{
    // Font of two glyphs (F = 16): glyph 0 empty, glyph 1 the left half of every row.
    Bytes font(32, 0);
    for (unsigned j = 0; j < 16; ++j)
        font[16 + j] = 0xF0;
    // Font size F at 0x8C, columns at 0x90, rows at 0x92, the font at 0x95, the screen at
    // 0x95 + 16 x (F / 8): glyph 1 with attribute 0x1E (yellow on blue), glyph 0 with 0x07.
    ByteBuilder b;
    b.pad_to(0x80).text("TEXTLOGO").pad_to(0x8C).u16(16).pad_to(0x90).u16(2).u16(1).pad_to(0x95).bytes(font);
    LoadResult r = load_bytes(b.pad_to(0x95 + 32).u8(1).u8(0x1E).u8(0).u8(0x07).data());
    ASSERT_EQ(r.descriptor.formatId, 11);
    ASSERT_EQ(r.descriptor.width, 16);
    ASSERT_EQ(r.descriptor.height, 16);
    const unsigned w = 16;
    EXPECT_EQ(r.rgb(0, 0), YELLOW);  // the background half of the attribute is not drawn
    EXPECT_EQ(r.rgb(4, 0), BLACK);
    EXPECT_EQ(r.rgb(3, 15), YELLOW);
    EXPECT_EQ(pixel_at(r.colorMap, w, 4, 3), YELLOW);
    EXPECT_EQ(pixel_at(r.colorMap, w, 7, 3), BLACK);  // grid column
    EXPECT_EQ(pixel_at(r.colorMap, w, 2, 15), BLACK);  // grid row 15
    EXPECT_EQ(pixel_at(r.colorMap, w, 8, 0), GREY);
    EXPECT_EQ(pixel_at(r.fontMap, w, 0, 14), GREY);
    EXPECT_EQ(pixel_at(r.fontMap, w, 0, 15), LIGHT_RED);
    EXPECT_EQ(pixel_at(r.fontMap, w, 4, 14), BLACK);
}

TEST(PhoenixIcon, SubstitutedColoursFromTheExternalPalette)
{
    // Substitution entry 3 names palette entry 0x20; pixels 3, 3, 3, 0.
    Bytes substitution(16, 0);
    substitution[3] = 0x20;
    Bytes file = icon(4, 4, 1, ByteBuilder().bytes(substitution).u8(0x33).u8(0x30).data());
    ByteBuilder palette;
    palette.pad_to(16, 0xEE).u8(1).u8(2).u8(3).pad_to(16 + 32 * 3).u8(0x10).u8(0x20).u8(0x3F).pad_to(16 + 64 * 3);
    const std::string palettePath = write_temp_file(palette.data(), "icon.pal");

    LoadResult r = load_file(write_temp_file(file, "icon.bin"), palettePath, true);
    ASSERT_EQ(r.descriptor.formatId, 12);
    EXPECT_EQ(r.rgb(0, 0), 0x4080FCu);
    EXPECT_EQ(r.rgb(2, 0), 0x4080FCu);
    EXPECT_EQ(r.rgb(3, 0), 0x04080Cu);
    EXPECT_NE(r.stdoutText.find("====>>>[20].R{10}.G{20}.B{3F}\n"), std::string::npos);
    EXPECT_NE(r.stdoutText.find("Substituted Colors:\n[00] => {00}\n"), std::string::npos);
    EXPECT_NE(r.stdoutText.find("[03] => {20}\n"), std::string::npos);
    EXPECT_NE(r.stdoutText.find("[03]: {10}{20}{3F}\n"), std::string::npos);

    // No palette file: every pixel is black.
    r = load_file(write_temp_file(file, "icon.bin"), "");
    EXPECT_NE(r.stdoutText.find("===>>> PALETTE: External Palette not valid!\n"), std::string::npos);
    EXPECT_EQ(r.rgb(0, 0), BLACK);
    EXPECT_EQ(r.rgb(3, 0), BLACK);
}

TEST(PhoenixIcon, OtherDepths)
{
    // 8 bits per pixel: only bit 4 counts, drawn white.
    LoadResult r = load_bytes(icon(8, 4, 1, {0x10, 0x0F, 0xFF, 0xEF}));
    EXPECT_EQ(r.rgb(0, 0), WHITE);
    EXPECT_EQ(r.rgb(1, 0), BLACK);
    EXPECT_EQ(r.rgb(2, 0), WHITE);
    EXPECT_EQ(r.rgb(3, 0), BLACK);

    // Any other depth: 4-bit pixels from 19, colour i from palette entry i.
    ByteBuilder palette;
    palette.pad_to(16).u8(0).u8(0).u8(0).u8(1).u8(1).u8(1).u8(2).u8(2).u8(2).pad_to(16 + 192);
    r = load_file(write_temp_file(icon(1, 2, 1, {0x21}), "icon1.bin"), write_temp_file(palette.data(), "p.pal"));
    EXPECT_EQ(r.rgb(0, 0), 0x080808u);
    EXPECT_EQ(r.rgb(1, 0), 0x040404u);
}

TEST(PhoenixIcon, CliTakesThePaletteFile)
{
    Bytes substitution(16, 0);
    substitution[3] = 0x20;
    const std::string dir = test_temp_dir() + "/cli_icon";
    ASSERT_EQ(run_command("mkdir -p '" + dir + "'"), 0);
    const std::string file =
        write_temp_file(icon(4, 2, 1, ByteBuilder().bytes(substitution).u8(0x33).data()), "cli_icon/icon.bin");
    ByteBuilder palette;
    palette.pad_to(16 + 32 * 3).u8(0x10).u8(0x20).u8(0x3F).pad_to(16 + 64 * 3);
    const std::string pal = write_temp_file(palette.data(), "cli_icon/icon.pal");
    auto png = [&](const std::string& palettePath, std::string* out) {
        return run_command("'" + cli_path() + "' png --verbose --palette '" + palettePath + "' --out-dir '" + dir +
                               "' '" + file + "'",
                           out);
    };
    std::string out;
    ASSERT_EQ(png(pal, &out), 0);
    Bytes rgb;
    if (have_program("convert")) {
        ASSERT_TRUE(convert_to_rgb(dir + "/icon.png", rgb));
        EXPECT_EQ(pixel_at(rgb, 2, 0, 0), 0x4080FCu);
    }
    ASSERT_EQ(png(dir + "/missing.pal", &out), 0);
    EXPECT_NE(out.find("===>>> PALETTE: FATAL Error in read_Palette();"), std::string::npos) << out;
    EXPECT_NE(out.find("[03]: {00}{00}{00}\n"), std::string::npos) << out;
}
