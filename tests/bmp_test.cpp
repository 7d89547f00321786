// BMP decoders: bottom-up rows, row fill, 4-bit skip counts, palettes, trace lines, damaged
// headers, and pictures written by ImageMagick and netpbm.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/stream_io.h"
#include "pipeline/viewer_state.h"
#include "decode/decoders.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

// Colour table entry i is (red i, green 255 - i, blue i ^ 0x55), shown with two low bits cleared.
std::uint32_t entry_rgb(unsigned i)
{
    return (((i & 0xFC) << 16) | (((255 - i) & 0xFC) << 8) | ((i ^ 0x55) & 0xFC));
}

unsigned index_at(unsigned bits, std::uint32_t x, std::uint32_t y)
{
    return (x + 17 * y) % (1u << bits);
}

// A 4- or 8-bit BMP whose pixel (x, y) (y from the top) has index_at(bits, x, y); rows are
// stored bottom-up, each padded to a multiple of 4 bytes with fill pixels of index 0x0E.
Bytes bmp_file(std::uint32_t width, std::uint32_t height, unsigned bits)
{
    const unsigned entries = 1u << bits;
    ByteBuilder b;
    b.text("BM").u32(0).u32(0).u32(54 + 4 * entries);
    b.u32(40).u32(width).u32(height).u16(1).u16(bits).u32(0).u32(0).u32(2835).u32(2835).u32(0).u32(0);
    for (unsigned i = 0; i < entries; ++i)
        b.u8(i ^ 0x55).u8(255 - i).u8(i).u8(0);
    const std::uint32_t storedPixels = (width * bits + 31) / 32 * 32 / bits;
    auto pixel = [&](std::uint32_t x, std::uint32_t y) { return x < width ? index_at(bits, x, y) : 0x0E; };
    for (std::uint32_t y = height; y-- > 0;) {
        for (std::uint32_t x = 0; x < storedPixels; x += 8 / bits)
            b.u8(bits == 8 ? pixel(x, y) : pixel(x, y) << 4 | pixel(x + 1, y));
    }
    return b.data();
}

std::string bmp8i_output(const Bytes& file, std::uint16_t width, std::uint16_t height, bool verbose = true)
{
    std::string messages;
    decode_bytes_with(BMP8i, file, width, height, &messages, verbose);
    return messages;
}

TEST(BmpDecoders, RowsBottomUpSkipCountsAndTrace)
{
    const struct {
        unsigned bits;
        std::uint32_t width;
        unsigned slip;
    } cases[] = {{8, 30, 1}, {8, 1, 4}, {4, 36, 2}, {4, 28, 2}, {4, 32, 0}, {4, 30, 1}, {4, 33, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + "-bit, width " + std::to_string(c.width));
        const std::uint32_t height = 3, wr = (c.width + 3) / 4 * 4;
        Bytes file = bmp_file(c.width, height, c.bits);
        Bytes image = decode_bytes_with(BMP8i, file, wr, height);
        // QDI reads whole stored rows from its fixed offset and shows width pixels of each; its
        // offset field and signature are not used.
        Bytes qdiFile = file;
        qdiFile[0] = qdiFile[1] = 0;
        qdiFile[10] = 0x99;
        Bytes qdi = c.bits == 8 ? decode_bytes_with(QDIBMPbm, qdiFile, c.width, height) : Bytes();
        for (std::uint32_t y = 0; y < height; ++y) {
            for (std::uint32_t x = 0; x < wr; ++x) {
                const std::uint32_t rgb = x < c.width ? entry_rgb(index_at(c.bits, x, y)) : 0;  // fill columns black
                if (x < c.width || c.bits == 8) {
                    ASSERT_EQ(pixel_at(image, wr, x, y), rgb) << x << "," << y;
                }
                if (x < c.width && !qdi.empty()) {
                    ASSERT_EQ(pixel_at(qdi, c.width, x, y), rgb) << "QDI " << x << "," << y;
                }
            }
        }
        char expected[512];
        std::snprintf(expected, sizeof expected,
                      "===>>> BMP8i: Width = %X, bmp.Width = %X, (Slip=%X)\n===>>> BMP8i: DataOffset = %Xh\n"
                      "===>>> BMP8i: UsedColors = %u\n===>>> BMP8i: bmp.Bits = %u\n===>>> IMAGE: (%X px) x (3 px)\n",
                      wr, c.width, c.slip, 54 + (4u << c.bits), 1u << c.bits, c.bits, wr);
        EXPECT_EQ(bmp8i_output(file, wr, height), expected);
    }
    Bytes noOffset = bmp_file(30, 2, 8);  // pixel data said to start at 0: (0 - 54) / 4
    std::fill(noOffset.begin() + 10, noOffset.begin() + 14, 0);
    EXPECT_NE(bmp8i_output(noOffset, 32, 2).find("===>>> BMP8i: UsedColors = -13\n"), std::string::npos);
    EXPECT_EQ(bmp8i_output(bmp_file(30, 2, 8), 32, 2, false), "") << "trace lines only in verbose mode";
}

TEST(BmpDecoders, DamagedHeadersEndCleanly)
{
    auto with = [](Bytes file, std::size_t offset, std::uint32_t value) {
        return ByteBuilder().bytes(file).put_u32(offset, value).data();
    };
    const Bytes good8 = bmp_file(8, 4, 8), good4 = bmp_file(8, 4, 4);
    const struct {
        const char* what;
        Bytes file;
        std::uint16_t height;
        bool allBlack;
    } cases[] = {
        {"pixel offset past the end", with(good8, 10, 0x10000000), 4, true},
        {"pixel offset below 54", with(good4, 10, 20), 4, false},
        {"24 bits per pixel", with(good8, 28, 24), 4, false},
        {"1 bit per pixel", with(good4, 28, 1), 4, false},
        {"width far beyond the image", with(good8, 18, 0xFFFFFFF0), 4, false},
        {"width of 65534 rounding to 0", with(good4, 18, 65534), 4, false},
        {"more rows than stored", good8, 40, false},
        {"header only", Bytes(good8.begin(), good8.begin() + 40), 4, true},
    };
    for (const auto& c : cases) {
        for (SingleDecoder decoder : {BMP8i, QDIBMPbm}) {
            Bytes image = decode_bytes_with(decoder, c.file, 8, c.height);
            ASSERT_EQ(image.size(), 8u * c.height * 3) << c.what;
            if (c.allBlack && decoder == BMP8i) {
                EXPECT_EQ(image, Bytes(image.size(), 0)) << c.what;
            }
        }
    }
    // Rows the file does not hold stay black: the first stored row is the bottom one.
    Bytes tall = decode_bytes_with(BMP8i, good8, 8, 40);
    EXPECT_EQ(pixel_at(tall, 8, 1, 39), entry_rgb(index_at(8, 1, 3)));
    EXPECT_EQ(pixel_at(tall, 8, 1, 35), 0u);
}

// Pictures written by ImageMagick and netpbm, compared with ImageMagick's pixels (low bits cleared).
TEST(BmpOracle, ImageMagickAndNetpbmPictures)
{
    if (!have_program("convert") || !have_program("ppmtobmp"))
        GTEST_SKIP() << "convert or ppmtobmp missing";
    const struct {
        std::uint32_t width, height;
        unsigned bits;
        bool netpbm;
    } cases[] = {{37, 23, 4, false}, {36, 5, 4, false}, {30, 7, 4, false}, {1, 4, 4, false}, {37, 23, 8, false},
                 {40, 6, 8, false},  {30, 7, 8, false}, {1, 40, 8, false}, {21, 9, 4, true},  {21, 9, 8, true}};
    for (const auto& c : cases) {
        const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
        SCOPED_TRACE(size + " " + std::to_string(c.bits) + "-bit" + (c.netpbm ? " netpbm" : ""));
        const std::string path = test_temp_dir() + "/oracle.bmp";
        const std::string reduce = c.bits == 4 ? "-colors 16 " : "-colors 256 ";
        const std::string write = c.netpbm ? "ppm:- | ppmtobmp -bpp " + std::to_string(c.bits) + " > "
                                           : std::string("-type palette -compress None ") +
                                                 (c.bits == 4 ? "-depth 4 BMP3:" : "BMP3:");
        ASSERT_EQ(run_command("convert -size " + size + " -seed 11 plasma: +dither " + reduce + write + "'" + path +
                              "' 2>/dev/null"),
                  0);
        Bytes file = read_file(path), expected;
        ASSERT_EQ(file[28], c.bits);
        ASSERT_TRUE(convert_to_rgb(path, expected));
        expected = clear_low_bits(expected);
        const auto w = static_cast<std::uint16_t>(c.width), h = static_cast<std::uint16_t>(c.height);

        // As the unpacked Dell bitmap it is exactly as wide as the bitmap.
        EXPECT_EQ(decode_bytes_with(BMP8i, file, w, h), expected);

        // Detection makes it as wide as the stored rows; in the command's PNG file the fill
        // columns are black (8-bit) or palette entry 0 (4-bit): compare the bitmap's own.
        const std::uint32_t wr = (c.width + 3) / 4 * 4;
        expect_detected({"bmp", file, 32, wr, c.height, 1u << c.bits});
        Bytes shown, cropped;
        ASSERT_TRUE(cli_png_rgb(path, shown));
        for (std::uint32_t y = 0; y < c.height; ++y)
            cropped.insert(cropped.end(), shown.begin() + y * wr * 3, shown.begin() + (y * wr + c.width) * 3);
        EXPECT_EQ(cropped, expected);

        if (c.bits == 8 && rd_u32(file.data(), 10) == 54 + 1024) {
            file[0] = file[1] = 0;
            EXPECT_EQ(decode_bytes_with(QDIBMPbm, file, w, h), expected);
        }
    }
}

}  // namespace
