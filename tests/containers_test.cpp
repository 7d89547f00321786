// Composite containers: Phoenix SCRN and SCN envelopes, "$OSB" chains of PCX and BMP pictures.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/catalogue.h"
#include "decode/standard_colors.h"
#include "support/fixtures.h"

namespace {

// A Phoenix picture: the 19-byte head, a 4-bit picture's substitution table, the pixels.
Bytes phoenix_picture(unsigned bits, unsigned width, unsigned height, const Bytes& pixels,
                      const Bytes& substitution = {})
{
    ByteBuilder b;
    b.fill(4).u8(bits).u16(width).u16(height).pad_to(19);
    if (bits == 4) {
        Bytes table = substitution;
        for (std::size_t i = table.size(); i < 16; ++i)
            table.push_back(static_cast<std::uint8_t>(i));
        b.bytes(table);
    }
    return b.bytes(pixels).data();
}

// A 6-bit palette whose entry i is (i, 63 - i, i / 2).
Bytes ramp_palette(unsigned entries)
{
    ByteBuilder b;
    for (unsigned i = 0; i < entries; ++i)
        b.u8(i).u8(63 - i).u8(i / 2);
    return b.data();
}

std::uint32_t ramp_rgb(unsigned i)
{
    return (i * 4 << 16) | ((63 - i) * 4 << 8) | (i / 2 * 4);
}

std::uint32_t standard_rgb(unsigned n)
{
    std::uint8_t rgb[3];
    standard_color_rgb(n, rgb);
    return (rgb[0] << 16) | (rgb[1] << 8) | rgb[2];
}

// Appends the pictures; returns where each starts.
std::vector<std::size_t> append_pictures(ByteBuilder& b, const std::vector<Bytes>& pictures)
{
    std::vector<std::size_t> offsets;
    for (const Bytes& picture : pictures) {
        offsets.push_back(b.size());
        b.bytes(picture);
    }
    return offsets;
}

// SCRN composite: header, 64-entry palette, the pictures, the directory at 0x200.
Bytes scrn_file(const std::vector<Bytes>& pictures)
{
    ByteBuilder b;
    b.text("SCRN").u16(0).u16(0x200).pad_to(16).bytes(ramp_palette(64));
    std::vector<std::size_t> offsets = append_pictures(b, pictures);
    b.pad_to(0x200).u8(pictures.size());
    for (std::size_t off : offsets)
        b.u8(0xEE).u16(off);
    return b.put_u16(4, b.size()).data();
}

// SCN envelope: header with the picture count, a 36-entry palette, the pictures, then the
// directory, which ends at dataSize (padded to dataSizeAtLeast); trailing bytes follow it.
Bytes scn_file(const std::vector<Bytes>& pictures, std::size_t dataSizeAtLeast = 0, std::size_t trailing = 0)
{
    ByteBuilder b;
    b.text("SCN").pad_to(16).put_u8(9, pictures.size()).bytes(ramp_palette(36));
    std::vector<std::size_t> offsets = append_pictures(b, pictures);
    if (dataSizeAtLeast > 5 * pictures.size())
        b.pad_to(dataSizeAtLeast - 5 * pictures.size());
    for (std::size_t off : offsets)
        b.u8(0xEE).u32(off);
    b.put_u32(4, b.size());
    return b.fill(trailing).data();
}

// A "$OSB" record; mark FF ends the chain.
Bytes osb_record(std::uint32_t length, unsigned mark = 0)
{
    return ByteBuilder().text("$OSB").u8(mark).u32(length).pad_to(16).data();
}

// A "$OSB" chain of pictures, closed by an end record.
Bytes osb_chain(const std::vector<Bytes>& pictures)
{
    ByteBuilder b;
    for (const Bytes& picture : pictures)
        b.bytes(osb_record(picture.size())).bytes(picture);
    return b.bytes(osb_record(0, 0xFF)).data();
}

// An 8-bit run-length PCX file (literal bytes only, values below C0) with its palette.
Bytes pcx8_file(unsigned width, unsigned height, unsigned bytesPerLine, const Bytes& rows, const Bytes& palette)
{
    ByteBuilder b;
    b.u8(0x0A).u8(5).u8(1).u8(8).u16(0).u16(0).u16(width - 1).u16(height - 1).pad_to(65).u8(1).u16(bytesPerLine);
    b.pad_to(128).bytes(rows).u8(0x0C).bytes(palette);
    return b.pad_to(b.size() + 768 - palette.size()).data();
}

// A BMP file with the given bit count; rows are stored as given (bottom row first).
Bytes bmp_file(unsigned width, unsigned height, unsigned bits, const Bytes& palette, const Bytes& rows)
{
    std::size_t dataOffset = 54 + palette.size();
    ByteBuilder b;
    b.text("BM").u32(dataOffset + rows.size()).u32(0).u32(dataOffset);
    b.u32(40).u32(width).u32(height).u16(1).u16(bits).pad_to(54).bytes(palette).bytes(rows);
    return b.data();
}

// ---- Independent oracle: netpbm writes the embedded PCX and BMP pictures ----

// A picture of 40 distinct colours in diagonal bands, as 0xRRGGBB.
std::uint32_t band_rgb(unsigned x, unsigned y)
{
    unsigned i = (x + 3 * y) % 40;
    return ((i * 6) << 16) | ((255 - i * 5) << 8) | ((i * 37) & 0xFF);
}

// The banded picture written as PPM and converted by a netpbm command; empty when that fails.
Bytes netpbm_banded(unsigned width, unsigned height, const std::string& command)
{
    ByteBuilder ppm;
    ppm.text("P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n");
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x)
            ppm.u8(band_rgb(x, y) >> 16).u8((band_rgb(x, y) >> 8) & 0xFF).u8(band_rgb(x, y) & 0xFF);
    std::string in = write_temp_file(ppm.data(), "banded.ppm");
    std::string out = in + ".out";
    if (run_command(command + " " + in + " > " + out + " 2>/dev/null") != 0)
        return {};
    return read_file(out);
}

// ---- Helpers over the headless pipeline and the command ----

// Runs a container through the pipeline and expects every frame's size.
LoadResult load_frames(const Bytes& bytes, const std::vector<std::pair<unsigned, unsigned>>& sizes)
{
    LoadResult r = load_bytes(bytes);
    EXPECT_EQ(r.loaded, 1);
    EXPECT_EQ(r.frames.size(), sizes.size());
    for (std::size_t k = 0; k < sizes.size() && k < r.frames.size(); ++k) {
        EXPECT_EQ(r.frames[k].width, sizes[k].first) << "frame " << k;
        EXPECT_EQ(r.frames[k].height, sizes[k].second) << "frame " << k;
    }
    return r;
}

const Bytes JPEG_WITH_TABLES_FIRST =
    ByteBuilder().u8(0xFF).u8(0xD8).u8(0xFF).u8(0xE0).u16be(16).text("JFIF").fill(10).u8(0xFF).u8(0xC4).u16be(5).fill(3)
        .u8(0xFF).u8(0xC0).u16be(17).u8(8).u16be(48).u16be(64).fill(10).u8(0xFF).u8(0xD9).data();

// An SCN envelope around one JPEG: the last 4 bytes point at the JPEG's start.
Bytes scn_jpeg_file(const Bytes& jpeg)
{
    ByteBuilder b;
    b.text("SCN").pad_to(16).put_u8(9, 1).put_u32(4, 0x1234).fill(20);
    std::size_t at = b.size();
    return b.bytes(jpeg).u8(0).u32(at).data();
}

}  // namespace

// ---- Detection ----

TEST(Containers, DetectionReportsFramesAndLargestSize)
{
    Bytes pic4x2 = phoenix_picture(4, 4, 2, Bytes(4, 0x12));
    Bytes pic8x3x5 = phoenix_picture(8, 3, 5, Bytes(15, 1));
    Bytes pic2x9 = phoenix_picture(8, 2, 9, Bytes(18, 1));
    Bytes bmp31 = bmp_file(31, 4, 8, Bytes(1024, 0), Bytes(32 * 4, 0));
    Bytes bmp12 = bmp_file(12, 7, 8, Bytes(1024, 0), Bytes(12 * 7, 0));
    Bytes pcx321 = pcx8_file(321, 2, 322, Bytes(644, 1), {});
    Bytes pcx10 = pcx8_file(10, 3, 10, Bytes(30, 1), {});
    // A 16-bit size field at 4 in a file of more than 64 KiB.
    Bytes bigScrn = scrn_file({phoenix_picture(8, 1, 1, {5})});
    bigScrn.resize(0x10020);
    bigScrn = ByteBuilder().bytes(bigScrn).put_u16(4, 0xBEEF).data();
    const struct {
        Bytes bytes;
        LogoFormatId id;
        unsigned width, height, dataSize, frames, colours;  // dataSize 0: the file's size
    } cases[] = {
        {scrn_file({pic4x2, pic8x3x5, pic2x9}), 13, 4, 9, 0, 3, 16},
        {bigScrn, 13, 1, 1, 0xBEEF, 1, 16},
        {scn_file({pic4x2, pic8x3x5, pic2x9}), 26, 4, 9, 0, 3, 256},
        // 14 bytes, 3 entries: the directory ends where the envelope does (0x40404040), far
        // past the file, so its entries read as 0 and each head is read at 0 (0x4040 wide).
        {ByteBuilder().text("SCN").u8(0).u32(0x40404040).u8(0x40).u8(3).u32(0xFFFFFFFF).data(), 26, 0x4040, 0x4040,
         0x40404040, 3, 256},
        {scn_jpeg_file(JPEG_WITH_TABLES_FIRST), 29, 64, 48, 0x1234, 0, 256},
        {scn_jpeg_file(ByteBuilder().u8(0xFF).u8(0xD8).u8(0x00).fill(20).data()), 29, 0, 0, 0x1234, 0, 256},
        {osb_chain({bmp31, bmp12}), 36, 32, 7, 0, 2, 256},
        {osb_chain({pcx10, pcx321}), 23, 322, 3, 0, 2, 256},
        {ByteBuilder().bytes(osb_record(0x40, 0xFF)).fill(0x40).data(), 23, 0, 0, 0, 0, 256},
    };
    for (const auto& e : cases) {
        SCOPED_TRACE(&e - cases);
        LogoDescriptor d = detect_bytes(e.bytes);
        EXPECT_EQ(d.formatId, e.id);
        EXPECT_EQ(d.width, e.width);
        EXPECT_EQ(d.height, e.height);
        EXPECT_EQ(d.dataSize, e.dataSize ? e.dataSize : e.bytes.size());
        EXPECT_EQ(d.frameCount, e.frames);
        EXPECT_EQ(d.colorCount, e.colours);
    }
    // The first picture decides the chain's kind.
    EXPECT_EQ(detect_bytes(osb_chain({pcx10, bmp12})).formatId, 23);
    EXPECT_EQ(detect_bytes(osb_chain({bmp12, pcx10})).formatId, 36);
}

// ---- Phoenix SCRN ----

TEST(Containers, ScrnColours)
{
    // A directory at 0x200 holds offsets at 0x202, 0x205, 0x208, each behind an EE byte
    // that an offset read one byte early would take in.
    // 4 bits: value 1 maps to 0x21, palette entry 33; value 2 maps to 0x50, past the 64 entries:
    // the last entry. Rows run from the top, the high nibble first; a 3-pixel row takes two bytes.
    // 8 bits: indexes past 63 take the last entry. A bit count of 2 is drawn as 4 bits without
    // a table: values are palette entries themselves.
    Bytes four = phoenix_picture(4, 3, 2, {0x12, 0x30, 0x03, 0x10}, {0, 0x21, 0x50, 3});
    Bytes eight = phoenix_picture(8, 2, 1, {7, 200});
    Bytes odd = phoenix_picture(2, 2, 1, {0x5A});
    LoadResult r = load_frames(scrn_file({four, eight, odd}), {{3, 2}, {2, 1}, {2, 1}});
    // Frame, x, y and the palette entry expected there.
    const unsigned pixels[][4] = {{0, 0, 0, 33}, {0, 1, 0, 63}, {0, 2, 0, 3}, {0, 0, 1, 0}, {0, 2, 1, 33},
                                  {1, 0, 0, 7},  {1, 1, 0, 63}, {2, 0, 0, 5}, {2, 1, 0, 10}};
    for (auto [f, x, y, entry] : pixels)
        EXPECT_EQ(r.frame_rgb(f, x, y), ramp_rgb(entry)) << "frame " << f << " at " << x << "," << y;
}

// ---- Phoenix SCN ----

TEST(Containers, ScnColours)
{
    // 4 bits through the 36-entry palette (substitution 40 is past it: the last entry);
    // 8 bits draw standard colour (byte AND 0x10): 0 is black, 16 takes the table's last
    // colour, white. The directory ends at dataSize 1000 (entries at 985, 990, 995, each
    // an EE byte and an offset); 40 bytes follow it: detection reads the directory from
    // the file's end, the decoder from dataSize.
    Bytes four = phoenix_picture(4, 2, 1, {0x12}, {0, 20, 40});
    Bytes eight = phoenix_picture(8, 3, 1, {0x0F, 0x10, 0xFF});
    Bytes file = scn_file({four, eight, phoenix_picture(8, 4, 1, {0, 0, 0, 0})}, 1000, 40);
    ASSERT_EQ(file.size(), 1040u);
    LoadResult r = load_frames(file, {{2, 1}, {3, 1}, {4, 1}});
    EXPECT_EQ(r.frame_rgb(0, 0, 0), ramp_rgb(20));
    EXPECT_EQ(r.frame_rgb(0, 1, 0), ramp_rgb(35));
    EXPECT_EQ(r.frame_rgb(1, 0, 0), standard_rgb(0));
    EXPECT_EQ(r.frame_rgb(1, 1, 0), standard_rgb(15));
    EXPECT_EQ(r.frame_rgb(1, 2, 0), standard_rgb(15));
}

TEST(Containers, ScnVerbosePrintsSixteenPaletteEntries)
{
    Bytes file = scn_file({phoenix_picture(8, 1, 1, {0}), phoenix_picture(8, 1, 1, {0})});
    LoadResult r = load_file(write_temp_file(file, "v.scn"), "", true);
    EXPECT_NE(r.stdoutText.find("[00]: {00}-{3F}-{00}\n[01]: {01}-{3E}-{00}\n"), std::string::npos);
    EXPECT_NE(r.stdoutText.find("[0F]: {0F}-{30}-{07}\n"), std::string::npos);
    EXPECT_EQ(r.stdoutText.find("[10]:"), std::string::npos);
    // Without pictures the palette is still read and shown.
    r = load_file(write_temp_file(scn_file({}), "empty.scn"), "", true);
    EXPECT_NE(r.stdoutText.find("[0F]: {0F}-{30}-{07}\n"), std::string::npos) << r.stdoutText;
}

TEST(Containers, ScnAroundOneJpegShowsTheTestPattern)
{
    // Row 3: colours 0, 1, 2, 3, 0, ...
    LoadResult r = load_bytes(scn_jpeg_file(JPEG_WITH_TABLES_FIRST));
    ASSERT_EQ(r.image.size(), 64u * 48 * 3);
    EXPECT_TRUE(r.frames.empty());
    for (unsigned x = 0; x < 5; ++x)
        EXPECT_EQ(r.rgb(x, 3), standard_rgb(x % 4)) << x;
}

// ---- "$OSB" chains of PCX pictures ----

TEST(Containers, OsbPcxFramesMatchNetpbm)
{
    if (!have_program("ppmtopcx"))
        GTEST_SKIP() << "ppmtopcx (netpbm) is not installed";
    Bytes a = netpbm_banded(24, 5, "ppmtopcx -8bit"), b = netpbm_banded(17, 9, "ppmtopcx -8bit");
    ASSERT_FALSE(a.empty() || b.empty());
    // The second record starts 16 + L after the first.
    Bytes file = osb_chain({a, b});
    ASSERT_EQ(file[16 + a.size()], '$');
    LoadResult r = load_frames(file, {{24, 5}, {18, 9}});
    for (unsigned k = 0; k < 2; ++k)
        for (unsigned y = 0; y < r.frames.at(k).height; ++y)
            for (unsigned x = 0; x < (k == 0 ? 24 : 17); ++x)
                ASSERT_EQ(r.frame_rgb(k, x, y), band_rgb(x, y)) << "frame " << k << " at " << x << "," << y;
}

TEST(Containers, OsbPcxWidth321FillsColumn322FromTheFillByte)
{
    // Bytes per line 322: the row's last byte (value 2) is the fill byte; palette values
    // are used as stored.
    Bytes rows = ByteBuilder().fill(321, 1).u8(2).fill(321, 1).u8(2).data();
    Bytes pcx = pcx8_file(321, 2, 322, rows, ByteBuilder().fill(3).u8(255).u8(128).u8(3).u8(9).u8(8).u8(7).data());
    LoadResult r = load_frames(osb_chain({pcx}), {{322, 2}});
    EXPECT_EQ(r.frame_rgb(0, 0, 0), 0xFF8003u);
    EXPECT_EQ(r.frame_rgb(0, 320, 1), 0xFF8003u);
    EXPECT_EQ(r.frame_rgb(0, 321, 0), 0x090807u);
    EXPECT_EQ(r.frame_rgb(0, 321, 1), 0x090807u);
}

// ---- "$OSB" chains of BMP pictures ----

TEST(Containers, OsbBmpWidth30GivesFrame32WithBlackFill)
{
    if (!have_program("ppmtobmp"))
        GTEST_SKIP() << "ppmtobmp (netpbm) is not installed";
    Bytes bmp = netpbm_banded(30, 6, "ppmtobmp -bpp=8");
    ASSERT_FALSE(bmp.empty());
    LoadResult r = load_frames(osb_chain({bmp, bmp}), {{32, 6}, {32, 6}});
    for (unsigned y = 0; y < 6; ++y) {
        for (unsigned x = 0; x < 30; ++x)
            ASSERT_EQ(r.frame_rgb(1, x, y), band_rgb(x, y) & 0xFCFCFC) << x << "," << y;
        EXPECT_EQ(r.frame_rgb(1, 30, y), 0u);
        EXPECT_EQ(r.frame_rgb(1, 31, y), 0u);
    }
}

TEST(Containers, OsbBmpFourBitGivesBlackFrame)
{
    LoadResult r = load_frames(osb_chain({bmp_file(6, 3, 4, Bytes(64, 0xFF), Bytes(12, 0x11))}), {{8, 3}});
    EXPECT_EQ(r.frames.at(0).pixels, Bytes(8 * 3 * 3, 0));
}

TEST(Containers, OsbBmpVerboseTrace)
{
    Bytes bmp = bmp_file(30, 2, 8, Bytes(1024, 0), Bytes(64, 0));  // 1,142 bytes
    LoadResult r = load_file(write_temp_file(osb_chain({bmp, bmp}), "v.osb"), "", true);
    EXPECT_NE(r.stdoutText.find("===>>> IMAGE: Offset = 0h\n===>>> BMP8i: DataOffset = 436h\n"
                                "===>>> BMP8i: UsedColors = 256\n===>>> BMP8i: bmp.Bits = 8\n"
                                "===>>> IMAGE: (20 px) x (2 px)\n"),
              std::string::npos)
        << r.stdoutText;
    EXPECT_NE(r.stdoutText.find("===>>> IMAGE: Offset = 486h\n"), std::string::npos);
}

// ---- Walks over damaged containers end, and stay within their frames ----

TEST(Containers, CraftedWalksEnd)
{
    Bytes pcx = pcx8_file(2, 1, 2, {1, 1}, {});
    ByteBuilder zeroLength, scrnSelf;
    for (int i = 0; i < 300; ++i)
        zeroLength.bytes(osb_record(0));
    scrnSelf.text("SCRN").u16(0).u16(0x100).pad_to(0x100).u8(255);
    for (int i = 0; i < 255; ++i)
        scrnSelf.u8(0).u16(0x100);
    const struct {
        const char* what;
        Bytes bytes;
        LogoFormatId id;
        unsigned frames;
    } cases[] = {
        // Every step moves 16 bytes; the third one's 128-byte header read runs past the end.
        {"zero-length records", Bytes(zeroLength.data().begin(), zeroLength.data().begin() + 160), 23, 3},
        {"300 records, capped at 255", zeroLength.data(), 23, 255},
        {"length that wraps to the same record", ByteBuilder().bytes(osb_record(0xFFFFFFF0)).bytes(pcx).data(), 23, 1},
        {"two records pointing at each other",
         ByteBuilder().bytes(osb_record(pcx.size())).bytes(pcx).bytes(osb_record(-static_cast<std::uint32_t>(32 + pcx.size())))
             .bytes(pcx).data(), 23, 2},
        {"record cut short by the end of the file",
         ByteBuilder().bytes(osb_record(pcx.size())).bytes(pcx).text("$OS").data(), 23, 2},
        {"SCN count far above its directory", ByteBuilder().text("SCN").pad_to(16).put_u8(9, 255).put_u32(4, 30).data(),
         26, 255},
        {"SCN directory pointing at its own header",
         ByteBuilder().text("SCN").pad_to(16).put_u8(9, 2).put_u32(4, 0xFFFFFFFF).fill(20).u8(0).u32(0).u8(0).u32(0).data(),
         26, 2},
        {"SCRN directory pointing at itself", scrnSelf.data(), 13, 255},
        {"SCRN directory past the end", ByteBuilder().text("SCRN").u16(0).u16(0xFFFF).pad_to(40).data(), 13, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LogoDescriptor d = detect_bytes(c.bytes);
        EXPECT_EQ(d.formatId, c.id);
        EXPECT_EQ(d.frameCount, c.frames);
        EXPECT_EQ(load_bytes(c.bytes).frames.size(), c.frames);
    }
}

TEST(Containers, HugeFramesAreRefusedWithAMessage)
{
    // 60000 x 60000 pixels is past what a frame may hold: the frame stays empty and the
    // others decode.
    LoadResult r = load_bytes(scrn_file({phoenix_picture(8, 60000, 60000, {}), phoenix_picture(8, 1, 1, {9})}));
    ASSERT_EQ(r.frames.size(), 2u);
    EXPECT_TRUE(r.frames[0].pixels.empty());
    EXPECT_EQ(r.frame_rgb(1, 0, 0), ramp_rgb(9));
    EXPECT_NE(r.stdoutText.find("No memory allocated for Image\n"), std::string::npos);
}
