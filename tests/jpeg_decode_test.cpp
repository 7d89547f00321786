// JPEG logos decoded by libjpeg, against djpeg's output of the same files pixel for pixel:
// baseline, progressive, greyscale, Adobe CMYK and YCCK, cut short, and inside the SCN
// envelope; the canvas keeps the detected size; what libjpeg refuses shows the test pattern.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

#include "decode/decoders.h"
#include "decode/test_pattern.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

constexpr const char* NOTICE = "JPEG data could not be decoded: showing a test pattern\n";

// djpeg's pixels of a JPEG file as RGB (a greyscale PGM spread to three channels). djpeg
// ends with status 2 after warnings about corrupt data.
bool djpeg_rgb(const std::string& path, Bytes& rgb, unsigned& width, unsigned& height)
{
    std::string pnm;
    const int status = run_command("djpeg -pnm '" + path + "' 2>/dev/null", &pnm);
    if (status != 0 && status != 2)
        return false;
    char kind = 0;
    unsigned maxval = 0;
    int consumed = 0;
    if (std::sscanf(pnm.c_str(), "P%c %u %u %u%n", &kind, &width, &height, &maxval, &consumed) != 4)
        return false;
    const Bytes samples(pnm.begin() + consumed + 1, pnm.end());
    rgb.clear();
    for (std::uint8_t v : samples)
        rgb.insert(rgb.end(), kind == '5' ? 3 : 1, v);
    return rgb.size() == static_cast<std::size_t>(width) * height * 3;
}

// A width x height CMYK JPEG written by libjpeg with the CMYK (not YCCK) transform; libjpeg
// writes Adobe's marker and the values as given.
Bytes cmyk_jpeg(unsigned width, unsigned height)
{
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = width;
    c.image_height = height;
    c.input_components = 4;
    c.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_colorspace(&c, JCS_CMYK);
    jpeg_start_compress(&c, TRUE);
    Bytes row(width * 4);
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width * 4; ++x)
            row[x] = static_cast<std::uint8_t>(x * 29 + y * 53);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes file(out, out + size);
    std::free(out);  // allocated by libjpeg's memory destination
    return file;
}

TEST(JpegDecode, MatchesDjpegPixelForPixel)
{
    if (!have_program("djpeg"))
        GTEST_SKIP() << "djpeg missing";
    const std::string data = test_data_dir() + "/jpeg/";
    const std::string cmyk = write_temp_file(cmyk_jpeg(21, 11), "cmyk.jpg");
    const struct {
        std::string logo, jpeg;  // the logo file, and the JPEG djpeg reads for it
    } cases[] = {
        {data + "magick.jpg", data + "magick.jpg"},
        {data + "scn-envelope.bin", data + "magick.jpg"},
        {data + "cjpeg-progressive.jpg", data + "cjpeg-progressive.jpg"},
        {data + "cjpeg-progressive-cut.jpg", data + "cjpeg-progressive-cut.jpg"},
        {data + "cjpeg-grey.jpg", data + "cjpeg-grey.jpg"},
        {data + "cjpeg-grey-cut.jpg", data + "cjpeg-grey-cut.jpg"},
        {data + "magick-cmyk.jpg", data + "magick-cmyk.jpg"},  // YCCK
        {data + "magick-cmyk-cut.jpg", data + "magick-cmyk-cut.jpg"},
        {cmyk, cmyk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.logo);
        Bytes expected;
        unsigned width = 0, height = 0;
        ASSERT_TRUE(djpeg_rgb(c.jpeg, expected, width, height));
        LoadResult r = load_file(c.logo);
        ASSERT_EQ(r.loaded, 1);
        EXPECT_EQ(r.descriptor.width, width);
        EXPECT_EQ(r.descriptor.height, height);
        EXPECT_EQ(r.image, expected);
        EXPECT_EQ(r.stdoutText.find(NOTICE), std::string::npos);
    }
}

// The detected size is the canvas: a larger one leaves its far columns and rows black, a
// smaller one cuts the picture.
TEST(JpegDecode, CanvasKeepsItsSize)
{
    const Bytes file = read_file(test_data_dir() + "/jpeg/magick.jpg");  // 37 x 23
    const Bytes whole = decode_bytes_with(decode_JPEG, file, 37, 23);
    const Bytes large = decode_bytes_with(decode_JPEG, file, 40, 30);
    const Bytes small = decode_bytes_with(decode_JPEG, file, 20, 10);
    for (unsigned y = 0; y < 30; ++y) {
        for (unsigned x = 0; x < 40; ++x) {
            const std::uint32_t inside = x < 37 && y < 23 ? pixel_at(whole, 37, x, y) : 0;
            ASSERT_EQ(pixel_at(large, 40, x, y), inside) << x << "," << y;
            if (x < 20 && y < 10) {
                ASSERT_EQ(pixel_at(small, 20, x, y), inside) << x << "," << y;
            }
        }
    }
}

// What libjpeg refuses before a row, or a frame beyond the picture limits, shows the test
// pattern over the detected size, and the load says so.
TEST(JpegDecode, RefusedJpegShowsTheTestPatternWithANotice)
{
    auto frame = [](unsigned precision, unsigned width, unsigned height) {
        ByteBuilder b;
        b.u8(0xFF).u8(0xD8).u8(0xFF).u8(0xC0).u16be(11).u8(precision).u16be(height).u16be(width);
        b.u8(1).u8(1).u8(0x11).u8(0).u8(0xFF).u8(0xD9);
        return b.data();
    };
    const struct {
        const char* what;
        Bytes file;
    } cases[] = {
        {"12-bit samples", read_file(test_data_dir() + "/jpeg/precision-12.jpg")},
        {"wider than the limits", frame(8, 8193, 9)},
        {"no scan", frame(8, 13, 9)},
        {"header only", {0xFF, 0xD8, 0x12}},
    };
    Bytes pattern(13 * 9 * 3);
    draw_test_pattern(pattern.data(), 13, 9);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string messages;
        EXPECT_EQ(decode_bytes_with(decode_JPEG, c.file, 13, 9, &messages), pattern);
        EXPECT_EQ(messages, NOTICE);
    }
    LoadResult r = load_file(test_data_dir() + "/jpeg/precision-12.jpg");
    EXPECT_EQ(r.image, pattern);
    EXPECT_NE(r.stdoutText.find(NOTICE), std::string::npos);
}

}  // namespace
