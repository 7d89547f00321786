// PCX decoders: run-length scanlines, 4-plane and 8-bit rows, palettes, ROM header search,
// damaged files, and pictures made by netpbm and ImageMagick.
#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

#include "core/stream_io.h"
#include "decode/decoders.h"
#include "decode/pcx_scanline.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

// A PCX header for a width x height picture with the given bits per pixel, bytes per line
// and 16-colour header palette (R, G, B bytes); the run-length data follows.
ByteBuilder pcx_header(unsigned bitsPerPixel, unsigned width, unsigned height, unsigned bytesPerLine,
                       const Bytes& palette16 = {})
{
    ByteBuilder b;
    b.u8(0x0A).u8(0x05).u8(0x01).u8(bitsPerPixel);
    b.u16(0).u16(0).u16(width - 1).u16(height - 1).u16(72).u16(72);  // xmin, ymin, xmax, ymax, dpi
    b.bytes(palette16).pad_to(65).u8(bitsPerPixel == 8 ? 1 : 4).u16(bytesPerLine);
    return b.pad_to(128);
}

// The 256-colour trailer of an 8-bit PCX: marker byte 0x0C, then the palette (R, G, B bytes).
ByteBuilder& add_trailer(ByteBuilder& b, const Bytes& palette)
{
    return b.u8(0x0C).bytes(palette).fill(3 * 256 - palette.size());
}

// An option-ROM image: its signature, filler, and the PCX file at offset.
Bytes in_rom(const Bytes& pcx, std::uint8_t thirdByte, std::uint8_t fourthByte, std::size_t offset)
{
    return ByteBuilder().u8(0x55).u8(0xAA).u8(thirdByte).u8(fourthByte).pad_to(offset, 0x90).bytes(pcx).data();
}

TEST(PcxScanline, CodesRunsAndLineEnds)
{
    const struct {
        const char* what;
        Bytes packed;
        std::size_t lineLength;
        Bytes expected;
        std::uint64_t consumed;
    } cases[] = {
        {"run of three", {0xC3, 0x05}, 3, {5, 5, 5}, 2},
        {"literal", {0x3F}, 1, {0x3F}, 1},
        {"high value as run of one", {0xC1, 0xC8}, 1, {0xC8}, 2},
        {"run of zero writes nothing", {0xC0, 0x07, 0x09}, 1, {0x09}, 3},
        {"run cut at the line end", {0xC5, 0x07, 0x01}, 3, {7, 7, 7}, 2},
        {"stream ends inside the line", {0xC4, 0xAA}, 6, {0xAA, 0xAA, 0xAA, 0xAA, 0, 0}, 2},
        {"count byte as the last byte", {0x01, 0xC3}, 4, {1, 0, 0, 0}, 2},
    };
    for (const auto& c : cases) {
        std::FILE* f = std::fopen(write_temp_file(c.packed, "scanline.bin").c_str(), "rb");
        ASSERT_NE(f, nullptr);
        Bytes line(c.lineLength, 0xEE);
        {
            ByteReader in(f, 0);
            unpack_pcx_scanline(in, line.data(), line.size());
            EXPECT_EQ(std::min<std::uint64_t>(in.tell(), c.packed.size()), c.consumed) << c.what;
        }
        std::fclose(f);
        EXPECT_EQ(line, c.expected) << c.what;
    }
}

TEST(PcxDecoders, EightBitRowsStartAtTheirOwnScanline)
{
    // 101 pixels, 102 bytes per line: the fill byte must not shift the next row.
    const unsigned W = 101, H = 5;
    ByteBuilder palette, b = pcx_header(8, W, H, W + 1);
    for (unsigned i = 0; i < 256; ++i)
        palette.u8(i).u8(255 - i).u8(0x55);
    auto index = [](unsigned x, unsigned y) { return (x * 3 + y * 7) & 0xFF; };
    for (unsigned y = 0; y < H; ++y) {
        for (unsigned x = 0; x < W; ++x)
            b.u8(0xC1).u8(index(x, y));  // every value as a run of one
        b.u8(0xC1).u8(0xEE);               // fill byte
    }
    Bytes image = decode_bytes_with(BIOGFXbm, add_trailer(b, palette.data()).data(), W, H);
    for (unsigned y = 0; y < H; ++y)
        for (unsigned x = 0; x < W; ++x)
            ASSERT_EQ(pixel_at(image, W, x, y), index(x, y) << 16 | (255 - index(x, y)) << 8 | 0x55) << x << "," << y;
}

TEST(PcxDecoders, PaletteValuesPerDecoder)
{
    // 16 x 1 pictures of colour index 1, entry 1 being (255, 128, 3).
    const Bytes palette = {0, 0, 0, 255, 128, 3};
    ByteBuilder eight = pcx_header(8, 16, 1, 16).u8(0xC0 | 16).u8(1);
    const Bytes eightBit = add_trailer(eight, palette).data();
    const Bytes planar = pcx_header(1, 16, 1, 2, palette).u8(0xC2).u8(0xFF).u8(0xC6).u8(0x00).data();  // plane 0 only
    const std::tuple<const char*, SingleDecoder, Bytes, std::uint32_t> cases[] = {
        {"PCX4RLEbm", PCX4RLEbm, planar, 0xFC8000},
        {"AMIGFXbm", AMIGFXbm, in_rom(planar, 0x00, 0xE9, 0x300), 0xFF8003},
        {"PCX8RLEbm", PCX8RLEbm, eightBit, 0xFC8000},
        {"BIOGFXbm", BIOGFXbm, eightBit, 0xFF8003},
        {"SYSOFXbm", SYSOFXbm, in_rom(eightBit, 0x10, 0x00, 0x300), 0xFF8003},
    };
    for (const auto& [name, decoder, file, rgb] : cases) {
        SCOPED_TRACE(name);
        expect_pixels(decode_bytes_with(decoder, file, 16, 1), 16, {{0, 0, rgb}, {15, 0, rgb}});
    }
}

TEST(PcxDecoders, DamagedFilesEndCleanly)
{
    const Bytes palette = {0, 0, 0, 200, 100, 52};
    constexpr std::uint32_t DRAWN = 0xC86434;  // index 1 through the decoders that keep every bit
    auto eight = [&](unsigned w, unsigned h, unsigned bpl, const Bytes& data, bool trailer = true) {
        ByteBuilder b = pcx_header(8, w, h, bpl).bytes(data);
        return (trailer ? add_trailer(b, palette) : b).data();
    };
    auto planar = [&](unsigned w, unsigned h, unsigned bpl, const Bytes& data) {
        return pcx_header(1, w, h, bpl, palette).bytes(data).data();
    };
    ByteBuilder reversed = pcx_header(8, 8, 2, 8).put_u16(4, 20).put_u16(8, 10).u8(0xC8).u8(1).u8(0xC8).u8(1);
    add_trailer(reversed, palette);  // xmin 20 > xmax 10
    ByteBuilder rows64;  // row y: 63 copies of y, then y once
    for (unsigned y = 0; y < 64; ++y)
        rows64.u8(0xC0 | 63).u8(y).u8(y);

    const struct {
        const char* what;
        Bytes file;
        std::uint16_t width, height;
        std::vector<std::pair<unsigned, unsigned>> black, drawn;  // pixels that stay black / show index 1
    } cases[] = {
        {"bytes per line below the width", eight(10, 1, 4, {0xC4, 1}), 10, 1, {{4, 0}, {9, 0}}, {{0, 0}, {3, 0}}},
        {"bytes per line zero", eight(8, 2, 0, {0xC8, 1, 0xC8, 1}), 8, 2, {{0, 0}, {7, 1}}, {}},
        {"odd bytes per line", planar(9, 2, 3, {0xC3, 0xFF, 0xC9, 0, 0xC3, 0xFF, 0xC9, 0}), 9, 2, {}, {{8, 1}}},
        {"xmax below xmin", reversed.data(), 8, 2, {}, {{7, 0}, {7, 1}}},
        {"run crossing the row end", eight(4, 2, 4, {0xC6, 1, 0, 0, 0, 0}), 4, 2, {{0, 1}, {3, 1}}, {{3, 0}}},
        {"file ends after one row", eight(4, 3, 4, {0xC4, 1}, false), 4, 3, {{0, 1}, {0, 2}}, {}},
        {"count byte as the last byte", eight(4, 2, 4, {0xC4, 1, 0xC2}, false), 4, 2, {}, {}},
        // Detection measured another header than the decoder reads.
        {"header larger than the image", eight(64, 64, 64, rows64.data()), 4, 2, {{3, 0}}, {{3, 1}}},
        // No 0A 05 pair in the AMI window: decoded from offset 0 with whatever W, H and B stand there.
        {"no header in the AMI window", in_rom(eight(64, 64, 64, rows64.data()), 0x00, 0xE9, 5000), 8, 8, {}, {}},
    };
    for (const auto& c : cases) {
        for (SingleDecoder decoder : {PCX4RLEbm, PCX8RLEbm, BIOGFXbm, AMIGFXbm, SYSOFXbm}) {
            Bytes image = decode_bytes_with(decoder, c.file, c.width, c.height);
            ASSERT_EQ(image.size(), static_cast<std::size_t>(c.width) * c.height * 3) << c.what;
        }
        Bytes image = decode_bytes_with(c.file[3] == 8 ? BIOGFXbm : AMIGFXbm, c.file, c.width, c.height);
        for (auto [x, y] : c.black)
            EXPECT_EQ(pixel_at(image, c.width, x, y), 0u) << c.what << " at " << x << "," << y;
        for (auto [x, y] : c.drawn)
            EXPECT_EQ(pixel_at(image, c.width, x, y), DRAWN) << c.what << " at " << x << "," << y;
    }
}

// Pictures written by netpbm and ImageMagick, in the files of every PCX-based format, through detection
// and the command's PNG file, compared with ImageMagick's pixels; 13 x 7 and 1 x 5 have fill bits.
TEST(PcxOracle, NetpbmAndImageMagickPictures)
{
    if (!have_program("convert") || !have_program("ppmtopcx"))
        GTEST_SKIP() << "convert or ppmtopcx missing";
    const struct {
        unsigned width, height, colors;
        const char* command;  // writes the PCX file from the PPM file $SRC
    } cases[] = {
        {37, 23, 16, "ppmtopcx -planes=4 \"$SRC\""}, {1, 5, 2, "ppmtopcx -planes=4 \"$SRC\""},
        {13, 7, 9, "ppmtopcx -planes=4 \"$SRC\""},   {101, 11, 200, "ppmtopcx -8bit \"$SRC\""},
        {37, 23, 200, "convert \"$SRC\" -type palette PCX:-"}, {3, 3, 5, "convert \"$SRC\" -type palette PCX:-"},
    };
    for (const auto& c : cases) {
        const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
        SCOPED_TRACE(std::string(c.command) + " " + size);
        const std::string src = test_temp_dir() + "/src.ppm", out = test_temp_dir() + "/oracle.pcx";
        ASSERT_EQ(run_command("SRC='" + src + "'; convert -size " + size + " -seed 7 plasma: +dither -colors " +
                              std::to_string(c.colors) + " -depth 8 ppm:\"$SRC\" && " + c.command + " > '" + out +
                              "' 2>/dev/null"),
                  0);
        Bytes pcx = read_file(out), expected;
        ASSERT_TRUE(convert_to_rgb(out, expected));
        ASSERT_EQ(expected.size(), static_cast<std::size_t>(c.width) * c.height * 3);
        // Plain files show their palette with two low bits cleared, the vendors' files every bit.
        const bool eightBit = pcx[3] == 8;
        Bytes biostar = pcx;
        biostar[2] = 0x00;  // BioStar files do not claim run-length encoding
        std::vector<std::pair<Bytes, unsigned>> variants = {{pcx, 25}, {in_rom(pcx, 0x00, 0xE9, 0x400), 16}};
        if (eightBit)
            variants = {{pcx, 27}, {biostar, 5}, {in_rom(pcx, 0x10, 0x00, 0x1234), 20}};
        for (const auto& [file, id] : variants) {
            SCOPED_TRACE(id);
            expect_detected({c.command, file, id, c.width, c.height, eightBit ? 256u : 16u});
            Bytes shown;
            ASSERT_TRUE(cli_png_rgb(write_temp_file(file, "variant.bin"), shown));
            EXPECT_EQ(shown, id == 25 || id == 27 ? clear_low_bits(expected) : expected);
        }
    }
}

}  // namespace
