// Phoenix PG and ICON, Intel GRFX, GRFXLOGO and TEXTLOGO: detection of the uncompressed
// files, then the decoders on hand-made pictures whose colours follow from the layouts.
#include <gtest/gtest.h>

#include "decode/decoders.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

const std::uint32_t BLUE = standard_rgb(1), GREY = standard_rgb(7), LIGHT_RED = standard_rgb(12),
                    YELLOW = standard_rgb(14);

// PG picture in the standard colours (size at 10, planes from 18), or with its own palette of
// (0, R, G, B) entries from 12, entry i (0, i, 2i, 3i) but 1 (0, 0x3F, 0, 0); size at 76.
Bytes pg(bool ownPalette, unsigned width, unsigned height, const Bytes& planes)
{
    ByteBuilder b;
    b.text("PG").u8(0).u8(ownPalette).pad_to(10);
    if (!ownPalette)
        return b.u16(width).u16(height).pad_to(18).bytes(planes).data();
    b.u16(16);
    for (unsigned i = 0; i < 16; ++i)
        b.u8(0).u8(i == 1 ? 0x3F : i).u8(i == 1 ? 0 : 2 * i).u8(i == 1 ? 0 : 3 * i);
    return b.u16(width).u16(height).u16(0).u16(0).bytes(planes).data();
}

// ICON: bits per pixel at 4, size at 5; a 4-bit icon's substitution table at 19 (entry 3
// names palette entry 0x20), pixels after it.
Bytes icon(unsigned bitsPerPixel, unsigned width, const Bytes& pixels)
{
    ByteBuilder b;
    b.text("ICON").u8(bitsPerPixel).u16(width).u16(1).pad_to(19);
    return (bitsPerPixel == 4 ? b.fill(3).u8(0x20).fill(12) : b).bytes(pixels).data();
}

}  // namespace

TEST(PhoenixIntelDetect, HandMadeHeaders)
{
    auto textlogo = [](const char* first) {  // 8-bit columns (3) and rows (2) at 0x90 and 0x92
        return ByteBuilder().text(first).pad_to(0x80).text("TEXTLOGO").pad_to(0x90).u16(0x2003).u16(0x1002).data();
    };
    const DetectCase cases[] = {
        // With its own table the value at 10 counts entries: 3 x 4 + 12 = 24.
        {"pg own table of 3", ByteBuilder().text("PG").u8(0).u8(1).pad_to(10).u16(3).pad_to(24).u16(72).u16(9).data(),
         FORMAT_PHOENIX_PG, 72, 9, 16},
        {"xfrg", ByteBuilder().text("XFRG").pad_to(18).u16(40).u16(20).data(), FORMAT_INTEL_GRFX, 40, 20, 16},
        {"textlogo", textlogo(""), FORMAT_INTEL_TEXTLOGO, 24, 32, 16},
        {"textlogo after TEXT", textlogo("TEXT"), 0, 0, 0, 0},
        {"dell v2 width 0x13", ByteBuilder().fill(2).u8(3).u16(0x13).u16(7).u16(16).fill(80).data(), FORMAT_DELL_2,
         24, 7, 16},
        {"icon of 1 bit per pixel", icon(1, 32, {}), FORMAT_PHOENIX_ICON, 32, 1, 256},
    };
    for (const DetectCase& c : cases)
        expect_detected(c);
}

TEST(PhoenixPg, PalettesPixelNineRowOrderAndWidths)
{
    // Own palette: entries 0, 1 = (0x00, 0x3F, 0x00, 0x00) and 7 = (0, 7, 14, 21); standard
    // colours otherwise.
    Bytes planes = {0x55, 0x33, 0x0F, 0x00};  // pixel x has index x
    expect_pixels(load_bytes(pg(true, 8, 1, planes)).image, 8, {{0, 0, 0}, {1, 0, 0xFC0000}, {7, 0, 0x1C3854}});
    expect_pixels(load_bytes(pg(false, 8, 1, planes)).image, 8, {{1, 0, BLUE}, {7, 0, GREY}});
    // A file that ends in plane 0's first row: the pixels the planes do not reach read
    // index 0 from the zero-filled planes, the file's entry 0 (here 0, 5, 6, 7).
    Bytes cut = ByteBuilder().bytes(pg(true, 8, 3, {0x55})).put_u8(13, 5).put_u8(14, 6).put_u8(15, 7).data();
    expect_pixels(load_bytes(cut).image, 8, {{1, 0, 0xFC0000}, {0, 0, 0x14181C}, {0, 1, 0x14181C}, {7, 2, 0x14181C}});

    // 16 x 3, two bytes per plane row. Stored row 0: pixel 9 has index 9 (bit 6 of byte 1 of
    // planes 0 and 3); pixel 0 has index 1 in stored row 1, 12 in row 2. GRFXLOGO (unpacked:
    // height at 4, width at 6, planes at 8) shows its first stored row at the bottom, PG on top.
    planes.assign(4 * 2 * 3, 0);
    planes[0 * 6 + 1] = planes[3 * 6 + 1] = 0x40;
    planes[0 * 6 + 2] = planes[2 * 6 + 4] = planes[3 * 6 + 4] = 0x80;
    Bytes logo = decode_bytes_with(decode_GRFXLOGO, ByteBuilder().pad_to(4).u16(3).u16(16).bytes(planes).data(), 16, 3);
    for (auto [image, first] : {std::pair{load_bytes(pg(false, 16, 3, planes)).image, 0u}, std::pair{logo, 2u}}) {
        expect_pixels(image, 16, {{9, first, standard_rgb(9)}, {8, first, 0}, {10, first, 0}, {0, 1, BLUE},
                                  {0, 2 - first, LIGHT_RED}, {9, 2 - first, 0}});
    }
    // Width 12: one byte a stored row, so pixels 8..11 of row 0 are bits 7..4 of row 1's
    // byte; those of the last row lie past the plane and take index 0.
    expect_pixels(load_bytes(pg(false, 12, 2, {0x00, 0xA0, 0xF0, 0x00, 0x00, 0x00, 0x00, 0x00})).image, 12,
                  {{8, 0, BLUE}, {9, 0, 0}, {10, 0, BLUE}, {0, 1, BLUE}, {8, 1, 0}});
}

TEST(IntelGrfx, PackedPixelsHighNibbleFirst)
{
    // "GRFX", the data offset less 8 at 12, the size at 18, 6-bit R, G, B palette at 32.
    ByteBuilder b;
    b.text("GRFX").pad_to(12).u16(72).pad_to(18).u16(4).u16(2).pad_to(35).u8(1).u8(2).u8(3);
    b.pad_to(77).u8(0x3F).u8(0x20).u8(0x10).u8(0x1F).u8(0xF1).u8(0x00).u8(0x10);
    LoadResult r = load_file(write_temp_file(b.data(), "grfx.bin"), "", true);
    ASSERT_EQ(r.descriptor.formatId, FORMAT_INTEL_GRFX);
    expect_pixels(r.image, 4, {{0, 0, 0x04080C}, {1, 0, 0xFC8040}, {2, 0, 0xFC8040}, {3, 1, 0}});
    EXPECT_NE(r.stdoutText.find("===>>> IMAGE: (4 px) x (2 px)\n===>>> IMAGE SEEK: 50\n"), std::string::npos);
}

TEST(IntelTextlogo, GlyphsAttributesAndPanels)
{
    // Font size F at 0x8C, columns at 0x90, rows at 0x92, the font at 0x95, the screen after
    // 16 x (F / 8) bytes: glyph 1 (left half set) with attribute 0x1E, glyph 0 (empty) with 0x07.
    ByteBuilder b;
    b.pad_to(0x80).text("TEXTLOGO").pad_to(0x8C).u16(16).pad_to(0x90).u16(2).u16(1).pad_to(0x95).fill(16);
    LoadResult r = load_bytes(b.fill(16, 0xF0).u8(1).u8(0x1E).u8(0).u8(0x07).data());
    ASSERT_EQ(r.descriptor.formatId, FORMAT_INTEL_TEXTLOGO);
    // The background half of the attribute is not drawn; column 7 and row 15 are grid.
    expect_pixels(r.image, 16, {{0, 0, YELLOW}, {4, 0, 0}, {3, 15, YELLOW}});
    expect_pixels(r.colorMap, 16, {{4, 3, YELLOW}, {7, 3, 0}, {2, 15, 0}, {8, 0, GREY}});
    expect_pixels(r.fontMap, 16, {{0, 14, GREY}, {0, 15, LIGHT_RED}});
}

TEST(PhoenixIcon, SubstitutedColoursAndEightBits)
{
    // The palette file's entries start at 16: entries 0 to 2, and 32.
    ByteBuilder palette;
    palette.pad_to(16, 0xEE).u8(1).u8(2).u8(3).fill(3).u8(4).u8(5).u8(6).pad_to(16 + 32 * 3).u8(0x10).u8(0x20).u8(0x3F);
    const std::string paletteFile = write_temp_file(palette.pad_to(16 + 64 * 3).data(), "icon.pal");
    const std::string file = write_temp_file(icon(4, 4, {0x33, 0x30}), "icon.bin");  // pixels 3, 3, 3, 0
    LoadResult r = load_file(file, paletteFile, true);
    expect_pixels(r.image, 4, {{0, 0, 0x4080FC}, {2, 0, 0x4080FC}, {3, 0, 0x04080C}});
    for (const char* line : {"====>>>[20].R{10}.G{20}.B{3F}\n", "[03] => {20}\n", "[03]: {10}{20}{3F}\n"})
        EXPECT_NE(r.stdoutText.find(line), std::string::npos) << line;
    // No palette file, or one that cannot be read: every pixel is black.
    for (auto [palettePath, message] : {std::pair{std::string(), "===>>> PALETTE: External Palette not valid!\n"},
                                        std::pair{file + ".none", "===>>> PALETTE: FATAL Error in read_Palette();"}}) {
        r = load_file(file, palettePath);
        EXPECT_NE(r.stdoutText.find(message), std::string::npos) << r.stdoutText;
        EXPECT_EQ(r.image, Bytes(4 * 3, 0));
    }
    // 8 bits per pixel: only bit 4 counts, drawn white.
    expect_pixels(load_bytes(icon(8, 4, {0x10, 0x0F, 0xFF, 0xEF})).image, 4,
                  {{0, 0, standard_rgb(15)}, {1, 0, 0}, {2, 0, standard_rgb(15)}, {3, 0, 0}});
}
