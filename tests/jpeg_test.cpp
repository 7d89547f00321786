// JPEG logos: the marker walk that sizes them, the unknown result of a broken walk, and the
// test pattern drawn in their place.
#include <gtest/gtest.h>

#include "decode/decoders.h"
#include "decode/standard_colors.h"
#include "detect/jpeg_marker_walk.h"
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
    ByteBuilder b;
    b.u8(8).u16be(height).u16be(width).u8(1).u8(1).u8(0x11).u8(0);
    return b.data();
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
        LogoDescriptor d = detect_bytes(b.data());
        EXPECT_EQ(d.formatId, 24) << std::hex << marker;
        EXPECT_EQ(d.width, 0x0456) << std::hex << marker;
        EXPECT_EQ(d.height, 0x0123) << std::hex << marker;
        EXPECT_EQ(d.dataSize, b.size());
        EXPECT_EQ(d.frameCount, 0);
        EXPECT_EQ(d.colorCount, 256);
    }
}

TEST(JpegProbe, BrokenWalksGiveTheUnknownResult)
{
    struct Case {
        const char* what;
        Bytes file;
    };
    auto build = [](auto&& extend) {
        ByteBuilder b = jpeg_start();
        extend(b);
        return b.data();
    };
    const Case cases[] = {
        {"no FF where a marker starts", build([](ByteBuilder& b) { b.u8(0x00).u8(0xC0); })},
        {"segment length 0", build([](ByteBuilder& b) { b.u8(0xFF).u8(0xE1).u16be(0).fill(64, 0xFF); })},
        {"segment length 1", build([](ByteBuilder& b) { b.u8(0xFF).u8(0xE1).u16be(1).fill(64, 0xFF); })},
        {"length past the end", build([](ByteBuilder& b) { b.u8(0xFF).u8(0xE1).u16be(0x4000).fill(16); })},
        {"stream ends before a frame header", build([](ByteBuilder&) {})},
        {"frame header cut short", build([](ByteBuilder& b) { b.u8(0xFF).u8(0xC0).u16be(17).u8(8).u8(0); })},
        {"endless fill bytes", build([](ByteBuilder& b) { b.fill(70000, 0xFF); })},
        {"just FF D8", {0xFF, 0xD8}},
    };
    for (const Case& c : cases) {
        // Bytes 0-1 FF D8 would also suit a later probe's size rule; detection ends here.
        LogoDescriptor d = detect_bytes(c.file);
        EXPECT_EQ(d.formatId, 0) << c.what;
        EXPECT_EQ(d.width | d.height | d.frameCount | d.colorCount, 0) << c.what;
        EXPECT_EQ(d.dataSize, 0u) << c.what;
    }
}

TEST(JpegProbe, WalkFromAnOffset)
{
    // The walk is shared with the SCN envelope, which starts it inside a file.
    ByteBuilder b;
    b.text("SCN-prefix").u8(0xFF).u8(0xD8);
    segment(b, 0xDB, {1, 2, 3});
    segment(b, 0xC2, frame_contents(640, 480));
    std::string path = write_temp_file(b.data(), "walk.bin");
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::uint16_t width = 1, height = 1;
    EXPECT_TRUE(jpeg_frame_size(f, 12, width, height));
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    width = height = 1;
    EXPECT_FALSE(jpeg_frame_size(f, 11, width, height));
    EXPECT_EQ(width, 1) << "a failed walk leaves the size alone";
    std::fclose(f);
}

std::uint32_t standard_rgb(unsigned n)
{
    std::uint8_t rgb[3];
    standard_color_rgb(n, rgb);
    return (rgb[0] << 16) | (rgb[1] << 8) | rgb[2];
}

TEST(JpegDecoder, TestPattern)
{
    const std::uint16_t W = 40, H = 24;
    Bytes image = decode_bytes_with(decode_JPEG, {0xFF, 0xD8, 0x12}, W, H);
    EXPECT_EQ(pixel_at(image, W, 39, 0), 0u) << "row 0 is colour 0";
    const unsigned row3[] = {0, 1, 2, 3, 0};
    for (unsigned x = 0; x < 5; ++x)
        EXPECT_EQ(pixel_at(image, W, x, 3), standard_rgb(row3[x]));
    // From row 16 down the value can pass 15; it wraps round the 16-colour table.
    EXPECT_EQ(pixel_at(image, W, 17, 20), standard_rgb(1));
    EXPECT_EQ(pixel_at(image, W, 39, 23), standard_rgb(15));
}

TEST(JpegOracle, RealJpegFilesAreSizedAndShowThePattern)
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
        EXPECT_EQ(shown, decode_file_with(decode_JPEG, out, d.width, d.height)) << command;
    }
}

}  // namespace
