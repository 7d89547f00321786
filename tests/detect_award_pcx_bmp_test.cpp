// Detection of Award AWBM, AMI GLE and ROM PCX, plain PCX and BMP, EPA, SystemSoft raw and TriGem
// files from hand-made headers (tool-written PCX and BMP files are detected in their decoders' tests).
#include <gtest/gtest.h>

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
    b.u8(0x55).u8(0xAA).u8(byte2).u8(byte3).pad_to(pcxOffset ? pcxOffset : 0x2400, 0xFF);
    if (pcxOffset)
        b.u8(0x0A).u8(0x05).u8(1).u8(bitsPerPixel).u16(10).u16(20).u16(329).u16(219);  // xmin, ymin, xmax, ymax
    return b.pad_to(0x2400, 0xFF).data();
}

Bytes pcx(std::uint8_t version, std::uint8_t encoding, std::uint8_t bitsPerPixel, unsigned xmin, unsigned xmax)
{
    ByteBuilder b;
    return b.u8(0x0A).u8(version).u8(encoding).u8(bitsPerPixel).u16(xmin).u16(0).u16(xmax).u16(99).pad_to(300).data();
}

Bytes bmp(std::uint32_t width, unsigned bitsPerPixel, std::uint32_t pixelOffset, bool signature = true)
{
    // The real bfSize: a QDI file starting 00 00 00 would be an ASUS Dynamic LOGO (3).
    ByteBuilder b;
    b.text(signature ? "BM" : std::string(2, '\0')).u32(2000).u32(0).u32(pixelOffset);
    return b.u32(40).u32(width).u32(33).u16(1).u16(bitsPerPixel).pad_to(2000).data();
}

Bytes epa(unsigned columns, unsigned rows)
{
    return ByteBuilder().u8(columns).u8(rows).pad_to(15 * columns * rows + 72, 0x11).data();
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
        {"awbm header only", ByteBuilder().text("AWBM").data(), 22, 0, 0, 16},
        {"glb", ByteBuilder().text("GLB").u8(0).u8(10).u8(4).pad_to(700).data(), 10, 80, 56, 1},
        {"gl short", ByteBuilder().text("GL").data(), 10, 0, 0, 1},
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
