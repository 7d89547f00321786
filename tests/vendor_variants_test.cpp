// The vendor layouts found in real ROMs beside the documented ones: PG with a size
// sub-header, AWBM16 without a palette, the bare TEXTLOGO "LOGO" block, 1- and 24-bit BMP,
// BMP with an overwritten signature and the 70-byte Award mini logo. Each new test claims
// only files that were empty or unknown before: a file one field off in any of its
// conditions keeps the result it had.
#include <gtest/gtest.h>

#include "decode/decoders.h"
#include "formats/standard_colors.h"
#include "pipeline/load_pipeline.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

Bytes with_byte(Bytes file, std::size_t offset, std::uint8_t value)
{
    file[offset] = value;
    return file;
}

Bytes resized(Bytes file, std::size_t size)
{
    file.resize(size, 0x5A);
    return file;
}

// PG with a sub-header: 00 80 at 4, R (rows, bit 15: one more byte a plane row) at 17,
// N (16-pixel words a row) at 19, the planes from 28.
Bytes pg_subheader(unsigned rows, unsigned words, const Bytes& planes)
{
    ByteBuilder b;
    b.text("PG").u8(0).u8(0).u8(0x00).u8(0x80).pad_to(16);
    b.u8(0x0F).u16(rows).u16(words).pad_to(28).bytes(planes);
    return b.data();
}

// AWBM16 of stored width w: the header and w x h / 2 picture bytes, which start "RGB!".
Bytes awbm_no_palette(unsigned w, unsigned h)
{
    unsigned rounded = (w + 7) / 8 * 8;
    return ByteBuilder().text("AWBM").u16(w).u16(h).text("RGB!").pad_to(8 + rounded * h / 2, 0x33).data();
}

// A BMP whose "BM" is 20 01: 4-bit 8 x 2 pixels after 16 colours, or 1-bit 8 x 3 after 2.
Bytes headerless_bmp(unsigned bits = 4)
{
    const unsigned height = bits == 4 ? 2 : 3, offset = 54 + 4 * (1u << bits), size = offset + 4 * height;
    ByteBuilder b;
    b.u8(0x20).u8(0x01).u32(size).u32(0).u32(offset);
    b.u32(40).u32(8).u32(height).u16(1).u16(bits).u32(0).pad_to(size, 0x44);
    return b.data();
}

// The bare TEXTLOGO block: "LOGO", 21, M at 6 (21 + 2F + mDelta), F at 8, columns and
// rows at 12 and 14, 2F glyph bytes from 17, then the screen.
Bytes logo_block(unsigned f, unsigned columns, unsigned rows, int mDelta = 0)
{
    ByteBuilder b;
    b.text("LOGO").u16(21).u16(21 + 2 * f + mDelta).u16(f).u16(0).u16(columns).u16(rows).u8(0);
    b.fill(2 * f, 0x3C).fill(2 * columns * rows, 0x01);
    return b.data();
}

// Five 14-row glyphs of 0x7E rows with a clear bottom row.
Bytes mini_logo()
{
    ByteBuilder b;
    for (unsigned g = 0; g < 5; ++g)
        b.fill(13, static_cast<std::uint8_t>(0x7E ^ g)).u8(0);
    return b.data();
}

TEST(VendorVariants, ClaimsAndNearMisses)
{
    const Bytes pg = pg_subheader(5, 1, Bytes(40, 0x5A));
    const Bytes awbm = awbm_no_palette(16, 2);
    const Bytes bmp = headerless_bmp();
    const Bytes logo = logo_block(8, 2, 1);
    const Bytes mini = mini_logo();
    const DetectCase cases[] = {
        // PG: 16 x 5 (N = 1 word), 24 wide with the extra byte; otherwise the size at 10 and 12.
        {"pg sub-header", pg, 6, 16, 5, 16},
        {"pg sub-header, extra byte", with_byte(pg, 18, 0x80), 6, 24, 5, 16},
        {"pg byte 3 is 1", with_byte(pg, 3, 1), 6, 0, 0, 16},
        {"pg width at 10", with_byte(pg, 10, 1), 6, 1, 0, 16},
        {"pg height at 12", with_byte(pg, 12, 1), 6, 0, 1, 16},
        {"pg mark byte 4", with_byte(pg, 4, 0x01), 6, 0, 0, 16},
        {"pg no rows", with_byte(pg, 17, 0), 6, 0, 0, 16},
        {"pg no words", with_byte(pg, 19, 0), 6, 0, 0, 16},
        // AWBM16 without a palette; otherwise the compressed probe's.
        {"awbm no palette", awbm, 3, 16, 2, 16},
        {"awbm no palette, width rounded", awbm_no_palette(13, 2), 3, 16, 2, 16},
        {"awbm tag at 8", with_byte(awbm, 11, ' '), 22, 16, 2, 16},
        {"awbm a byte short", resized(awbm, awbm.size() - 1), 22, 16, 2, 16},
        {"awbm width 0", awbm_no_palette(0, 2), 22, 0, 2, 16},
        {"awbm height 0", awbm_no_palette(16, 0), 22, 16, 0, 16},
        // BMP with an overwritten signature; otherwise unknown.
        {"bmp 20 01", bmp, 32, 8, 2, 16},
        {"bmp 20 01 1-bit", headerless_bmp(1), 32, 8, 3, 0},
        {"bmp size field", with_byte(bmp, 2, 127), 0, 0, 0, 0},
        {"bmp info size", with_byte(bmp, 14, 41), 0, 0, 0, 0},
        {"bmp planes", with_byte(bmp, 26, 2), 0, 0, 0, 0},
        {"bmp 2 bits", with_byte(bmp, 28, 2), 0, 0, 0, 0},
        {"bmp compressed", with_byte(bmp, 30, 1), 0, 0, 0, 0},
        {"bmp width 0", with_byte(bmp, 18, 0), 0, 0, 0, 0},
        {"bmp height 8194", with_byte(bmp, 23, 0x20), 0, 0, 0, 0},
        {"bmp pixels inside the headers", with_byte(bmp, 10, 53), 0, 0, 0, 0},
        {"bmp pixels past the end", with_byte(bmp, 10, 119), 0, 0, 0, 0},
        // Bare TEXTLOGO block; otherwise an ASUS Dynamic LOGO without pictures.
        {"logo block", logo, 11, 16, 16, 16},
        {"logo header length", with_byte(logo, 4, 22), 15, 0, 0, 16},
        {"logo no glyphs", logo_block(0, 2, 1), 15, 0, 0, 16},
        {"logo F not 8 x glyphs", logo_block(12, 2, 1), 15, 0, 0, 16},
        {"logo no columns", with_byte(logo, 12, 0), 15, 0, 0, 16},
        {"logo no rows", with_byte(logo, 14, 0), 15, 0, 0, 16},
        {"logo map offset", logo_block(8, 2, 1, 1), 15, 0, 0, 16},
        {"logo map cut", resized(logo, logo.size() - 1), 15, 0, 0, 16},
        // Mini logo; otherwise unknown.
        {"mini logo", mini, 2, 40, 14, 16},
        {"mini logo a byte short", resized(mini, 69), 0, 0, 0, 0},
    };
    for (const DetectCase& c : cases)
        expect_detected(c);
    for (unsigned g = 0; g < 5; ++g)
        expect_detected({"mini logo bottom row set", with_byte(mini, 14 * g + 13, 1), 0, 0, 0, 0});
}

// Each variant shows what a documented layout shows for the same pixels (the BMP whose "BM"
// was overwritten has the CRC of its original in the manifest).
TEST(VendorVariants, PicturesMatchTheirDocumentedTwins)
{
    Bytes planes(4 * 7 * 5);  // 7 rows of P = 5 bytes (N = 2 and the extra byte): 40 pixels
    for (std::size_t i = 0; i < planes.size(); ++i)
        planes[i] = static_cast<std::uint8_t>(i * 37 + 11);
    const Bytes ordinaryPg = ByteBuilder().text("PG").pad_to(10).u16(40).u16(7).pad_to(18).bytes(planes).data();
    const Bytes subPg = pg_subheader(7 | 0x8000, 2, planes);
    // The twin of an AWBM16 without a palette has a trailer of the standard colours, blue first.
    const Bytes noPalette = awbm_no_palette(24, 3);
    ByteBuilder withTrailer;
    withTrailer.bytes(noPalette).text("RGB ");
    for (const auto& entry : STANDARD_COLORS)
        withTrailer.u8(entry[3]).u8(entry[2]).u8(entry[1]);
    const std::string intel = test_data_dir() + "/intel/";
    const struct {
        const char* what;
        Bytes variant, twin;
    } pairs[] = {
        {"pg sub-header", subPg, ordinaryPg},
        {"pg cut 7 bytes short", resized(subPg, subPg.size() - 7), resized(ordinaryPg, ordinaryPg.size() - 7)},
        {"awbm16 without a palette", noPalette, withTrailer.data()},
        // The container's picture and panels, from the same bytes less 0x84.
        {"bare logo block", read_file(intel + "logo-block.bin"), read_file(intel + "textlogo-map.bin")},
    };
    for (const auto& p : pairs) {
        SCOPED_TRACE(p.what);
        LoadResult a = load_bytes(p.variant), b = load_bytes(p.twin);
        ASSERT_FALSE(a.image.empty());
        EXPECT_EQ(a.descriptor.formatId, b.descriptor.formatId);
        EXPECT_EQ(a.image, b.image);
        EXPECT_EQ(a.fontMap, b.fontMap);
        EXPECT_EQ(a.colorMap, b.colorMap);
    }
}

// 1- and 24-bit BMPs written by ImageMagick and netpbm against ImageMagick's own reading:
// palette colours lose their two low bits, 24-bit pixels are shown as stored.
TEST(VendorVariants, OneAndTwentyFourBitBmpMatchImageMagick)
{
    if (!have_program("convert"))
        GTEST_SKIP() << "convert missing";
    for (const char* name : {"magick-1bit.bmp", "netpbm-1bit.bmp", "magick-24bit.bmp", "netpbm-24bit.bmp"}) {
        SCOPED_TRACE(name);
        const std::string path = test_data_dir() + "/bmp/" + name;
        Bytes expected, file = read_file(path);
        ASSERT_TRUE(convert_to_rgb(path, expected));
        EXPECT_EQ(decode_bytes_with(BMP8i, file, 37, 23), file[28] == 1 ? clear_low_bits(expected) : expected);
    }
}

// The mini logo's glyphs in colour 7 on black, drawn from offset 0. Its panels are drawn
// but, as for every NonStandard EPA, the views show only the picture.
TEST(VendorVariants, MiniLogoGlyphsInTheDefaultAttribute)
{
    Bytes file = mini_logo();
    file[14 * 2 + 3] = 0x81;  // glyph 2, row 3: the leftmost and rightmost pixel
    LoadResult r = load_bytes(file);
    ASSERT_EQ(r.image.size(), 40u * 14 * 3);
    const std::uint32_t grey = 0xA8A8A8;  // glyph 0 rows are 0x7E; every bottom row is clear
    expect_pixels(r.image, 40, {{16, 3, grey}, {17, 3, 0}, {23, 3, grey}, {0, 0, 0}, {1, 0, grey}, {33, 13, 0}});
    EXPECT_FALSE(r.colorMap.empty());
    EXPECT_FALSE(shows_side_panels(r.descriptor.formatId));
}

}  // namespace
