// JPEG logos: the marker walk that sizes them, the unknown result of a broken walk, and the
// test pattern drawn for data libjpeg refuses. The walk from inside a file is tested with the
// SCN envelope; the decoded pixels in jpeg_decode_test.cpp.
#include <gtest/gtest.h>

#include "decode/decoders.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

// Start of image and a JFIF segment, then the rest.
Bytes jpeg(const Bytes& rest)
{
    return ByteBuilder().u8(0xFF).u8(0xD8).u8(0xFF).u8(0xE0).u16be(16).text("JFIF").fill(10).bytes(rest).data();
}

}  // namespace

TEST(JpegProbe, SizedFromTheFirstFrameHeaderOrUnknown)
{
    // Every frame-header marker sizes the picture; C4, C8 and CC (and fill bytes FF before a
    // marker) are skipped like any segment, and a later frame header does not count.
    for (unsigned marker : {0xC0, 0xC1, 0xC2, 0xC3, 0xC5, 0xC6, 0xC7, 0xC9, 0xCA, 0xCB, 0xCD, 0xCE, 0xCF}) {
        ByteBuilder b;
        b.u8(0xFF).u8(0xC4).u16be(6).fill(4).u8(0xFF).u8(0xC8).u16be(3).u8(9).u8(0xFF).u8(0xCC).u16be(2).fill(5, 0xFF);
        b.u8(marker).u16be(11).u8(8).u16be(0x0123).u16be(0x0456).fill(4);
        b.u8(0xFF).u8(0xC0).u16be(11).u8(8).u16be(7).u16be(7).fill(4).u8(0xFF).u8(0xD9);
        expect_detected({"jpeg", jpeg(b.data()), FORMAT_JPEG, 0x0456, 0x0123, 256});
    }
    // A broken walk ends detection with the unknown result, although FF D8 would suit a later probe.
    const std::pair<const char*, Bytes> broken[] = {
        {"no FF where a marker starts", jpeg({0x00, 0xC0})},
        {"length past the end", jpeg(ByteBuilder().u8(0xFF).u8(0xE1).u16be(0x4000).fill(16).data())},
        {"stream ends before a frame header", jpeg({})},
        {"endless fill bytes", jpeg(Bytes(70000, 0xFF))},
    };
    for (const auto& [what, file] : broken)
        expect_detected({what, file, 0, 0, 0, 0});
}

TEST(JpegDecoder, TestPattern)
{
    Bytes image = decode_bytes_with(decode_JPEG, {0xFF, 0xD8, 0x12}, 40, 24);
    EXPECT_EQ(pixel_at(image, 40, 39, 0), 0u) << "row 0 is colour 0";
    for (unsigned x = 0; x < 5; ++x)  // row 3: colours 0, 1, 2, 3, 0
        EXPECT_EQ(pixel_at(image, 40, x, 3), standard_rgb(x % 4)) << x;
    // From row 16 down the value can pass 15; it wraps round the 16-colour table.
    expect_pixels(image, 40, {{17, 20, standard_rgb(1)}, {39, 23, standard_rgb(15)}});
}

// JPEG files of ImageMagick and cjpeg are sized as identify sizes them and shown as decoded.
TEST(JpegOracle, RealJpegFilesAreSizedAndShownAsDecoded)
{
    if (!have_program("convert") || !have_program("cjpeg"))
        GTEST_SKIP() << "convert or cjpeg missing";
    for (const char* command : {"convert -size 37x23 -seed 3 plasma: -quality 80 JPEG:\"$OUT\"",
                                "convert -size 53x31 -seed 5 plasma: ppm:- | cjpeg -progressive > \"$OUT\""}) {
        const std::string path = tool_file(command);
        std::string size;
        ASSERT_EQ(run_command("identify -format '%wx%h' '" + path + "'", &size), 0);
        LogoDescriptor d = detect_file(path);
        EXPECT_EQ(d.formatId, FORMAT_JPEG);
        EXPECT_EQ(std::to_string(d.width) + "x" + std::to_string(d.height), size) << command;
        Bytes shown;
        ASSERT_TRUE(cli_png_rgb(path, shown));
        EXPECT_EQ(shown, decode_bytes_with(decode_JPEG, read_file(path), d.width, d.height)) << command;
    }
}
