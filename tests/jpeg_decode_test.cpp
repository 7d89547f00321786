// JPEG logos decoded by libjpeg, against djpeg's output of the same files pixel for pixel:
// baseline, progressive, greyscale, Adobe CMYK (as YCCK), cut short, and inside the SCN
// envelope; the canvas keeps the detected size; what libjpeg refuses shows the test pattern.
#include <gtest/gtest.h>

#include "decode/decoders.h"
#include "decode/test_pattern.h"
#include "support/fixtures.h"
#include "support/image_oracle.h"

namespace {

constexpr const char* NOTICE = "JPEG data could not be decoded: showing a test pattern\n";

// djpeg's pixels of a JPEG file as RGB; ImageMagick only unpacks its PNM (a greyscale PGM to
// three channels). djpeg ends with status 2 after warnings about corrupt data.
Bytes djpeg_rgb(const std::string& path)
{
    std::string rgb;
    run_command("djpeg -pnm '" + path + "' 2>/dev/null | convert pnm:- -depth 8 rgb:-", &rgb);
    return Bytes(rgb.begin(), rgb.end());
}

TEST(JpegDecode, MatchesDjpegPixelForPixel)
{
    if (!have_program("djpeg") || !have_program("convert"))
        GTEST_SKIP() << "djpeg or convert missing";
    // The logo file, and the JPEG djpeg reads for it (the envelope holds magick.jpg).
    const std::pair<const char*, const char*> cases[] = {
        {"magick.jpg", "magick.jpg"},
        {"scn-envelope.bin", "magick.jpg"},
        {"cjpeg-progressive.jpg", "cjpeg-progressive.jpg"},
        {"cjpeg-progressive-cut.jpg", "cjpeg-progressive-cut.jpg"},
        {"cjpeg-grey.jpg", "cjpeg-grey.jpg"},
        {"cjpeg-grey-cut.jpg", "cjpeg-grey-cut.jpg"},
        {"magick-cmyk.jpg", "magick-cmyk.jpg"},  // Adobe's inverted YCCK, converted to CMYK by libjpeg
        {"magick-cmyk-cut.jpg", "magick-cmyk-cut.jpg"},
    };
    const std::string data = test_data_dir() + "/jpeg/";
    for (const auto& [logo, jpeg] : cases) {
        SCOPED_TRACE(logo);
        const Bytes expected = djpeg_rgb(data + jpeg);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(load_file(data + logo).image, expected);
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
    for (unsigned i = 0; i < 40 * 30; ++i) {
        const unsigned x = i % 40, y = i / 40;
        const std::uint32_t inside = x < 37 && y < 23 ? pixel_at(whole, 37, x, y) : 0;
        ASSERT_EQ(pixel_at(large, 40, x, y), inside) << x << "," << y;
        ASSERT_TRUE(x >= 20 || y >= 10 || pixel_at(small, 20, x, y) == inside) << x << "," << y;
    }
}

// What libjpeg refuses before a row, or a frame beyond the picture limits, shows the test
// pattern over the detected size, and the load says so.
TEST(JpegDecode, RefusedJpegShowsTheTestPatternWithANotice)
{
    // FF D8, a frame header (precision at 6, height at 7, width at 9), FF D9.
    const Bytes p12 = read_file(test_data_dir() + "/jpeg/precision-12.jpg");
    auto patched = [&](std::size_t at, std::uint8_t v) {
        Bytes b = p12;
        b[at] = v;
        return b;
    };
    const std::pair<const char*, Bytes> cases[] = {
        {"12-bit samples", p12},
        {"8-bit without a scan", patched(6, 8)},
        {"wider than the limits", patched(9, 0x20)},
        {"header only", {0xFF, 0xD8, 0x12}},
    };
    Bytes pattern(13 * 9 * 3);
    draw_test_pattern(pattern.data(), 13, 9);
    for (const auto& [what, file] : cases) {
        SCOPED_TRACE(what);
        std::string messages;
        EXPECT_EQ(decode_bytes_with(decode_JPEG, file, 13, 9, &messages), pattern);
        EXPECT_EQ(messages, NOTICE);
    }
    LoadResult r = load_file(test_data_dir() + "/jpeg/precision-12.jpg");
    EXPECT_EQ(r.image, pattern);
    EXPECT_NE(r.stdoutText.find(NOTICE), std::string::npos);
}

}  // namespace
