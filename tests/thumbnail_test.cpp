// File-manager thumbnails: their size, the box filter on worked examples, and the 8-bit
// RGBA PNG read back through libpng's own reader. The command as a file manager runs it,
// against ImageMagick (integer enlargement to the byte), is in tests/scripts/desktop_test.sh.
#include <gtest/gtest.h>

#include <png.h>

#include "output/thumbnail.h"
#include "support/fixtures.h"

namespace {

struct SizeCase {
    std::uint32_t width, height, maxSide, outWidth, outHeight;
};

// Pixel (x, y) of an RGBA picture as 0xRRGGBBAA.
std::uint32_t rgba_at(const RgbaPicture& p, std::uint32_t x, std::uint32_t y)
{
    const std::uint8_t* px = p.pixels.data() + (static_cast<std::size_t>(y) * p.width + x) * 4;
    return static_cast<std::uint32_t>(px[0]) << 24 | px[1] << 16 | px[2] << 8 | px[3];
}

}  // namespace

TEST(Thumbnail, SizeFitsTheLongerSideByAnIntegerFactorOrShrinksToIt)
{
    const SizeCase cases[] = {
        {16, 16, 256, 256, 256},    // small: the largest whole factor, 16
        {37, 23, 256, 222, 138},    // factor 6; 7 would make 259
        {256, 100, 256, 256, 100},  // already fits: factor 1
        {640, 480, 256, 256, 192},  // shrunk, the ratio kept
        {480, 640, 256, 192, 256},  // the longer side may be the height
        {300, 2, 256, 256, 2},      // 1.7 rounds to 2
        {1000, 1, 256, 256, 1},     // 0.256 rounds to 0: at least 1
        {8192, 8192, 2048, 2048, 2048},
        {0, 5, 256, 0, 0},  // empty picture
        {5, 5, 0, 0, 0},    // no room
    };
    for (const SizeCase& c : cases) {
        std::uint32_t w = 99, h = 99;
        thumbnail_size(c.width, c.height, c.maxSide, w, h);
        EXPECT_EQ(w, c.outWidth) << c.width << "x" << c.height << " in " << c.maxSide;
        EXPECT_EQ(h, c.outHeight) << c.width << "x" << c.height << " in " << c.maxSide;
    }
}

TEST(Thumbnail, ShrinkingAveragesTheCoveredAreaWithFractionalEdges)
{
    struct BoxCase {
        const char* name;
        std::uint32_t width, height, maxSide;
        Bytes rgb;
        std::vector<std::uint32_t> expected;  // 0xRRGGBBAA, rows top-down
    };
    const BoxCase cases[] = {
        // Four pixels into one: (0 + 10 + 20 + 30) / 4 in red, 100 everywhere in green.
        {"2x2 into 1", 2, 2, 1, {0, 100, 0, 10, 100, 0, 20, 100, 0, 30, 100, 0}, {0x0F6400FF}},
        // Three into two: the middle pixel is split in halves, (2a + b) / 3 and (b + 2c) / 3.
        {"3 into 2", 3, 1, 2, {0, 0, 0, 90, 90, 90, 180, 180, 180}, {0x1E1E1EFF, 0x969696FF}},
        // Half rounds up.
        {"0.5 rounds up", 2, 1, 1, {0, 0, 0, 1, 1, 1}, {0x010101FF}},
        // Rows and columns alike: a 2x4 column pair into 1x2, top and bottom halves.
        {"4 rows into 2", 2, 4, 2, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 200, 0, 0, 200, 0, 0, 100, 0, 0, 100, 0, 0},
         {0x000000FF, 0x960000FF}},
    };
    for (const BoxCase& c : cases) {
        RgbaPicture p = scale_to_thumbnail(c.rgb.data(), c.width, c.height, c.maxSide);
        ASSERT_EQ(p.width * p.height, c.expected.size()) << c.name;
        for (std::uint32_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(rgba_at(p, i % p.width, i / p.width), c.expected[i]) << c.name << ", pixel " << i;
    }
}

TEST(Thumbnail, EncodesAn8BitRgbaPngThatReadsBackUnchanged)
{
    Bytes rgb(5 * 3 * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<std::uint8_t>(i * 37);
    RgbaPicture p = scale_to_thumbnail(rgb.data(), 5, 3, 10);  // 10x6: each pixel a 2 x 2 opaque block
    for (std::uint32_t i = 0; i < 10 * 6; ++i) {
        const std::uint8_t* px = &rgb[((i / 20) * 5 + i % 10 / 2) * 3];
        EXPECT_EQ(rgba_at(p, i % 10, i / 10),
                  static_cast<std::uint32_t>(px[0] << 24 | px[1] << 16 | px[2] << 8 | 0xFF));
    }
    Bytes png;
    ASSERT_TRUE(encode_png_rgba8(p, png));

    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size()));
    EXPECT_EQ(image.width, 10u);
    EXPECT_EQ(image.height, 6u);
    EXPECT_EQ(image.format, static_cast<png_uint_32>(PNG_FORMAT_RGBA));  // 8 bits, alpha, no palette
    Bytes back(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, back.data(), 0, nullptr));
    EXPECT_EQ(back, p.pixels);

    EXPECT_FALSE(encode_png_rgba8(RgbaPicture{}, png)) << "an empty picture has no PNG";
    EXPECT_TRUE(scale_to_thumbnail(nullptr, 5, 3, 10).pixels.empty());
}
