// JPEG logos: the marker walk that sizes them, the unknown result of a broken walk, and the
// test pattern drawn for data libjpeg refuses. The walk from inside a file is tested with the
// SCN envelope; the decoded pixels in jpeg_decode_test.cpp.
#include <gtest/gtest.h>

#include "decode/decoders.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

// A segment: marker, big-endian length counting itself, then the contents.
ByteBuilder& segment(ByteBuilder& b, unsigned marker, const Bytes& contents)
{
    b.u8(0xFF).u8(marker).u16be(static_cast<unsigned>(contents.size() + 2));
    return b.bytes(contents);
}

// A frame header of a width x height 8-bit picture with one component.
Bytes frame_contents(unsigned width, unsigned height)
{
    return ByteBuilder().u8(8).u16be(height).u16be(width).u8(1).u8(1).u8(0x11).u8(0).data();
}

ByteBuilder jpeg_start()
{
    ByteBuilder b;
    b.u8(0xFF).u8(0xD8);
    segment(b, 0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    return b;
}

TEST(JpegProbe, SizedFromTheFirstFrameHeader)
{
    // Every frame-header marker sizes the picture; C4, C8 and CC are skipped like any segment.
    for (unsigned marker : {0xC0, 0xC1, 0xC2, 0xC3, 0xC5, 0xC6, 0xC7, 0xC9, 0xCA, 0xCB, 0xCD, 0xCE, 0xCF}) {
        ByteBuilder b = jpeg_start();
        segment(b, 0xC4, {0, 1, 2, 3});
        segment(b, 0xC8, {9});
        segment(b, 0xCC, {});
        segment(b, 0xDB, Bytes(65, 1));
        b.fill(5, 0xFF);  // fill bytes before a marker
        segment(b, marker, frame_contents(0x0456, 0x0123));
        segment(b, 0xC0, frame_contents(7, 7));  // a later frame header does not count
        b.u8(0xFF).u8(0xD9);
        SCOPED_TRACE(marker);
        expect_detected({"jpeg", b.data(), 24, 0x0456, 0x0123, 256});
    }
}

TEST(JpegProbe, BrokenWalksGiveTheUnknownResult)
{
    auto after_start = [](const Bytes& tail) { return jpeg_start().bytes(tail).data(); };
    const struct {
        const char* what;
        Bytes file;
    } cases[] = {
        {"no FF where a marker starts", after_start({0x00, 0xC0})},
        {"segment length 0", after_start(ByteBuilder().u8(0xFF).u8(0xE1).u16be(0).fill(64, 0xFF).data())},
        {"segment length 1", after_start(ByteBuilder().u8(0xFF).u8(0xE1).u16be(1).fill(64, 0xFF).data())},
        {"length past the end", after_start(ByteBuilder().u8(0xFF).u8(0xE1).u16be(0x4000).fill(16).data())},
        {"stream ends before a frame header", after_start({})},
        {"frame header cut short", after_start({0xFF, 0xC0, 0x00, 17, 8, 0})},
        {"endless fill bytes", after_start(Bytes(70000, 0xFF))},
        {"just FF D8", {0xFF, 0xD8}},
    };
    // Bytes 0-1 FF D8 would also suit a later probe's size rule; detection ends here.
    for (const auto& c : cases)
        expect_detected({c.what, c.file, 0, 0, 0, 0});
}

TEST(JpegDecoder, TestPattern)
{
    const std::uint16_t W = 40, H = 24;
    Bytes image = decode_bytes_with(decode_JPEG, {0xFF, 0xD8, 0x12}, W, H);
    EXPECT_EQ(pixel_at(image, W, 39, 0), 0u) << "row 0 is colour 0";
    const std::uint32_t row3[] = {0x000000, 0x0000A8, 0x00A800, 0x00A8A8, 0x000000};  // colours 0, 1, 2, 3, 0
    for (unsigned x = 0; x < 5; ++x)
        EXPECT_EQ(pixel_at(image, W, x, 3), row3[x]) << x;
    // From row 16 down the value can pass 15; it wraps round the 16-colour table.
    EXPECT_EQ(pixel_at(image, W, 17, 20), 0x0000A8u);  // colour 1
    EXPECT_EQ(pixel_at(image, W, 39, 23), 0xFCFCFCu);  // colour 15
}

TEST(JpegOracle, RealJpegFilesAreSizedAndShownAsDecoded)
{
    if (!have_program("convert"))
        GTEST_SKIP() << "convert missing";
    std::vector<std::string> commands = {
        "convert -size 37x23 -seed 3 plasma: -quality 80 JPEG:'{out}'",
        "convert -size 64x9 gradient:red-blue -interlace Plane JPEG:'{out}'",
    };
    if (have_program("cjpeg"))
        commands.push_back("convert -size 53x31 -seed 5 plasma: ppm:- | cjpeg -progressive > '{out}'");
    for (std::string command : commands) {
        std::string out = test_temp_dir() + "/oracle.jpg";
        command.replace(command.find("{out}"), 5, out);
        ASSERT_EQ(run_command(command + " 2>/dev/null"), 0) << command;
        std::string size;
        ASSERT_EQ(run_command("identify -format '%wx%h' '" + out + "'", &size), 0);
        LogoDescriptor d = detect_file(out);
        EXPECT_EQ(d.formatId, 24) << command;
        EXPECT_EQ(std::to_string(d.width) + "x" + std::to_string(d.height), size) << command;

        Bytes shown;
        ASSERT_TRUE(cli_png_rgb(out, shown)) << command;
        EXPECT_EQ(shown, decode_bytes_with(decode_JPEG, read_file(out), d.width, d.height)) << command;
    }
}

}  // namespace
