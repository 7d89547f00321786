// JPEG logos: recognised but not decoded; a test pattern stands in for the picture.
#include "core/canvas.h"
#include "decode/decoders.h"
#include "decode/standard_colors.h"
#include "decode/test_pattern.h"

namespace {
constexpr unsigned PATTERN_PERIOD = 256;
}

void draw_test_pattern(std::uint8_t* image, std::uint16_t width, std::uint16_t height)
{
    RgbCanvas canvas{image, width, height};
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t rgb[3];
            // Values from 16 up (rows below 15) wrap round the table: standard_color_rgb
            // takes the index modulo 16.
            standard_color_rgb((x % (y + 1)) % PATTERN_PERIOD, rgb);
            canvas.put(x, y, rgb);
        }
    }
}

void decode_JPEG(std::uint8_t* image, LogoDescriptor d)
{
    draw_test_pattern(image, d.width, d.height);
}
