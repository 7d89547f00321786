// PCX logos: detection of plain, BioStar and ROM files, run-length scanlines, palettes per
// decoder, damaged headers, and pictures written by netpbm and ImageMagick.
#include <gtest/gtest.h>

#include "core/stream_io.h"
#include "decode/decoders.h"
#include "decode/pcx_scanline.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

// A PCX file: header of a width x height picture with its bits per pixel, bytes per line and
// 16-colour palette, the run-length data, and for 8 bits marker 0C and the 256-colour palette.
Bytes pcx(unsigned bits, unsigned width, unsigned height, unsigned lineBytes, const Bytes& data, const Bytes& palette)
{
    ByteBuilder b;
    b.u8(0x0A).u8(0x05).u8(0x01).u8(bits).u16(0).u16(0).u16(width - 1).u16(height - 1).pad_to(16);
    b.bytes(bits == 8 ? Bytes() : palette).pad_to(65).u8(bits == 8 ? 1 : 4).u16(lineBytes).pad_to(128).bytes(data);
    return (bits == 8 ? b.u8(0x0C).bytes(palette).fill(768 - palette.size()) : b).data();
}

// An option-ROM image: its signature, filler, and the PCX file at offset.
Bytes in_rom(const Bytes& file, std::uint8_t thirdByte, std::uint8_t fourthByte, std::size_t offset)
{
    return ByteBuilder().u8(0x55).u8(0xAA).u8(thirdByte).u8(fourthByte).pad_to(offset, 0x90).bytes(file).data();
}

}  // namespace

TEST(PcxDetect, HandMadeHeaders)
{
    auto header = [](unsigned version, unsigned encoding, unsigned bits, unsigned xmin) {  // xmax 639, ymax 99
        return ByteBuilder().u8(0x0A).u8(version).u8(encoding).u8(bits).u16(xmin).u16(0).u16(639).u16(99).data();
    };
    const DetectCase cases[] = {
        {"ami rom pcx at the last offset", in_rom(header(5, 1, 4, 0), 0, 0xE9, 4095), FORMAT_AMI_GFX_PCX, 640, 100, 16},
        {"ami rom pcx past the window", in_rom(header(5, 1, 4, 0), 0, 0xE9, 4096), 0, 0, 0, 0},
        {"systemsoft rom pcx at the last offset", in_rom(header(5, 1, 8, 0), 0x12, 0, 8191), FORMAT_SYSTEMSOFT_PCX, 640,
         100, 256},
        {"systemsoft rom pcx past the window", in_rom(header(5, 1, 8, 0), 0x12, 0, 8192), 0, 0, 0, 0},
        {"0A 05 01 08", header(5, 1, 8, 0), FORMAT_PCX8, 640, 100, 256},
        {"0A 05 01 04", header(5, 1, 4, 0), FORMAT_PCX4, 640, 100, 16},
        {"0A 02 01 08", header(2, 1, 8, 0), FORMAT_PCX4, 640, 100, 16},
        {"0A 05 00 08", header(5, 0, 8, 0), FORMAT_BIOSTAR_PCX, 640, 100, 256},
        {"xmin past xmax", header(5, 1, 8, 642), FORMAT_PCX8, 0xFFFE, 100, 256},
    };
    for (const DetectCase& c : cases)
        expect_detected(c);
}

TEST(PcxScanline, CodesRunsAndLineEnds)
{
    const std::tuple<Bytes, std::size_t, Bytes> cases[] = {  // packed, line length, line
        {{0xC3, 0x05}, 3, {5, 5, 5}}, {{0x3F}, 1, {0x3F}}, {{0xC1, 0xC8}, 1, {0xC8}},
        {{0xC0, 0x07, 0x09}, 1, {0x09}},                   // a run of zero writes nothing
        {{0xC5, 0x07, 0x01}, 3, {7, 7, 7}},                 // a run is cut at the line end
        {{0xC4, 0xAA}, 6, {0xAA, 0xAA, 0xAA, 0xAA, 0, 0}},  // the stream ends inside the line
        {{0xE0, 0x21}, 32, Bytes(32, 0x21)},                // runs of 32 .. 63: bit 5 of the count
        {{0xFF, 0x5A, 0x01}, 64, [] { Bytes b(63, 0x5A); b.push_back(1); return b; }()},
        {{0xFF, 0x5A, 0xE1, 0x02}, 40, Bytes(40, 0x5A)},    // a run of 63 cut at 40
        {{0xF3, 0x7F}, 51, Bytes(51, 0x7F)},
    };
    for (const auto& [packed, length, expected] : cases) {
        SilentSink silent;
        LoadContext load(silent, false);
        ByteReader in(load.replace_input(packed), 0);
        Bytes line(length, 0xEE);
        unpack_pcx_scanline(in, line.data(), line.size());
        EXPECT_EQ(line, expected);
    }
}

// Entry 1 (255, 128, 3) shows with its two low bits cleared through the plain files'
// decoders and as stored through the vendors'. Damaged headers stay inside the picture.
TEST(PcxDecoders, PalettesPerDecoderAndDamagedHeaders)
{
    const Bytes palette = {0, 0, 0, 255, 128, 3};
    const Bytes eightBit = pcx(8, 16, 1, 16, {0xC0 | 16, 1}, palette);
    const Bytes planar = pcx(1, 16, 1, 2, {0xC2, 0xFF, 0xC6, 0x00}, palette);  // plane 0 only
    const std::tuple<SingleDecoder, Bytes, std::uint32_t> decoders[] = {
        {PCX4RLEbm, planar, 0xFC8000}, {AMIGFXbm, in_rom(planar, 0x00, 0xE9, 0x300), 0xFF8003},
        {PCX8RLEbm, eightBit, 0xFC8000}, {BIOGFXbm, eightBit, 0xFF8003},
        {SYSOFXbm, in_rom(eightBit, 0x10, 0x00, 0x300), 0xFF8003},
    };
    for (const auto& [decoder, file, rgb] : decoders)
        expect_pixels(decode_bytes_with(decoder, file, 16, 1), 16, {{0, 0, rgb}, {15, 0, rgb}});

    // Bytes per line below the width: the rest of the row stays black. A header larger than
    // the picture detection measured (row y: 63 copies of y, then y): drawn within it.
    expect_pixels(decode_bytes_with(BIOGFXbm, pcx(8, 10, 1, 4, {0xC4, 1}, palette), 10, 1), 10,
                  {{3, 0, 0xFF8003}, {4, 0, 0}, {9, 0, 0}});
    ByteBuilder rows;
    for (unsigned y = 0; y < 64; ++y)
        rows.u8(0xC0 | 63).u8(y).u8(y);
    Bytes large = decode_bytes_with(BIOGFXbm, pcx(8, 64, 64, 64, rows.data(), palette), 4, 2);
    expect_pixels(large, 4, {{3, 0, 0}, {3, 1, 0xFF8003}});
}

// Pictures written by netpbm and ImageMagick, in the files of every PCX-based format, through
// detection and the command's PNG file, against ImageMagick's reading of them.
TEST(PcxOracle, NetpbmAndImageMagickPictures)
{
    if (!have_program("convert") || !have_program("ppmtopcx"))
        GTEST_SKIP() << "convert or ppmtopcx missing";
    const std::tuple<unsigned, unsigned, unsigned, const char*> cases[] = {  // width, height, colours, writer
        {37, 23, 16, "ppmtopcx -planes=4"}, {1, 5, 2, "ppmtopcx -planes=4"}, {13, 7, 9, "ppmtopcx -planes=4"},
        {101, 11, 200, "ppmtopcx -8bit"},  // 102 bytes per line: the fill byte must not shift the next row
        {37, 23, 200, "convert ppm:- -type palette PCX:-"}, {3, 3, 5, "convert ppm:- -type palette PCX:-"},
    };
    for (const auto& [width, height, colours, writer] : cases) {
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        SCOPED_TRACE(std::string(writer) + " " + size);
        const std::string path = tool_file("convert -size " + size + " -seed 7 plasma: +dither -colors " +
                                           std::to_string(colours) + " -depth 8 ppm:- | " + writer + " > \"$OUT\"");
        Bytes plain = read_file(path), expected, shown;
        ASSERT_TRUE(convert_to_rgb(path, expected));
        const bool eightBit = plain.at(3) == 8;
        Bytes biostar = plain;
        biostar[2] = 0x00;  // BioStar files do not claim run-length encoding
        std::vector<std::pair<Bytes, unsigned>> variants = {{plain, FORMAT_PCX4},
                                                            {in_rom(plain, 0x00, 0xE9, 0x400), FORMAT_AMI_GFX_PCX}};
        if (eightBit)
            variants = {{plain, FORMAT_PCX8}, {biostar, FORMAT_BIOSTAR_PCX},
                        {in_rom(plain, 0x10, 0x00, 0x1234), FORMAT_SYSTEMSOFT_PCX}};
        for (const auto& [file, id] : variants) {
            SCOPED_TRACE(id);
            expect_detected({writer, file, id, width, height, eightBit ? 256u : 16u});
            ASSERT_TRUE(cli_png_rgb(write_temp_file(file, "variant.bin"), shown));
            // Plain files show their palette with two low bits cleared, the vendors' every bit.
            EXPECT_EQ(shown, id == FORMAT_PCX4 || id == FORMAT_PCX8 ? clear_low_bits(expected) : expected);
        }
    }
}
