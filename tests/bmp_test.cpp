// BMP logos: detection of plain and QDI files, the 4-bit skip counts in the trace lines, and
// pictures written by ImageMagick and netpbm.
#include <gtest/gtest.h>

#include "core/stream_io.h"
#include "decode/decoders.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

// BMP headers of a width x 33 picture, padded to 2000 bytes; bfSize is the real size (a QDI
// file starting 00 00 00 would be an ASUS Dynamic LOGO (3)).
Bytes bmp(std::uint32_t width, unsigned bits, std::uint32_t pixelOffset, const char* signature = "BM")
{
    ByteBuilder b;
    b.text(signature).pad_to(2).u32(2000).u32(0).u32(pixelOffset).u32(40).u32(width).u32(33).u16(1).u16(bits);
    return b.pad_to(2000).data();
}

}  // namespace

TEST(BmpDetect, HandMadeHeaders)
{
    const DetectCase cases[] = {
        {"qdi bmp", bmp(100, 8, 0x436, ""), FORMAT_QDI_BMP, 100, 33, 256},
        {"bmp 4-bit", bmp(16, 4, 54 + 64), FORMAT_PLAIN_BMP, 16, 33, 16},
        {"bmp 24-bit", bmp(16, 24, 54), FORMAT_PLAIN_BMP, 16, 33, 0},
        {"bmp width 13", bmp(13, 8, 54 + 1024), FORMAT_PLAIN_BMP, 16, 33, 256},
        {"bmp width 0x1FFFD", bmp(0x1FFFD, 8, 54 + 1024), FORMAT_PLAIN_BMP, 0, 33, 256},
    };
    for (const DetectCase& c : cases)
        expect_detected(c);
}

// A 4-bit row of width w is w / 2 bytes and the skip count (Slip), the first fill byte
// holding the last pixel of an odd width: 36 and 28 skip 2, 33 skips 4.
TEST(BmpDecoders, TraceLinesAndSkipCounts)
{
    const std::array<unsigned, 4> cases[] = {  // bits, width, data offset, skip
        {8, 30, 54 + 1024, 1}, {4, 36, 54 + 64, 2}, {4, 28, 54 + 64, 2}, {4, 33, 54 + 64, 4}, {8, 30, 0, 1}};
    for (auto [bits, width, offset, slip] : cases) {
        const unsigned wr = (width + 3) / 4 * 4;
        char expected[512];
        std::snprintf(expected, sizeof expected,
                      "===>>> BMP8i: Width = %X, bmp.Width = %X, (Slip=%X)\n===>>> BMP8i: DataOffset = %Xh\n"
                      "===>>> BMP8i: UsedColors = %d\n===>>> BMP8i: bmp.Bits = %u\n===>>> IMAGE: (%X px) x (3 px)\n",
                      wr, width, slip, offset, (static_cast<int>(offset) - 54) / 4, bits, wr);
        std::string messages;
        decode_bytes_with(BMP8i, bmp(width, bits, offset), static_cast<std::uint16_t>(wr), 3, &messages, true);
        EXPECT_EQ(messages, expected);
    }
}

// Pictures of ImageMagick and netpbm against ImageMagick's reading, low bits cleared: as the
// unpacked Dell bitmap, as a plain BMP through detection and the command's PNG, as a QDI file.
TEST(BmpOracle, ImageMagickAndNetpbmPictures)
{
    if (!have_program("convert") || !have_program("ppmtobmp"))
        GTEST_SKIP() << "convert or ppmtobmp missing";
    const std::tuple<std::uint16_t, std::uint16_t, unsigned, const char*> cases[] = {  // width, height, bits, writer
        {37, 23, 4, "-depth 4 BMP3:"}, {36, 5, 4, "-depth 4 BMP3:"}, {30, 7, 4, "-depth 4 BMP3:"},
        {1, 4, 4, "-depth 4 BMP3:"},
        {37, 23, 8, "BMP3:"},          {30, 7, 8, "BMP3:"},          {1, 40, 8, "BMP3:"},
        {21, 9, 4, "ppm:- | ppmtobmp -bpp 4 > "}, {21, 9, 8, "ppm:- | ppmtobmp -bpp 8 > "}};
    for (const auto& [w, h, bits, writer] : cases) {
        const std::string size = std::to_string(w) + "x" + std::to_string(h);
        SCOPED_TRACE(size + " " + writer);
        const std::string colours = bits == 4 ? "16" : "256";
        const std::string path = tool_file("convert -size " + size + " -seed 11 plasma: +dither -colors " + colours +
                                           " -type palette -compress None " + writer + "\"$OUT\"");
        Bytes file = read_file(path), expected, shown, cropped;
        ASSERT_EQ(file.at(28), bits);
        ASSERT_TRUE(convert_to_rgb(path, expected));
        expected = clear_low_bits(expected);
        EXPECT_EQ(decode_bytes_with(BMP8i, file, w, h), expected);
        // Detection makes it as wide as the stored rows, whose fill columns the PNG shows too.
        const unsigned wr = (w + 3) / 4 * 4;
        expect_detected({"bmp", file, FORMAT_PLAIN_BMP, wr, h, 1u << bits});
        ASSERT_TRUE(cli_png_rgb(path, shown));
        for (unsigned y = 0; y < h; ++y)
            cropped.insert(cropped.end(), shown.begin() + y * wr * 3, shown.begin() + (y * wr + w) * 3);
        EXPECT_EQ(cropped, expected);
        if (bits == 8 && rd_u32(file.data(), 10) == 54 + 1024) {
            // Rows the file does not hold stay black: the first stored row is the bottom one.
            Bytes tall = decode_bytes_with(BMP8i, file, w, static_cast<std::uint16_t>(h + 2));
            EXPECT_EQ(Bytes(tall.begin() + 2 * w * 3, tall.end()), expected);
            EXPECT_EQ(Bytes(tall.begin(), tall.begin() + 2 * w * 3), Bytes(2 * w * 3, 0));
            file[0] = file[1] = 0;
            EXPECT_EQ(decode_bytes_with(QDIBMPbm, file, w, h), expected) << "QDI";
        }
    }
}
