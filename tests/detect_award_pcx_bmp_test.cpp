// Detection of Award AWBM, AMI GLE and ROM PCX, plain PCX and BMP, EPA, SystemSoft raw
// and TriGem files: hand-made headers, then PCX and BMP files written by ImageMagick
// and netpbm, identified through the command-line tool.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/catalogue.h"

#include "support/fixtures.h"

namespace {

Bytes awbm(unsigned width, unsigned height, std::size_t tag16, std::size_t tag256, unsigned byte11 = 0)
{
    ByteBuilder b;
    b.text("AWBM").u16(width).u16(height).pad_to(0x200).put_u8(11, byte11);
    if (tag16)
        b.put_text(tag16, "RGB ");
    if (tag256)
        b.put_text(tag256, "RGB ");
    return b.data();
}

// A ROM image with its signature, and a PCX header at pcxOffset when it is not 0.
Bytes rom_with_pcx(std::uint8_t byte2, std::uint8_t byte3, std::size_t pcxOffset, unsigned bitsPerPixel)
{
    ByteBuilder b;
    b.u8(0x55).u8(0xAA).u8(byte2).u8(byte3).pad_to(0x2400, 0xFF);
    if (pcxOffset) {
        b.put_u8(pcxOffset, 0x0A).put_u8(pcxOffset + 1, 0x05).put_u8(pcxOffset + 2, 1).put_u8(pcxOffset + 3, bitsPerPixel);
        b.put_u16(pcxOffset + 4, 10).put_u16(pcxOffset + 6, 20);   // xmin, ymin
        b.put_u16(pcxOffset + 8, 329).put_u16(pcxOffset + 10, 219);  // xmax, ymax
    }
    return b.data();
}

Bytes pcx(std::uint8_t version, std::uint8_t encoding, std::uint8_t bitsPerPixel, unsigned xmin, unsigned xmax)
{
    ByteBuilder b;
    b.u8(0x0A).u8(version).u8(encoding).u8(bitsPerPixel).u16(xmin).u16(0).u16(xmax).u16(99).pad_to(300);
    return b.data();
}

Bytes bmp(std::uint32_t width, unsigned bitsPerPixel, std::uint32_t pixelOffset, bool signature = true)
{
    ByteBuilder b;
    // The real bfSize: a QDI file starting 00 00 00 would be an ASUS Dynamic LOGO (3).
    b.text(signature ? "BM" : std::string(2, '\0')).u32(2000).u32(0).u32(pixelOffset);
    b.u32(40).u32(width).u32(33).u16(1).u16(bitsPerPixel).pad_to(2000);
    return b.data();
}

Bytes epa(unsigned columns, unsigned rows)
{
    ByteBuilder b;
    b.u8(columns).u8(rows).pad_to(15 * columns * rows + 72, 0x11);
    return b.data();
}

}  // namespace

TEST(DetectAwardPcxBmp, HandMadeHeaders)
{
    const DetectCase cases[] = {
        // Width 0x13 rounds to 0x18: the 16-colour tag sits at 8 + 0x18 * 0x10 / 2, the
        // 256-colour one at 8 + 0x18 * 0x10.
        {"awbm16 tag", awbm(0x13, 0x10, 0xC8, 0), 3, 0x18, 0x10, 16},
        {"awbm256 tag", awbm(0x13, 0x10, 0, 0x188), 9, 0x18, 0x10, 256},
        {"awbm both tags", awbm(0x13, 0x10, 0xC8, 0x188), 3, 0x18, 0x10, 16},
        {"awbm tag one byte off", awbm(0x13, 0x10, 0xC9, 0x187), 22, 0x18, 0x10, 16},
        {"awbm no tag byte11 1", awbm(0x13, 0x10, 0, 0, 1), 28, 0x18, 0x10, 256},
        {"awbm no tag byte11 2", awbm(0x13, 0x10, 0, 0, 2), 22, 0x18, 0x10, 16},
        {"awbm header only", ByteBuilder().text("AWBM").data(), 22, 0, 0, 16},
        {"gle", ByteBuilder().text("GLE").u8(0).u8(10).u8(4).pad_to(700).data(), 10, 80, 56, 1},
        {"glb", ByteBuilder().text("GLB").u8(0).u8(3).u8(2).pad_to(100).data(), 10, 24, 28, 1},
        {"gle short", ByteBuilder().text("GL").data(), 10, 0, 0, 1},
        {"ami rom pcx", rom_with_pcx(0x00, 0xE9, 0x300, 4), 16, 320, 200, 16},
        {"ami rom pcx last offset", rom_with_pcx(0x00, 0xE9, 4095, 4), 16, 320, 200, 16},
        {"ami rom pcx beyond window", rom_with_pcx(0x00, 0xE9, 4096, 4), 0, 0, 0, 0},
        {"ami rom without pcx", rom_with_pcx(0x00, 0xE9, 0, 0), 0, 0, 0, 0},
        {"systemsoft rom pcx8", rom_with_pcx(0x40, 0x00, 0x1000, 8), 20, 320, 200, 256},
        {"systemsoft rom pcx4", rom_with_pcx(0x40, 0x00, 0x1000, 4), 20, 320, 200, 0},
        {"systemsoft rom last offset", rom_with_pcx(0x12, 0x00, 8191, 8), 20, 320, 200, 256},
        {"systemsoft rom beyond window", rom_with_pcx(0x12, 0x00, 8192, 8), 0, 0, 0, 0},
        {"pcx 0A 05 01 08", pcx(5, 1, 8, 0, 639), 27, 640, 100, 256},
        {"pcx 0A 05 01 04", pcx(5, 1, 4, 0, 639), 25, 640, 100, 16},
        {"pcx 0A 05 01 01", pcx(5, 1, 1, 0, 639), 25, 640, 100, 16},
        {"pcx 0A 02 01 08", pcx(2, 1, 8, 0, 639), 25, 640, 100, 16},
        {"pcx 0A 05 00 08", pcx(5, 0, 8, 0, 639), 5, 640, 100, 256},
        {"pcx xmin past xmax", pcx(5, 1, 8, 5, 2), 27, 0xFFFE, 100, 256},
        {"pcx4 header only", ByteBuilder().u8(0x0A).u8(0x05).u8(0x01).data(), 25, 1, 1, 16},
        {"qdi bmp", bmp(100, 8, 0x436, false), 4, 100, 33, 256},
        {"bmp 8-bit", bmp(16, 8, 54 + 1024), 32, 16, 33, 256},
        {"bmp 4-bit", bmp(16, 4, 54 + 64), 32, 16, 33, 16},
        {"bmp 24-bit", bmp(16, 24, 54), 32, 16, 33, 0},
        {"bmp width 13", bmp(13, 8, 54 + 1024), 32, 16, 33, 256},
        {"bmp width 0x1FFFD", bmp(0x1FFFD, 8, 54 + 1024), 32, 0, 33, 256},
        {"bmp header only", ByteBuilder().text("BM").data(), 32, 0, 0, 0},
        {"systemsoft raw", ByteBuilder().u16(4).u16(3).pad_to(28).data(), 38, 4, 3, 16},
        {"standard epa", epa(17, 6), 1, 136, 84, 16},
        {"nonstandard epa", epa(10, 4), 2, 80, 56, 16},
        {"epa without columns", epa(0, 5), 2, 0, 70, 16},
        {"epa one byte long", ByteBuilder().u8(17).u8(6).pad_to(1603).data(), 0, 0, 0, 0},
        {"trigem", ByteBuilder().text("TM").pad_to(18).u16(320).u16(0).u16(240).pad_to(500).data(), 21, 320, 240, 16},
        {"trigem short", ByteBuilder().text("TM").data(), 21, 0, 0, 16},
        {"unknown text", ByteBuilder().text("Hello, this is not a logo at all; just some words.\n").data(), 0, 0, 0,
         0},
    };
    for (const DetectCase& c : cases) {
        expect_detected(c);
    }
}

namespace {

struct OracleCase {
    const char* file;
    std::string command;  // writes the file named by $OUT
    unsigned formatId;
    unsigned width;  // as detection reports it: BMP widths are rounded up to a multiple of 4
    unsigned height;
    unsigned colorCount;
};

// A picture from ImageMagick's plasma generator, reduced to a number of colours.
std::string plasma(unsigned w, unsigned h, unsigned colors)
{
    char text[96];
    std::snprintf(text, sizeof text, "convert -seed 7 -size %ux%u plasma:fractal -colors %u ", w, h, colors);
    return text;
}

}  // namespace

TEST(DetectAwardPcxBmp, FilesWrittenByImageMagickAndNetpbm)
{
    if (!have_program("convert") || !have_program("ppmtopcx") || !have_program("ppmtobmp"))
        GTEST_SKIP() << "ImageMagick or netpbm is not installed";
    const std::string toPlanarPcx = "ppm:- | ppmtopcx -planes 4 > \"$OUT\"";
    const std::string toPcx = "-type palette PCX:\"$OUT\"";
    const std::string toBmp3 = "-type palette -compress None BMP3:\"$OUT\"";
    const std::vector<OracleCase> cases = {
        {"p4a.pcx", plasma(40, 20, 12) + toPlanarPcx, 25, 40, 20, 16},
        {"p4b.pcx", plasma(13, 7, 12) + toPlanarPcx, 25, 13, 7, 16},
        {"p8a.pcx", plasma(37, 21, 100) + toPcx, 27, 37, 21, 256},
        {"b4b.bmp", plasma(13, 7, 12) + toBmp3, 32, 16, 7, 16},
        {"b8a.bmp", plasma(37, 21, 100) + toBmp3, 32, 40, 21, 256},
        {"b8c.bmp", plasma(36, 9, 100) + toBmp3, 32, 36, 9, 256},
        {"n4.bmp", plasma(21, 9, 12) + "ppm:- | ppmtobmp -bpp 4 > \"$OUT\"", 32, 24, 9, 16},
        {"n8.bmp", plasma(21, 9, 100) + "ppm:- | ppmtobmp -bpp 8 > \"$OUT\"", 32, 24, 9, 256},
    };
    for (const OracleCase& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = test_temp_dir() + "/" + c.file;
        ASSERT_EQ(run_command("OUT='" + path + "'; " + c.command + " 2>/dev/null"), 0);
        const Bytes bytes = read_file(path);
        ASSERT_GT(bytes.size(), 128u);
        if (c.formatId == 32) {  // the tool chose the bit depth: make sure it is this case's one
            ASSERT_EQ(bytes[28], c.colorCount == 16 ? 4 : 8);
        }
        std::string out;
        run_command("'" + cli_path() + "' identify --json '" + path + "'", &out);
        char expected[256];
        std::snprintf(expected, sizeof expected,
                      "\"formatId\": %u, \"formatName\": \"%s\", \"width\": %u, \"height\": %u, \"dataSize\": %zu, "
                      "\"frameCount\": 0, \"colorCount\": %u}\n",
                      c.formatId, format_name(static_cast<LogoFormatId>(c.formatId)), c.width, c.height, bytes.size(),
                      c.colorCount);
        EXPECT_NE(out.find(expected), std::string::npos) << out << "expected: " << expected;
    }
}
