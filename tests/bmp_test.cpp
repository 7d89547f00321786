// BMP decoders: bottom-up rows, row fill, 4-bit skip counts, palettes, trace lines, damaged
// headers, and pictures written by ImageMagick.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/stream_io.h"
#include "core/viewer_state.h"
#include "decode/decoders.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

constexpr std::uint32_t PIXEL_DATA_256 = 54 + 1024;

// A BMP header and colour table of the given number of entries: entry i is (red i,
// green 255 - i, blue i ^ 0x55), stored blue, green, red, reserved.
ByteBuilder bmp_header(std::uint32_t width, std::uint32_t height, unsigned bits, unsigned entries = 256)
{
    ByteBuilder b;
    b.text("BM").u32(0).u32(0).u32(54 + 4 * entries);
    b.u32(40).u32(width).u32(height).u16(1).u16(bits).u32(0).u32(0).u32(2835).u32(2835).u32(0).u32(0);
    for (unsigned i = 0; i < entries; ++i)
        b.u8(i ^ 0x55).u8(255 - i).u8(i).u8(0);
    return b;
}

std::uint32_t entry_rgb(unsigned i)
{
    return (((i & 0xFC) << 16) | (((255 - i) & 0xFC) << 8) | ((i ^ 0x55) & 0xFC));
}

// An 8-bit picture whose pixel (x, y) (y from the top) has index (x + 16 y) & 0xFF, rows
// stored bottom-up with fill bytes of 0xEE.
Bytes bmp8(std::uint32_t width, std::uint32_t height)
{
    ByteBuilder b = bmp_header(width, height, 8);
    std::uint32_t stored = (width + 3) / 4 * 4;
    for (std::uint32_t s = 0; s < height; ++s) {
        std::uint32_t y = height - 1 - s;
        for (std::uint32_t x = 0; x < stored; ++x)
            b.u8(x < width ? (x + 16 * y) & 0xFF : 0xEE);
    }
    return b.data();
}

// A 4-bit picture whose pixel (x, y) has index (x + y) & 0x0F, fill nibbles 0x0E.
Bytes bmp4(std::uint32_t width, std::uint32_t height)
{
    ByteBuilder b = bmp_header(width, height, 4, 16);
    std::uint32_t stored = ((width + 7) / 8) * 4;
    for (std::uint32_t s = 0; s < height; ++s) {
        std::uint32_t y = height - 1 - s;
        for (std::uint32_t i = 0; i < stored; ++i) {
            unsigned hi = 2 * i < width ? (2 * i + y) & 0x0F : 0x0E;
            unsigned lo = 2 * i + 1 < width ? (2 * i + 1 + y) & 0x0F : 0x0E;
            b.u8((hi << 4) | lo);
        }
    }
    return b.data();
}

std::uint32_t round4(std::uint32_t w)
{
    return (w + 3) / 4 * 4;
}

TEST(BmpDecoders, EightBitRowsBottomUpWithBlackFill)
{
    for (std::uint32_t width : {30u, 1u}) {
        const std::uint32_t height = 3, wr = round4(width);
        Bytes image = decode_bytes_with(BMP8i, bmp8(width, height), wr, height);
        for (std::uint32_t y = 0; y < height; ++y) {
            for (std::uint32_t x = 0; x < wr; ++x) {
                std::uint32_t expected = x < width ? entry_rgb((x + 16 * y) & 0xFF) : 0;
                ASSERT_EQ(pixel_at(image, wr, x, y), expected) << "width " << width << " at " << x << "," << y;
            }
        }
    }
}

TEST(BmpDecoders, QdiReadsFromItsFixedOffset)
{
    // 30 wide: 32 bytes per stored row, 30 pixels shown; the pixel-data offset field is not used.
    const std::uint32_t width = 30, height = 4;
    Bytes file = bmp8(width, height);
    file[0] = file[1] = 0;
    file[10] = 0x99;
    Bytes image = decode_bytes_with(QDIBMPbm, file, width, height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            ASSERT_EQ(pixel_at(image, width, x, y), entry_rgb((x + 16 * y) & 0xFF)) << x << "," << y;
}

TEST(BmpDecoders, PaletteValuesLoseTwoLowBits)
{
    // Entry 1 is (255, 128, 3).
    ByteBuilder b = bmp_header(4, 1, 8);
    b.put_u8(54 + 4, 3).put_u8(54 + 5, 128).put_u8(54 + 6, 255);
    b.u8(1).u8(1).u8(1).u8(1);
    Bytes file = b.data();
    EXPECT_EQ(pixel_at(decode_bytes_with(BMP8i, file, 4, 1), 4, 0, 0), 0xFC8000u);
    file[0] = file[1] = 0;
    EXPECT_EQ(pixel_at(decode_bytes_with(QDIBMPbm, file, 4, 1), 4, 3, 0), 0xFC8000u);
}

std::string bmp8i_trace(const Bytes& file, std::uint16_t width, std::uint16_t height)
{
    viewer_state().verbose = 1;
    testing::internal::CaptureStdout();
    decode_bytes_with(BMP8i, file, width, height);
    std::fflush(stdout);
    std::string text = testing::internal::GetCapturedStdout();
    viewer_state().verbose = 0;
    return text;
}

TEST(BmpDecoders, FourBitSkipCountsAndTrace)
{
    struct {
        std::uint32_t width;
        unsigned slip;
    } cases[] = {{36, 2}, {28, 2}, {32, 0}, {30, 1}, {33, 4}};
    for (auto c : cases) {
        const std::uint32_t height = 3, wr = round4(c.width);
        Bytes file = bmp4(c.width, height);
        Bytes image = decode_bytes_with(BMP8i, file, wr, height);
        for (std::uint32_t y = 0; y < height; ++y) {
            for (std::uint32_t x = 0; x < c.width; ++x)
                ASSERT_EQ(pixel_at(image, wr, x, y), entry_rgb((x + y) & 0x0F)) << c.width << ": " << x << "," << y;
        }
        char expected[512];
        std::snprintf(expected, sizeof expected,
                      "===>>> BMP8i: Width = %X, bmp.Width = %X, (Slip=%X)\n===>>> BMP8i: DataOffset = 76h\n"
                      "===>>> BMP8i: UsedColors = 16\n===>>> BMP8i: bmp.Bits = 4\n===>>> IMAGE: (%X px) x (3 px)\n",
                      wr, c.width, c.slip, wr);
        EXPECT_EQ(bmp8i_trace(file, wr, height), expected) << c.width;
    }
    EXPECT_EQ(bmp8i_trace(bmp8(30, 2), 32, 2),
              "===>>> BMP8i: Width = 20, bmp.Width = 1E, (Slip=1)\n===>>> BMP8i: DataOffset = 436h\n"
              "===>>> BMP8i: UsedColors = 256\n===>>> BMP8i: bmp.Bits = 8\n===>>> IMAGE: (20 px) x (2 px)\n");
    Bytes noOffset = bmp8(30, 2);  // pixel data said to start at 0: (0 - 54) / 4
    std::fill(noOffset.begin() + 10, noOffset.begin() + 14, 0);
    EXPECT_NE(bmp8i_trace(noOffset, 32, 2).find("===>>> BMP8i: UsedColors = -13\n"), std::string::npos);
    testing::internal::CaptureStdout();
    decode_bytes_with(BMP8i, bmp8(30, 2), 32, 2);
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "trace lines only in verbose mode";
}

TEST(BmpDecoders, DamagedHeadersEndCleanly)
{
    struct Case {
        const char* what;
        Bytes file;
        std::uint16_t width, height;
        bool allBlack;
    };
    auto with = [](Bytes file, std::size_t offset, std::uint32_t value) {
        ByteBuilder b;
        b.bytes(file).put_u32(offset, value);
        return b.data();
    };
    Bytes good8 = bmp8(8, 4);
    Bytes good4 = bmp4(8, 4);
    const Case cases[] = {
        {"pixel offset past the end", with(good8, 10, 0x10000000), 8, 4, true},
        {"pixel offset below 54", with(good4, 10, 20), 8, 4, false},
        {"24 bits per pixel", with(good8, 28, 24), 8, 4, false},
        {"1 bit per pixel", with(good4, 28, 1), 8, 4, false},
        {"width far beyond the image", with(good8, 18, 0xFFFFFFF0), 8, 4, false},
        {"width of 65534 rounding to 0", with(good4, 18, 65534), 8, 4, false},
        {"more rows than stored", good8, 8, 40, false},
        {"header only", Bytes(good8.begin(), good8.begin() + 40), 8, 4, true},
    };
    for (const Case& c : cases) {
        for (SingleDecoder decoder : {BMP8i, QDIBMPbm}) {
            Bytes image = decode_bytes_with(decoder, c.file, c.width, c.height);
            ASSERT_EQ(image.size(), static_cast<std::size_t>(c.width) * c.height * 3) << c.what;
            if (c.allBlack && decoder == BMP8i) {
                EXPECT_EQ(image, Bytes(image.size(), 0)) << c.what;
            }
        }
    }
    // Rows the file does not hold stay black: the first stored row is the bottom one.
    Bytes tall = decode_bytes_with(BMP8i, good8, 8, 40);
    EXPECT_EQ(pixel_at(tall, 8, 1, 39), entry_rgb(1 + 16 * 3));
    EXPECT_EQ(pixel_at(tall, 8, 1, 35), 0u);
}

// Pictures written by ImageMagick compared with ImageMagick's own pixels of the same file
// (two low bits cleared).
TEST(BmpOracle, ImageMagickPictures)
{
    if (!have_program("convert"))
        GTEST_SKIP() << "convert missing";
    struct Case {
        std::uint32_t width, height;
        unsigned bits;
    } cases[] = {{37, 23, 4}, {36, 5, 4}, {30, 7, 4}, {1, 4, 4}, {37, 23, 8}, {40, 6, 8}, {30, 7, 8}, {1, 40, 8}};
    for (const Case& c : cases) {
        const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
        SCOPED_TRACE(size + " " + std::to_string(c.bits) + "-bit");
        const std::string path = test_temp_dir() + "/oracle.bmp";
        const std::string reduce = c.bits == 4 ? "-colors 16 -depth 4" : "-colors 256";
        ASSERT_EQ(run_command("convert -size " + size + " -seed 11 plasma: +dither -type palette " + reduce +
                              " -compress None BMP3:'" + path + "' 2>/dev/null"),
                  0);
        Bytes file = read_file(path), expected;
        ASSERT_EQ(file[28], c.bits);
        ASSERT_TRUE(convert_to_rgb(path, expected));
        expected = clear_low_bits(expected);
        const auto w = static_cast<std::uint16_t>(c.width), h = static_cast<std::uint16_t>(c.height);

        // As the unpacked Dell bitmap it is exactly as wide as the bitmap.
        EXPECT_EQ(decode_file_with(BMP8i, path, w, h), expected);

        // Through detection and the command's PNG file it is as wide as the stored rows; the
        // fill columns are black (8-bit) or palette entry 0 (4-bit): compare the bitmap's own.
        Bytes shown, cropped;
        ASSERT_TRUE(cli_png_rgb(path, shown));
        const std::uint32_t wr = round4(c.width);
        for (std::uint32_t y = 0; y < c.height; ++y)
            cropped.insert(cropped.end(), shown.begin() + y * wr * 3, shown.begin() + (y * wr + c.width) * 3);
        EXPECT_EQ(cropped, expected);

        if (c.bits == 8 && rd_u32(file.data(), 10) == PIXEL_DATA_256) {
            file[0] = file[1] = 0;
            EXPECT_EQ(decode_bytes_with(QDIBMPbm, file, w, h), expected);
            // Byte 2 (the low byte of the file size) decides whether the QDI test sees it.
            if (file[2] != 0x00 && file[2] != 0x03 && file[2] != 0x04) {
                std::string qdi = write_temp_file(file, "qdi.bmp");
                EXPECT_EQ(detect_file(qdi).formatId, 4);
                ASSERT_TRUE(cli_png_rgb(qdi, shown));
                EXPECT_EQ(shown, expected);
            }
        }
    }
}

}  // namespace
